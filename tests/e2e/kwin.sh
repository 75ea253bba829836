#!/usr/bin/env bash
# End-to-end scenarios on a headless KWin of its own (KDE Plasma's compositor, as the user
# spanlet-test under root). The client side (spanlet, wl-paste) runs as us.
#   kwin.sh measure-1 | measure-2 | shortcut | output-returns
# Needs SPANLET (see lib.sh), FAKE_INPUT (the seat's pointer and keyboard, the wallpaper, and
# outputs off and on) and E2E_SCENE (another application's window, on KWin's Xwayland).
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

# start_fake_input [wallpaper]: the seat's pointer and keyboard as the coprocess VI (see
# pointer()), with the scenarios' wallpaper when asked.
start_fake_input() {
    coproc VI { as_kwin_user "$FAKE_INPUT" "$@"; }
    local ready
    read -r -t 10 ready <&"${VI[0]}"
    [ "$ready" == ready ] || { log "fake input did not start: '$ready'"; exit 1; }
}

# The wallpaper's box (120 × 80 device pixels) at output scale $1, measured in points, then in
# pixels.
measure() {
    local scale=$1
    start_kwin "$scale" $((1280 / scale)) $((800 / scale))
    start_fake_input wallpaper
    start_spanlet_here
    "$SPANLET" --command toggleSnapping
    local x=$((1200 / scale)) y=$((200 / scale)) w=$((120 / scale)) h=$((80 / scale))
    expect_equal "scale $scale in points" "$w × $h pt" "$(copied "$w × $h pt" $x $y)"
    "$SPANLET" --command toggleUnit
    expect_equal "scale $scale in pixels" "120 × 80 px" "$(copied "120 × 80 px" $x $y)"
    exec {VI[1]}>&-
}

# Whether KDE's shortcut service (which KWin serves) holds the keys Spanlet set for the command.
shortcut_set() {
    dbus-send --session --print-reply --dest=org.kde.kglobalaccel /kglobalaccel \
        org.kde.KGlobalAccel.shortcut array:string:spanlet,"$1",Spanlet,- | grep -q int32
}
# Whether the X window named $1 has the keyboard.
x_focused() {
    [ "$(as_kwin_user env DISPLAY="$KWIN_X_DISPLAY" xdotool getwindowfocus getwindowname)" == "$1" ]
}
horizontal_guide() { grep -q '"axis":"horizontal"' "$XDG_CONFIG_HOME/spanlet/preferences.json"; }

# A global shortcut pressed while another application has the keyboard: Ctrl+Shift+H adds a
# horizontal guide through KDE's shortcut service.
shortcut() {
    start_kwin 1
    start_fake_input
    start_spanlet_here
    wait_until 10 shortcut_set addHorizontalGuide || fail "no keys set for addHorizontalGuide"
    background as_kwin_user env DISPLAY="$KWIN_X_DISPLAY" xmessage -title Other "Another application"
    wait_until 10 x_focused Other || fail "the other application has no keyboard"
    pointer "keys 29 42 35"
    wait_until 5 horizontal_guide && pass "Ctrl+Shift+H with another application focused" ||
        fail "no guide from Ctrl+Shift+H"
}

# overlay_on <screen>: Spanlet's overlay is on the screen of that index (KWin's overlay layer).
overlay_on() { kwin_windows | grep -q "^$SPANLET_PID $1 10 "; }
overlay_off() { ! overlay_on "$1"; }

# The idle overlay on an output switched off and on again lets a click through to the window
# below, as before.
output_returns() {
    KWIN_OUTPUTS=2 start_kwin 1
    start_fake_input
    coproc SCENE { as_kwin_user env DISPLAY="$KWIN_X_DISPLAY" "$E2E_SCENE" desktop; }
    local line
    read -r -t 10 line <&"${SCENE[0]}"
    [ "$line" == ready ] || { log "the scene did not start: '$line'"; exit 1; }
    start_spanlet_here
    wait_until 10 overlay_on 1 || fail "no overlay on the second output"
    pointer "output 1 off"
    wait_until 10 overlay_off 1 || fail "the overlay stayed on the output switched off"
    pointer "output 1 on"
    wait_until 10 overlay_on 1 || fail "no overlay on the output switched on again"
    pointer "move 1500 300"
    pointer click
    read -r -t 5 line <&"${SCENE[0]}"
    expect_equal "a click on the output back" "click 1500 300" "$line"
}

case "${1:-}" in
measure-1) measure 1 ;;
measure-2) measure 2 ;;
shortcut) shortcut ;;
output-returns) output_returns ;;
*)
    log "usage: kwin.sh measure-1 | measure-2 | shortcut | output-returns"
    exit 2
    ;;
esac
finish
