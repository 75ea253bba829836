#!/usr/bin/env bash
# Spanlet's CPU per pointer move, two variants side by side: on an Xvfb of its own at
# 1920×1080 with xcompmgr and the latency bench's 32 windows, snapping on, the pointer circling
# at 60 Hz. Each pair runs A then B, each started afresh, so that both see the same phases of a
# noisy machine; the summary gives means, medians and in how many pairs B was lower. CPU is
# the scheduler's own count (/proc/<pid>/task/*/schedstat), in ns rather than clock ticks.
#
# A variant is a Spanlet binary, optionally with environment settings before it:
#   bench/run_cpu_ab.sh build 8 15 old/app/shell/spanlet build/app/shell/spanlet
#   bench/run_cpu_ab.sh build 8 15 build/app/shell/spanlet "QT_NO_GLIB=1 build/app/shell/spanlet"
# Usage: bench/run_cpu_ab.sh <build folder> <pairs> <seconds> <variant A> <variant B>
set -u
build=${1:?build folder (with bench/latency_probe, tests/e2e/e2e_scene)}
pairs=${2:-8}
seconds=${3:-15}
variants=("${4:?variant A}" "${5:?variant B}")
export E2E_SCENE="$build/tests/e2e/e2e_scene"
bench="$build/bench/latency_probe"
export LC_ALL=C.UTF-8
. "$(dirname "$0")/../tests/e2e/lib.sh"
. "$(dirname "$0")/x11_scene.sh"

start_x11_scene 1920x1080 "$bench"

cpu_ns() { cat /proc/"$SPANLET_PID"/task/*/schedstat | awk '{s += $1} END {printf "%d", s}'; }

# one <variant>: ms of CPU per move of that variant over the circle. Runs in a subshell of its
# own: it fails (and stops that Spanlet) where a figure would be worthless, such as a Spanlet
# that did not start snapping or did not end cleanly.
one() {
    # Word splitting is wanted: settings, then the binary.
    # shellcheck disable=SC2086
    env $1 >>"$E2E_TMP/spanlet.log" 2>&1 &
    SPANLET_PID=$!
    wait_until 15 tray_icon_shown || { log "spanlet did not start: $1"; kill "$SPANLET_PID" 2>/dev/null; exit 1; }
    key ctrl+shift+s
    wait_until 5 overlays_shown || { log "snapping did not start: $1"; stop_spanlet; exit 1; }
    sleep 0.5
    local t0 t1
    t0=$(cpu_ns)
    "$bench" move "$seconds" 60 >/dev/null 2>&1
    t1=$(cpu_ns)
    stop_spanlet
    [ "$E2E_FAILURES" -eq 0 ] || exit 1
    awk -v t=$((t1 - t0)) -v n=$((seconds * 60)) 'BEGIN {printf "%.3f", t / 1e6 / n}'
}

results="$E2E_TMP/results"
for ((i = 1; i <= pairs; i++)); do
    a=$(one "${variants[0]}") || exit 1
    b=$(one "${variants[1]}") || exit 1
    echo "pair $i: A $a ms, B $b ms per move"
    echo "$a $b" >>"$results"
done
awk '{a[NR] = $1; b[NR] = $2; sa += $1; sb += $2; if ($2 < $1) lower++}
    function median(v, n,   i, j, t) {
        for (i = 2; i <= n; i++) for (j = i; j > 1 && v[j - 1] > v[j]; j--) {
            t = v[j]; v[j] = v[j - 1]; v[j - 1] = t
        }
        return n % 2 ? v[(n + 1) / 2] : (v[n / 2] + v[n / 2 + 1]) / 2
    }
    END {printf "A: mean %.3f, median %.3f ms; B: mean %.3f, median %.3f ms; B lower in %d of %d\n",
         sa / NR, median(a, NR), sb / NR, median(b, NR), lower, NR}' "$results"
finish
