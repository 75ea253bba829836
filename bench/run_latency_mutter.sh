#!/usr/bin/env bash
# From a measuring command to the still frame shown, on a headless mutter of its own (see
# tests/e2e/mutter_session.sh), at one 1920×1080 display and at two 3840×2160 displays side by
# side (scale 1), the test scene on Xwayland below: p50/p95 over <runs> runs, from the command
# sent to the first live measurement on the frame shown; see bench/latency_stillframe.py.
# Usage: bench/run_latency_mutter.sh <build folder> [runs]
set -u
build=${1:?build folder (with app/shell/spanlet and tests/e2e/e2e_scene)}
runs=${2:-40}
export SPANLET="$build/app/shell/spanlet"
export E2E_SCENE="$build/tests/e2e/e2e_scene"
here=$(dirname "$0")
remote_input="$here/../tests/mutter/remote_input.py"
export LC_ALL=C.UTF-8
. "$here/../tests/e2e/lib.sh"
. "$here/../tests/e2e/sway_session.sh"
. "$here/../tests/e2e/mutter_session.sh"

# start_mutter with <monitors> virtual monitors of the same size in a row, as mutter places
# them: the session script's start, given the option once more per further monitor.
start_mutter_with() {
    local monitors=$1 extra= i
    shift
    for ((i = 1; i < monitors; i++)); do extra+=' --virtual-monitor "$pixels"'; done
    eval "$(declare -f start_mutter | sed "s/--virtual-monitor \"\$pixels\"/&$extra/")"
    start_mutter "$@"
}

# one_size <monitors> <width> <height>
one_size() {
    local monitors=$1 width=$2 height=$3
    start_mutter_with "$monitors" 1 "$width" "$height"
    show_scene desktop
    export SPANLET_TRACE="$E2E_TMP/trace-$monitors-$width"
    : >"$SPANLET_TRACE"
    start_spanlet_here
    echo "$monitors × ${width}x${height}:"
    python3 "$here/latency_stillframe.py" "$SPANLET" "$remote_input" "$SPANLET_TRACE" "$runs" \
        "$((width / 2)),$((height / 2))" || fail "still-frame run at $monitors × ${width}x${height}"

    quit_spanlet
    stop_helpers
    rm -rf "$E2E_TMP/mutter"
}

[ -x "$SPANLET" ] || { echo "missing $SPANLET" >&2; exit 1; }
one_size 1 1920 1080
one_size 2 3840 2160
finish
