#!/usr/bin/env bash
# Edge-snapping latency and the process's cost, on an Xvfb of its own with 32 windows of
# boxes, at 1920×1080 and at 3840×2160:
#   - 500 XTest moves, p50/p95/p99 of: move → overlay repaint (seen from outside), and from
#     Spanlet's own timestamps (SPANLET_TRACE) processing (the model hearing of a move →
#     live measurement published) and move → published; see bench/latency.cpp;
#   - at 1920×1080: Spanlet's CPU while the pointer moves at 60 Hz for 30 s with snapping on,
#     taken twice, alternating with the same motion over gpick's floating picker (`gpick -p`,
#     installed from Debian here if missing) as the baseline, and over bench/reference_loupe
#     (a bare pointer-following loupe) as a second yardstick, all in the same run; Spanlet's
#     CPU per pointer move (each a new live measurement); and its wake-ups for 30 s while idle
#     and while snapping with the pointer still (context switches of all its threads, from
#     /proc/<pid>/task/*/status).
#     Spanlet runs without the trace for the CPU figures, as people run it: the trace's own
#     write per update would be counted too.
# Usage: bench/run_latency.sh <build folder> [moves] [seconds]
set -u
build=${1:?build folder (with app/shell/spanlet, bench/latency_probe, tests/e2e/e2e_scene)}
moves=${2:-500}
seconds=${3:-30}
export SPANLET="$build/app/shell/spanlet"
export E2E_SCENE="$build/tests/e2e/e2e_scene"
bench="$build/bench/latency_probe"
reference="$build/bench/reference_loupe"
export LC_ALL=C.UTF-8
. "$(dirname "$0")/../tests/e2e/lib.sh"
. "$(dirname "$0")/x11_scene.sh"

hz=$(getconf CLK_TCK)

# Sum of utime and stime of the whole process <pid>, in clock ticks.
cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }

# cpu_while_moving <pid>: that process's CPU, in % of one core, while the pointer moves at
# 60 Hz for $seconds.
cpu_while_moving() {
    local t0 t1
    t0=$(cpu_ticks "$1")
    "$bench" move "$seconds" 60 >&2
    t1=$(cpu_ticks "$1")
    awk -v t=$((t1 - t0)) -v hz="$hz" -v s="$seconds" 'BEGIN {printf "%.1f", 100 * t / hz / s}'
}

# spanlet_cpu: Spanlet's CPU over the motion, as "<percent> <ms of CPU per pointer move>".
spanlet_cpu() {
    local t0 t1
    t0=$(cpu_ticks "$SPANLET_PID")
    "$bench" move "$seconds" 60 >&2
    t1=$(cpu_ticks "$SPANLET_PID")
    awk -v t=$((t1 - t0)) -v n=$((seconds * 60)) -v hz="$hz" -v s="$seconds" \
        'BEGIN {printf "%.1f %.3f", 100 * t / hz / s, 1000 * t / hz / n}'
}

# other_cpu <command…>: that program's CPU over the same motion, Spanlet's snapping off.
other_cpu() {
    key ctrl+shift+s
    wait_until 5 sh -c '! xdotool search --onlyvisible --name "^Spanlet Overlay$" >/dev/null' ||
        log "snapping did not stop"
    HOME="$E2E_TMP/other-home" "$@" >/dev/null 2>&1 &
    local pid=$!
    sleep 1
    cpu_while_moving "$pid"
    kill -TERM "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    key ctrl+shift+s
    wait_until 5 overlays_shown || log "snapping did not start again"
    sleep 0.5
}
# "<tid> <voluntary> <involuntary>" context switches of each thread.
switches() {
    local t
    for t in /proc/"$SPANLET_PID"/task/*; do
        awk -v t="${t##*/}" '/^voluntary_ctxt_switches/ {v = $2} /^nonvoluntary_ctxt_switches/ {n = $2}
            END {print t, v + 0, n + 0}' "$t/status"
    done | sort
}
# wakeups <what>: Spanlet's context switches over $seconds. A thread that ends meanwhile (the
# capture's pool lets idle threads go) is left out rather than counted backwards.
wakeups() {
    local s0="$E2E_TMP/switches0" s1="$E2E_TMP/switches1"
    switches >"$s0"
    sleep "$seconds"
    switches >"$s1"
    join -a 2 -e 0 -o 0,1.2,1.3,2.2,2.3 "$s0" "$s1" |
        awk -v what="$1" -v s="$seconds" '{v += $4 - $2; n += $5 - $3}
            END {printf "%s %d s: %d voluntary, %d involuntary context switches (%.2f wake-ups/s)\n",
                 what, s, v, n, v / s}'
}

one_size() {
    local size=$1
    start_x11_scene "$size" "$bench"
    export SPANLET_TRACE="$E2E_TMP/trace-$size"
    start_spanlet

    if [ "$size" == 1920x1080 ]; then
        # Idle: nothing shown, nothing running but the tray icon.
        sleep 2
        wakeups "$size idle"
    fi

    key ctrl+shift+s
    wait_until 5 overlays_shown || { log "snapping did not start"; exit 1; }
    sleep 0.5
    # Snapping at a pointer that does not move over a still desktop: nothing to measure again.
    [ "$size" == 1920x1080 ] && wakeups "$size snapping, pointer still,"
    "$bench" measure "$moves" "$SPANLET_TRACE" || fail "latency run at $size"

    if [ "$size" == 1920x1080 ]; then
        stop_spanlet
        SPANLET_TRACE='' start_spanlet
        key ctrl+shift+s
        wait_until 5 overlays_shown || { log "snapping did not start"; exit 1; }
        sleep 0.5
        # Alternated, so all see the same phases of the machine.
        mkdir -p "$E2E_TMP/other-home"
        local a1 a2 g1 g2 r1 r2
        read -r -a a1 < <(spanlet_cpu)
        g1=$(other_cpu gpick -p)
        r1=$(other_cpu "$reference")
        read -r -a a2 < <(spanlet_cpu)
        g2=$(other_cpu gpick -p)
        r2=$(other_cpu "$reference")
        echo "$size pointer moving at 60 Hz for ${seconds} s, snapping on: spanlet CPU" \
            "${a1[0]} % of one core (again ${a2[0]} %), ${a1[1]} ms (again ${a2[1]} ms) per move"
        echo "$size same motion over gpick -p: $g1 % (again $g2 %);" \
            "spanlet / gpick = $(ratio "${a1[0]}" "${a2[0]}" "$g1" "$g2")"
        echo "$size same motion over the reference loupe: $r1 % (again $r2 %);" \
            "spanlet / reference = $(ratio "${a1[0]}" "${a2[0]}" "$r1" "$r2")"
    fi
    stop_spanlet
    # Everything of this size goes before the next one starts.
    stop_helpers
}

# ratio a1 a2 b1 b2: (a1 + a2) / (b1 + b2), two decimals.
ratio() { awk -v a="$1" -v b="$2" -v c="$3" -v d="$4" 'BEGIN {printf "%.2f", (c + d > 0) ? (a + b) / (c + d) : 0}'; }

if ! command -v gpick >/dev/null; then
    sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq gpick >/dev/null ||
        { echo "could not install gpick, the baseline" >&2; exit 1; }
fi
[ -x "$bench" ] || { echo "missing $bench" >&2; exit 1; }
[ -x "$reference" ] || { echo "missing $reference" >&2; exit 1; }
one_size 1920x1080
one_size 3840x2160
finish
