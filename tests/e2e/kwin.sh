#!/usr/bin/env bash
# End-to-end scenarios on a headless KWin of its own (KDE Plasma's compositor, as the user
# spanlet-test under root). The client side (spanlet, wl-paste) runs as us.
#   kwin.sh measure-1 | measure-2
# Needs SPANLET (see lib.sh) and FAKE_INPUT (the seat's pointer, and the wallpaper).
set -u
export LC_ALL=C.UTF-8
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/sway_session.sh"
. "$(dirname "$0")/kwin_session.sh"

# KWin's data control announces no selection while there is none, and wl-paste then waits.
pasted() { timeout 2 wl-paste -n 2>/dev/null; }

# copied <expected> <x> <y>: points the pointer at (x, y) and copies the live measurement until
# the clipboard holds what was expected (the overlay takes the pointer a moment after snapping
# starts, and the first capture lands after that), and prints what it holds.
copied() {
    local end=$(($(date +%s) + 10))
    while [ "$(date +%s)" -le "$end" ]; do
        pointer "move $2 $3"
        "$SPANLET" --command copyMeasurement
        if [ "$(pasted)" == "$1" ]; then break; fi
        sleep 0.1
    done
    pasted
}

# The wallpaper's box (120 × 80 device pixels) at output scale $1, measured in points, then in
# pixels.
measure() {
    local scale=$1
    start_kwin "$scale" $((1280 / scale)) $((800 / scale))
    coproc VI { as_kwin_user "$FAKE_INPUT" wallpaper; }
    local ready
    read -r -t 10 ready <&"${VI[0]}"
    [ "$ready" == ready ] || { log "fake input did not start: '$ready'"; exit 1; }
    start_spanlet_here
    "$SPANLET" --command toggleSnapping
    local x=$((1200 / scale)) y=$((200 / scale)) w=$((120 / scale)) h=$((80 / scale))
    expect_equal "scale $scale in points" "$w × $h pt" "$(copied "$w × $h pt" $x $y)"
    "$SPANLET" --command toggleUnit
    expect_equal "scale $scale in pixels" "120 × 80 px" "$(copied "120 × 80 px" $x $y)"
    exec {VI[1]}>&-
}

case "${1:-}" in
measure-1) measure 1 ;;
measure-2) measure 2 ;;
*)
    log "usage: kwin.sh measure-1 | measure-2"
    exit 2
    ;;
esac
finish
