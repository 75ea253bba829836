#!/usr/bin/env bash
# Edge-snapping latency and the process's cost on headless Wayland compositors of its own (see
# tests/e2e/sway_session.sh and kwin_session.sh), the pointer driven by the compositor's test
# pointer, with four boxes on the wallpaper, at 1920×1080 scale 1 and 2560×1600 scale 2, each
# size on every compositor in turn:
#   - <moves> moves from box to box, p50/p95/p99 of processing (Spanlet's pointer event ->
#     live measurement published, from its SPANLET_TRACE; split into Spanlet's own work and
#     the compositor's time to copy) and end to end (the move sent to the compositor ->
#     published); see bench/latency_wayland.py;
#   - Spanlet's and the compositor's CPU while the pointer moves at 60 Hz for <seconds> with
#     snapping on, and Spanlet's CPU per published update;
#   - at 1920×1080, the same with bench/run_latency.sh's motion over its scene (a circle around
#     the middle, one turn in 4 s, over the 32 boxes of latency_probe's windows as wallpaper),
#     without the trace as there: Spanlet's CPU per move, to set beside X11's;
#   - with more than one compositor, each figure as a ratio to the first compositor's.
# Usage: bench/run_latency_wayland.sh <build folder> [moves] [seconds] [compositors]
# where compositors is "sway kwin" (the default), "sway" or "kwin".
set -u
build=${1:?build folder (with app/shell/spanlet, tests/wayland/virtual_input, tests/kwin/fake_input)}
moves=${2:-500}
seconds=${3:-30}
compositors=${4:-sway kwin}
export SPANLET="$build/app/shell/spanlet"
export VIRTUAL_INPUT="$build/tests/wayland/virtual_input"
export FAKE_INPUT="$build/tests/kwin/fake_input"
driver="$(dirname "$0")/latency_wayland.py"
export LC_ALL=C.UTF-8
. "$(dirname "$0")/../tests/e2e/lib.sh"
. "$(dirname "$0")/../tests/e2e/sway_session.sh"
. "$(dirname "$0")/../tests/e2e/kwin_session.sh"

hz=$(getconf CLK_TCK)
session_bus=${DBUS_SESSION_BUS_ADDRESS:-}
# Figures by "<compositor> <size>": p95 of processing, own work, the compositor's, end to end;
# CPU per update (ms); Spanlet's CPU (%); the compositor's CPU (%).
declare -A figures

# Sum of utime and stime of the whole process <pid>, in clock ticks.
cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
percent() { awk -v t="$1" -v hz="$hz" -v s="$seconds" 'BEGIN {printf "%.1f", 100 * t / hz / s}'; }
removed() { rm -rf "$@" 2>/dev/null; }
gone() { ! kill -0 "$1" 2>/dev/null; }
published_count() { grep -c '^published ' "$SPANLET_TRACE" 2>/dev/null || echo 0; }

# start_compositor <compositor> <width> <height> <scale> <png>: the compositor showing the
# wallpaper <png>; sets compositor (its process) and pointer (the test pointer's command).
start_compositor() {
    local width=$2 height=$3 scale=$4 png=$5
    case "$1" in
    sway)
        start_sway "output HEADLESS-1 resolution ${width}x${height} scale $scale"
        compositor=${E2E_PIDS[-1]}
        sway_do output '*' bg "$png" center '#ff00ff'
        pointer=$VIRTUAL_INPUT
        ;;
    kwin)
        start_kwin "$scale" $((width / scale)) $((height / scale))
        compositor=$(kwin_pid) || fail "no KWin"
        # swaybg is a layer-shell client, which KWin shows too; KWin's clients run as its user.
        as_kwin_user swaybg -o '*' -i "$png" -m center -c '#ff00ff' >/dev/null 2>&1 &
        E2E_PIDS+=($!)
        pointer=$E2E_TMP/kwin/bin/pointer
        printf '#!/bin/sh\nexec setpriv --reuid=spanlet-test --regid=spanlet-test --clear-groups env -i PATH=/usr/bin:/bin XDG_RUNTIME_DIR=%s WAYLAND_DISPLAY=%s %s\n' \
            "$XDG_RUNTIME_DIR" "$WAYLAND_DISPLAY" "$FAKE_INPUT" >"$pointer"
        [ "$(id -u)" -ne 0 ] && printf '#!/bin/sh\nexec %s\n' "$FAKE_INPUT" >"$pointer"
        chmod 755 "$pointer"
        ;;
    esac
    sleep 0.5 # the wallpaper is drawn a moment after its client starts
}

# one_size <compositor> <width> <height> <scale>
one_size() {
    local name=$1 width=$2 height=$3 scale=$4 compositor pointer
    # Four boxes of 240 × 160 device pixels in a row; the pointer goes to their centres.
    local png=$E2E_TMP/scene.png draw=() targets=() i x
    for i in 0 1 2 3; do
        x=$((width / 8 + i * width / 4 - 120))
        draw+=(-draw "rectangle $x,$((height / 2 - 80)) $((x + 239)),$((height / 2 + 79))")
        targets+=("$(((x + 100) / scale)),$((height / 2 / scale))")
    done
    convert -size "${width}x${height}" xc:'#e8e8e8' -fill '#3060c0' "${draw[@]}" "$png"
    chmod 644 "$png"
    start_compositor "$name" "$width" "$height" "$scale" "$png"
    export SPANLET_TRACE="$E2E_TMP/trace-$name-$width"
    : >"$SPANLET_TRACE"
    start_spanlet_here
    "$SPANLET" --command toggleSnapping
    sleep 1
    echo "$name, ${width}x${height} at scale $scale:"
    local out
    out=$(python3 "$driver" measure "$pointer" "$SPANLET_TRACE" "$moves" "${targets[@]}") ||
        fail "latency run on $name at ${width}x${height}"
    grep -v '^p95 ' <<<"$out"
    local key="$name ${width}x${height}" a0 a1 s0 s1 n0 n1
    figures[$key]=$(awk '/^p95 / {print $2, $3, $4, $5}' <<<"$out")

    a0=$(cpu_ticks "$SPANLET_PID")
    s0=$(cpu_ticks "$compositor")
    n0=$(published_count)
    python3 "$driver" move "$pointer" "$seconds" 60 "${targets[@]}"
    a1=$(cpu_ticks "$SPANLET_PID")
    s1=$(cpu_ticks "$compositor")
    n1=$(published_count)
    local per_update
    per_update=$(awk -v t=$((a1 - a0)) -v n=$((n1 - n0)) -v hz="$hz" \
        'BEGIN {printf "%.3f", (n > 0) ? 1000 * t / hz / n : 0}')
    echo "  pointer moving at 60 Hz for ${seconds} s, snapping on: spanlet CPU" \
        "$(percent $((a1 - a0))) % of one core, $per_update ms per update" \
        "($((n1 - n0)) updates); $name $(percent $((s1 - s0))) %"
    figures[$key]+=" $per_update $(percent $((a1 - a0))) $(percent $((s1 - s0)))"

    quit_spanlet
    [ "$width" == 1920 ] && [ "$scale" == 1 ] && x11_motion "$name" "$width" "$height"
    stop_helpers
    # KWin may hang on its way out, after its session has ended.
    wait_until 5 gone "$compositor" || kill -KILL "$compositor" 2>/dev/null
    # KWin's session may take a moment to unmount its document portal in its runtime folder.
    wait_until 5 removed "$E2E_TMP/sway" "$E2E_TMP/kwin"
    export DBUS_SESSION_BUS_ADDRESS=$session_bus
}

# x11_motion <compositor> <width> <height>: Spanlet's CPU per move with the X11 benchmark's
# motion over its scene, untraced, on the running compositor (needs compositor and pointer).
x11_motion() {
    local name=$1 width=$2 height=$3 png=$E2E_TMP/grid.png draw=() path=() i
    # latency_probe's windows: 8 × 4 white cells above a 40-pixel strip, a box in each.
    local w=$((width / 8)) h=$(((height - 40) / 4)) x y bw bh
    for i in $(seq 0 31); do
        x=$((i % 8 * w + w / 6 + i % 5))
        y=$((i / 8 * h + h / 6 + i % 3))
        bw=$((w * 2 / 3 - i % 7))
        bh=$((h * 2 / 3 - i % 4))
        draw+=(-fill "$(printf '#%06x' $(((i * 0x2F5D13) & 0x7F7F7F)))"
            -draw "rectangle $x,$y $((x + bw - 1)),$((y + bh - 1))")
    done
    convert -size "${width}x${height}" xc:black -fill white \
        -draw "rectangle 0,0 $((8 * w - 1)),$((4 * h - 1))" "${draw[@]}" "$png"
    chmod 644 "$png"
    case "$name" in
    sway) sway_do output '*' bg "$png" center '#000000' ;;
    kwin)
        as_kwin_user swaybg -o '*' -i "$png" -m center -c '#000000' >/dev/null 2>&1 &
        E2E_PIDS+=($!)
        ;;
    esac
    sleep 0.5
    # One turn of 240 points around the middle, radius 0.6 of the half height, as there.
    read -r -a path < <(awk -v cx=$((width / 2)) -v cy=$((height / 2)) 'BEGIN {
        r = (cx < cy ? cx : cy) * 0.6
        for (i = 0; i < 240; i++) printf "%d,%d ", cx + int(r * cos(6.283185307179586 * i / 240)), cy + int(r * sin(6.283185307179586 * i / 240))
    }')
    SPANLET_TRACE='' start_spanlet_here
    "$SPANLET" --command toggleSnapping
    sleep 1
    local a0 a1 s0 s1
    a0=$(cpu_ticks "$SPANLET_PID")
    s0=$(cpu_ticks "$compositor")
    python3 "$driver" move "$pointer" "$seconds" 60 "${path[@]}"
    a1=$(cpu_ticks "$SPANLET_PID")
    s1=$(cpu_ticks "$compositor")
    echo "  the X11 benchmark's motion and scene, untraced: spanlet CPU $(percent $((a1 - a0))) %," \
        "$(awk -v t=$((a1 - a0)) -v n=$((seconds * 60)) -v hz="$hz" 'BEGIN {printf "%.3f", 1000 * t / hz / n}')" \
        "ms per move; $name $(percent $((s1 - s0))) %"
    quit_spanlet
}

# ratios <size>: each compositor's figures over the first one's.
ratios() {
    local first name
    read -r first _ <<<"$compositors"
    for name in $compositors; do
        [ "$name" == "$first" ] && continue
        awk -v a="${figures[$name $1]:-}" -v b="${figures[$first $1]:-}" -v n="$name" -v f="$first" -v s="$1" '
            BEGIN {
                split("processing p95|  own work p95|  compositor p95|end to end p95|CPU per update|spanlet CPU|compositor CPU", what, "|")
                if (split(a, x, " ") < 7 || split(b, y, " ") < 7) { print n " " s ": no figures to compare"; exit }
                print n " against " f ", " s ":"
                for (i = 1; i <= 7; i++)
                    printf "  %-16s %8.3f / %8.3f = %s\n", what[i], x[i], y[i], (y[i] > 0) ? sprintf("%.2f", x[i] / y[i]) : "-"
            }'
    done
}

[ -x "$SPANLET" ] || { echo "missing $SPANLET" >&2; exit 1; }
for name in $compositors; do
    case "$name" in
    sway) [ -x "$VIRTUAL_INPUT" ] || { echo "missing $VIRTUAL_INPUT" >&2; exit 1; } ;;
    kwin) [ -x "$FAKE_INPUT" ] || { echo "missing $FAKE_INPUT" >&2; exit 1; } ;;
    *) echo "unknown compositor $name (sway, kwin)" >&2; exit 2 ;;
    esac
done
for size in "1920 1080 1" "2560 1600 2"; do
    for name in $compositors; do
        # shellcheck disable=SC2086 # width, height and scale, split on purpose
        one_size "$name" $size
    done
done
for size in 1920x1080 2560x1600; do ratios "$size"; done
finish
