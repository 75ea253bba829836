#!/usr/bin/env bash
# Edge-snapping latency and the process's cost on a headless sway of its own (see
# tests/e2e/sway_session.sh), the pointer driven by the virtual pointer, with four boxes on the
# wallpaper, at 1920×1080 scale 1 and 2560×1600 scale 2:
#   - <moves> moves from box to box, p50/p95/p99 of processing (Spanlet's pointer event ->
#     live measurement published, from its SPANLET_TRACE; split into Spanlet's own work and
#     the compositor's time to copy) and end to end (the move sent to the compositor ->
#     published); see bench/latency_sway.py;
#   - Spanlet's and sway's CPU while the pointer moves at 60 Hz for <seconds> with snapping on,
#     and Spanlet's CPU per published update.
# Usage: bench/run_latency_sway.sh <build folder> [moves] [seconds]
set -u
build=${1:?build folder (with app/shell/spanlet and tests/wayland/virtual_input)}
moves=${2:-500}
seconds=${3:-30}
export SPANLET="$build/app/shell/spanlet"
export VIRTUAL_INPUT="$build/tests/wayland/virtual_input"
driver="$(dirname "$0")/latency_sway.py"
export LC_ALL=C.UTF-8
. "$(dirname "$0")/../tests/e2e/lib.sh"
. "$(dirname "$0")/../tests/e2e/sway_session.sh"

hz=$(getconf CLK_TCK)

# Sum of utime and stime of the whole process <pid>, in clock ticks.
cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
percent() { awk -v t="$1" -v hz="$hz" -v s="$seconds" 'BEGIN {printf "%.1f", 100 * t / hz / s}'; }
published_count() { grep -c '^published ' "$SPANLET_TRACE" 2>/dev/null || echo 0; }

# one_size <width> <height> <scale>
one_size() {
    local width=$1 height=$2 scale=$3
    start_sway "output HEADLESS-1 resolution ${width}x${height} scale $scale"
    local sway=${E2E_PIDS[-1]}
    # Four boxes of 240 × 160 device pixels in a row; the pointer goes to their centres.
    local png=$E2E_TMP/scene.png draw=() targets=() i x
    for i in 0 1 2 3; do
        x=$((width / 8 + i * width / 4 - 120))
        draw+=(-draw "rectangle $x,$((height / 2 - 80)) $((x + 239)),$((height / 2 + 79))")
        targets+=("$(((x + 100) / scale)),$((height / 2 / scale))")
    done
    convert -size "${width}x${height}" xc:'#e8e8e8' -fill '#3060c0' "${draw[@]}" "$png"
    chmod 644 "$png"
    sway_do output '*' bg "$png" center '#ff00ff'
    sleep 0.5
    export SPANLET_TRACE="$E2E_TMP/trace-$width"
    : >"$SPANLET_TRACE"
    start_spanlet_here
    "$SPANLET" --command toggleSnapping
    sleep 1
    echo "${width}x${height} at scale $scale:"
    python3 "$driver" measure "$VIRTUAL_INPUT" "$SPANLET_TRACE" "$moves" "${targets[@]}" ||
        fail "latency run at ${width}x${height}"

    local a0 a1 s0 s1 n0 n1
    a0=$(cpu_ticks "$SPANLET_PID")
    s0=$(cpu_ticks "$sway")
    n0=$(published_count)
    python3 "$driver" move "$VIRTUAL_INPUT" "$seconds" 60 "${targets[@]}"
    a1=$(cpu_ticks "$SPANLET_PID")
    s1=$(cpu_ticks "$sway")
    n1=$(published_count)
    echo "  pointer moving at 60 Hz for ${seconds} s, snapping on: spanlet CPU" \
        "$(percent $((a1 - a0))) % of one core," \
        "$(awk -v t=$((a1 - a0)) -v n=$((n1 - n0)) -v hz="$hz" \
            'BEGIN {printf "%.3f", (n > 0) ? 1000 * t / hz / n : 0}') ms per update" \
        "($((n1 - n0)) updates); sway $(percent $((s1 - s0))) %"

    "$SPANLET" --quit
    wait_until 10 spanlet_ended || kill -TERM "$SPANLET_PID"
    wait "$SPANLET_PID" 2>/dev/null
    SPANLET_PID=
    for ((i = ${#E2E_PIDS[@]} - 1; i >= 0; i--)); do
        kill -TERM "${E2E_PIDS[i]}" 2>/dev/null
        wait "${E2E_PIDS[i]}" 2>/dev/null
    done
    E2E_PIDS=()
    rm -rf "$E2E_TMP/sway"
}

[ -x "$SPANLET" ] || { echo "missing $SPANLET" >&2; exit 1; }
[ -x "$VIRTUAL_INPUT" ] || { echo "missing $VIRTUAL_INPUT" >&2; exit 1; }
one_size 1920 1080 1
one_size 2560 1600 2
finish
