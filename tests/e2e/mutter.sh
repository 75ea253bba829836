#!/usr/bin/env bash
# End-to-end scenarios on a headless mutter of its own (GNOME's compositor, as the user
# spanlet-test under root), where Spanlet measures on a still frame. The client side (spanlet,
# the scene on Xwayland, the remote-desktop input, xclip) runs as us.
#   mutter.sh measure-1 | measure-2
# Needs SPANLET and E2E_SCENE (see lib.sh) and REMOTE_INPUT (tests/mutter/remote_input.py).
set -u
export LC_ALL=C.UTF-8
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/sway_session.sh"
. "$(dirname "$0")/mutter_session.sh"

# input <command>: one line to the remote-desktop input (see remote_input.py).
input() {
    local answer
    echo "$1" >&"${RI[1]}"
    read -r -t 5 answer <&"${RI[0]}"
    [ "$answer" == ok ] || fail "remote input: '$1' answered '$answer'"
}

start_input() {
    coproc RI { "$REMOTE_INPUT"; }
    local ready
    read -r -t 10 ready <&"${RI[0]}"
    [ "$ready" == ready ] || { log "the remote input did not start: '$ready'"; exit 1; }
}

# copied <expected> <x> <y>: points at (x, y) and copies the live measurement with Ctrl+Shift+K
# pressed in Spanlet's window until the clipboard holds what was expected (the frame shows a
# moment after the command), and prints what it holds.
copied() {
    local end=$(($(date +%s) + 10))
    while [ "$(date +%s)" -le "$end" ]; do
        input "move $2 $3"
        input "down 29"
        input "down 42"
        input "key 37"
        input "up 42"
        input "up 29"
        wait_until 1 clipboard_is "$1" && break
    done
    clipboard
}

# A click at (x, y) reaches the scene below (it prints where it was clicked).
clicked_through() {
    input "move $1 $2"
    input click
    wait_until 1 grep -q "^click $3 $4\$" "$E2E_TMP/scene.out"
}

# Files that appeared since the marker in the client's home, folders and temporary folder and
# in mutter's runtime folder (Spanlet's own preferences and state left out), and pictures in the
# shared temporary folders.
new_files() {
    find "$HOME" "$XDG_CONFIG_HOME" "$TMPDIR" "$XDG_RUNTIME_DIR" -xdev -type f \
        -newer "$E2E_TMP/marker" ! -path "$XDG_CONFIG_HOME/spanlet/*" \
        ! -path "$XDG_STATE_HOME/spanlet/*" ! -path "$XDG_RUNTIME_DIR/home/*" \
        ! -path "$XDG_RUNTIME_DIR/*.log" 2>/dev/null
    find /tmp /dev/shm -xdev -maxdepth 1 -type f -newer "$E2E_TMP/marker" \( -iname '*.png' \
        -o -iname '*.jpg' -o -iname '*.ppm' -o -iname '*.bmp' -o -iname '*.raw' \) 2>/dev/null
}

# The scene's solid box (120 × 80 device pixels at (1200, 60)) at scale $1: measured and
# copied in points, then in pixels; Escape ends measuring and a click then reaches the scene;
# nothing was written on the way.
measure() {
    local s=$1
    start_mutter "$s" $((2304 / s)) $((800 / s))
    export HOME=$E2E_TMP/home XDG_STATE_HOME=$E2E_TMP/home/state XDG_CACHE_HOME=$E2E_TMP/home/cache
    mkdir -p "$HOME"
    show_scene desktop
    start_input
    start_spanlet_here
    touch "$E2E_TMP/marker"
    "$SPANLET" --command toggleSnapping
    local x=$((1260 / s)) y=$((100 / s))
    expect_equal "scale $s in points" "$((120 / s)) × $((80 / s)) pt" \
        "$(copied "$((120 / s)) × $((80 / s)) pt" $x $y)"
    "$SPANLET" --command toggleUnit
    expect_equal "scale $s in pixels" "120 × 80 px" "$(copied "120 × 80 px" $x $y)"
    input "key 1"
    # The bottom left corner: the welcome window (there is no tray) stands in the middle.
    wait_until 5 clicked_through $((20 / s)) $((780 / s)) 20 780 &&
        pass "scale $s: after Escape a click reaches the window below" ||
        fail "scale $s: after Escape no click reached the window below"
    expect_equal "scale $s: files written while measuring" "" "$(new_files)"
}

case "${1:-}" in
measure-1) measure 1 ;;
measure-2) measure 2 ;;
*)
    log "usage: mutter.sh measure-1 | measure-2"
    exit 2
    ;;
esac
finish
