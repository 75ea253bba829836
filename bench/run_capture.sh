#!/bin/sh
# Runs bench_capture on an Xvfb of its own at 1920x1080 and at 3840x2160.
# Usage: bench/run_capture.sh <path to bench_capture> [pointer moves]
set -eu
bench=${1:?path to bench_capture}
moves=${2:-1000}
runtime=$(mktemp -d)
trap 'rm -rf "$runtime"' EXIT
for size in 1920x1080 3840x2160; do
    exec 3<>"$runtime/displayfd"
    Xvfb -displayfd 3 -noreset -nolisten tcp -screen 0 "${size}x24" +extension RANDR \
        +extension Composite >/dev/null 2>&1 &
    xvfb=$!
    # The server writes its display number once it accepts connections.
    number=""
    while [ -z "$number" ]; do
        kill -0 "$xvfb" 2>/dev/null || { echo "Xvfb did not start" >&2; exit 1; }
        number=$(head -n1 "$runtime/displayfd" 2>/dev/null || true)
        [ -n "$number" ] || sleep 0.05
    done
    exec 3>&-
    status=0
    DISPLAY=":$number" XDG_RUNTIME_DIR="$runtime" QT_QPA_PLATFORM=xcb "$bench" "$moves" || status=$?
    kill "$xvfb"
    wait "$xvfb" 2>/dev/null || true
    rm -f "$runtime/displayfd"
    [ "$status" -eq 0 ] || exit "$status"
done
