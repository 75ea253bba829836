#!/usr/bin/env bash
# End-to-end scenarios on a headless sway of its own (as the user spanlet-test under root;
# sway refuses to run as root). The client side (spanlet, wl-paste) runs as us.
#   wayland.sh start | no-display | measure-1 | measure-2 | two-outputs | guides | pick-colour |
#              guide-menu | ruler | frozen
# Needs SPANLET (see lib.sh) and, to measure, VIRTUAL_INPUT (the seat's pointer).
set -u
export LC_ALL=C.UTF-8
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/sway_session.sh"

listed() { /usr/bin/python3 "$(dirname "$0")/atspi.py" names Measurements | grep -qF "$1"; }
paste_is() { [ "$(wl-paste -n 2>/dev/null)" == "$1" ]; }

# copied <expected>: copies the live measurement until the clipboard holds what was expected
# (the first capture lands a moment after the pointer moves), and prints what it holds.
copied() {
    local end=$(($(date +%s) + 5))
    while [ "$(date +%s)" -le "$end" ]; do
        "$SPANLET" --command copyMeasurement
        if paste_is "$1"; then break; fi
        sleep 0.1
    done
    wl-paste -n 2>/dev/null
}

# Every output's wallpaper: a 120 × 80 pixel box at (1140, 160) device pixels, right of the
# welcome window (no tray host here).
show_wallpaper() {
    local png=$E2E_TMP/scene.png
    convert -size 1280x800 xc:'#e8e8e8' -fill '#3060c0' -draw 'rectangle 1140,160 1259,239' "$png"
    chmod 644 "$png"
    sway_do output '*' bg "$png" center '#ff00ff'
    sleep 0.5 # swaybg draws the wallpaper a moment after it starts
}

# Ctrl+Shift+H, which no compositor here binds: it reaches whichever surface of ours has the
# keyboard, and adds a horizontal guide there as the global shortcut does elsewhere.
ctrl_shift_h() {
    pointer "modifiers 5"
    pointer "key 47"
    pointer "modifiers 0"
}
horizontal_guide() { grep -q '"axis":"horizontal"' "$XDG_CONFIG_HOME/spanlet/preferences.json"; }

# Spanlet, the virtual pointer and snapping on from the command line.
snap() {
    start_spanlet_here
    start_pointer
    "$SPANLET" --command toggleSnapping
    sleep 0.5 # the overlay takes the pointer from its next commit on
}

# The box at output scale $1: measured and copied in points, then in pixels; a click keeps it,
# and the measurements window lists it (read as a screen reader would).
measure() {
    local scale=$1
    start_sway "output HEADLESS-1 resolution 1280x800 scale $scale"
    show_wallpaper
    start_accessibility_bus
    snap
    pointer "move $((1200 / scale)) $((200 / scale))"
    local w=$((120 / scale)) h=$((80 / scale))
    expect_equal "scale $scale in points" "$w × $h pt" "$(copied "$w × $h pt")"
    "$SPANLET" --command toggleUnit
    expect_equal "scale $scale in pixels" "120 × 80 px" "$(copied "120 × 80 px")"
    # A click keeps the measurement and gives the overlay the keyboard; Escape ends snapping,
    # so the pointer then passes through and copying gives the kept measurement.
    pointer click
    ctrl_shift_h
    wait_until 5 horizontal_guide && pass "scale $scale: a shortcut pressed over the overlay" ||
        fail "scale $scale: no guide from Ctrl+Shift+H over the overlay"
    pointer "key 1"
    sleep 0.2
    pointer "move $((1200 / scale)) $((600 / scale))"
    sleep 0.3
    "$SPANLET" --command copyMeasurement
    expect_equal "scale $scale kept after Escape" "120 × 80 px" "$(wl-paste -n)"
    "$SPANLET" --show measurements
    wait_until 5 listed "120 × 80 px" && pass "scale $scale listed in the measurements window" ||
        fail "scale $scale: the measurements window does not list 120 × 80 px"
    exec {VI[1]}>&-
}

# Two outputs side by side, at scale 2 (640 × 400 points) and 1: the box on each, while the
# right one goes away and comes back.
two_outputs() {
    start_sway "output HEADLESS-1 resolution 1280x800 scale 2 position 0 0"
    sway_do create_output
    sway_do output HEADLESS-2 resolution 1280x800 scale 1 position 640 0
    show_wallpaper
    snap
    pointer "move $((640 + 1200)) 200"
    expect_equal "right output (scale 1)" "120 × 80 pt" "$(copied "120 × 80 pt")"
    sway_do output HEADLESS-2 disable
    pointer "move 600 100"
    expect_equal "left output (scale 2), the right one off" "60 × 40 pt" "$(copied "60 × 40 pt")"
    sway_do output HEADLESS-2 enable
    sleep 0.5
    pointer "move $((640 + 1200)) 200"
    expect_equal "right output back" "120 × 80 pt" "$(copied "120 × 80 pt")"
    spanlet_running || fail "spanlet ended"
    exec {VI[1]}>&-
}

# guide_at: the first guide's position in the saved preferences.
guide_at() { preferences | python3 -c "import json, sys; print('%g' % json.load(sys.stdin)['guides']['guides'][0]['position'])"; }

# edit_guides_at_400_300: Spanlet editing guides on two outputs side by side, once its overlay
# has seen the pointer at (400, 300) on the first: only then does a guide go to the pointer.
# The editing banner shows on the output where the overlay last saw the pointer (the first
# before it has seen it): the banner on the second output, then back on the first, is the sign.
edit_guides_at_400_300() {
    start_sway "output HEADLESS-1 resolution 1280x800 scale 1 position 0 0"
    sway_do create_output
    sway_do output HEADLESS-2 resolution 1280x800 scale 1 position 1280 0
    start_spanlet_here
    start_pointer
    "$SPANLET" --command editGuides
    wait_until 5 moved_shows 1680 300 FFFFFF "1480,700 880x80" || fail "no banner on the second output"
    wait_until 5 eval '! shows FFFFFF "200,700 880x80"' || fail "the banner stays on the first output"
    wait_until 5 moved_shows 400 300 FFFFFF "200,700 880x80" || fail "no editing banner"
}

# Editing guides: a guide added at the pointer is dragged, nudged with the Right arrow, and
# Escape ends editing.
guides() {
    edit_guides_at_400_300
    "$SPANLET" --command addVerticalGuide
    wait_until 5 grep -q '"position":400' "$XDG_CONFIG_HOME/spanlet/preferences.json" ||
        fail "no guide at the pointer: $(preferences)"
    pointer press
    pointer "move 500 300"
    pointer "move 600 320"
    pointer release
    pointer "key 106"
    pointer "key 1"
    wait_until 5 grep -q '"position":601' "$XDG_CONFIG_HOME/spanlet/preferences.json"
    expect_equal "dragged, then nudged" 601 "$(guide_at)"
    # Editing is over: a click no longer moves the guide.
    pointer "move 601 300"
    pointer press
    pointer "move 700 300"
    pointer release
    sleep 0.3
    expect_equal "after Escape" 601 "$(guide_at)"
    exec {VI[1]}>&-
}

# shows <RRGGBB> <x,y wxh>: whether that part of the screen, as anyone sees it (our overlay
# included), holds the colour.
shows() { grim -g "$2" -t ppm - | convert ppm:- -format %c histogram:info:- | grep -qi "#$1 "; }

# moved_shows <x> <y> <RRGGBB> <x,y wxh>: after a move to (x, y) (the overlay sees the pointer
# once it moves over it), whether the screen there shows the colour.
moved_shows() {
    pointer "move $1 $(($2 + 1))"
    pointer "move $1 $2"
    shows "$3" "$4"
}
recent_colours() { preferences | python3 -c "import json, sys; print(len(json.load(sys.stdin)['recentColors']))"; }

# Picking a colour with snapping off: the loupe follows the pointer, Escape picks nothing, a
# click copies the colour under the pointer. A red box below left of the blue one.
pick_colour() {
    start_sway "output HEADLESS-1 resolution 1280x800 scale 1"
    local png=$E2E_TMP/scene.png
    convert -size 1280x800 xc:'#e8e8e8' -fill '#3060c0' -draw 'rectangle 1140,160 1259,239' \
        -fill '#c03030' -draw 'rectangle 100,600 219,679' "$png"
    chmod 644 "$png"
    sway_do output '*' bg "$png" center '#ff00ff'
    start_spanlet_here
    start_pointer
    # The loupes: above right of the pointer on the red box, below left of it on the blue one.
    "$SPANLET" --command pickColor
    wait_until 5 moved_shows 160 640 C03030 "170,420 160x160" || fail "no loupe on the red box"
    pointer "key 1"
    wait_until 5 eval '! shows C03030 "170,420 160x160"' || fail "the loupe stays after Escape"
    pointer click
    "$SPANLET" --command pickColor
    wait_until 5 moved_shows 1200 200 3060C0 "1040,240 160x160" || fail "no loupe on the blue box"
    pointer click
    wait_until 5 paste_is '#3060C0'
    expect_equal "picked" '#3060C0' "$(wl-paste -n)"
    expect_equal "colours picked (none after Escape)" 1 "$(recent_colours)"
    exec {VI[1]}>&-
}

# The guide editor's menu: a right click on a guide, then its first entry, Remove Guide.
guide_menu() {
    edit_guides_at_400_300
    "$SPANLET" --command addVerticalGuide
    wait_until 5 grep -q '"position":400' "$XDG_CONFIG_HOME/spanlet/preferences.json" ||
        fail "no guide at the pointer: $(preferences)"
    pointer "click 273"
    wait_until 5 shows F7F7F7 "400,300 100x40" || fail "no menu"
    pointer "move 420 316"
    pointer click
    wait_until 5 grep -q '"guides":{"guides":\[\]}' "$XDG_CONFIG_HOME/spanlet/preferences.json"
    expect_equal "guides after Remove Guide" 0 "$(preferences | python3 -c "import json, sys; print(len(json.load(sys.stdin)['guides']['guides']))")"
    exec {VI[1]}>&-
}

# ruler_place: the ruler's top-left corner "x y" as the saved preferences hold it (whole
# numbers here; read without starting a Python for each poll).
ruler_place() {
    local p x y
    p=$(preferences)
    x=$(grep -o '"rulerX":[-0-9.]*' <<<"$p")
    y=$(grep -o '"rulerY":[-0-9.]*' <<<"$p")
    x=${x#*:} y=${y#*:}
    printf '%s %s' "${x%.0}" "${y%.0}"
}
ruler_place_is() { [ "$(ruler_place)" == "$1" ]; }

# ruler_face X Y: whether the screen shows the ruler's pale yellow face at (X, Y): red and green
# well above blue, as no grey, the welcome window or the wallpaper is.
ruler_face() {
    local p r g b
    p=$(pixel "$1" "$2")
    [ ${#p} -eq 6 ] || return 1
    r=$((16#${p:0:2})) g=$((16#${p:2:2})) b=$((16#${p:4:2}))
    [ $((r - b)) -ge 20 ] && [ $((g - b)) -ge 15 ]
}
no_ruler_face() { ! ruler_face "$@"; }
pixel_is() { [ "$(pixel "$1" "$2")" == "$3" ]; }

# The ruler is a layer surface, not a window sway tiles: it shows where its frame says, is
# dragged and moved with the arrow keys, and comes back there after a restart.
ruler() {
    start_sway "output HEADLESS-1 resolution 1280x800 scale 1
output * bg #202020 solid_color"
    start_spanlet_here
    start_pointer
    "$SPANLET" --command toggleRuler
    # 600 × 40 points in the middle of the output; a point 30 right and 34 down of its corner
    # shows the bare face (ticks and labels lie above it, the unit label left of it).
    wait_until 5 ruler_face 370 414 && pass "the ruler shows" || fail "no ruler on screen"
    swaymsg -s "$(find "$XDG_RUNTIME_DIR" -name 'sway-ipc.*')" -t get_tree >"$E2E_TMP/tree.json"
    grep -q '"name": "Ruler"' "$E2E_TMP/tree.json" && fail "the ruler is in sway's window tree" ||
        pass "the ruler is no window of sway's"

    # In steps, as a hand drags: each move lands while the panel is still being moved.
    pointer "move 400 400"
    pointer press
    local i
    for ((i = 1; i <= 10; i++)); do pointer "move $((400 + i * 10)) $((400 + i * 8))"; done
    pointer release
    wait_until 5 ruler_place_is "440 460"
    expect_equal "dragged" "440 460" "$(ruler_place)"
    wait_until 5 ruler_face 470 494 && pass "shown where dragged" || fail "not shown where dragged"
    wait_until 5 no_ruler_face 370 414 || fail "still shown where it was"

    # A click gives it the keyboard; the Right arrow moves it by a point.
    pointer click
    pointer "key 106"
    wait_until 5 ruler_place_is "441 460"
    expect_equal "moved by the Right arrow" "441 460" "$(ruler_place)"
    ctrl_shift_h
    wait_until 5 horizontal_guide && pass "a shortcut pressed over the ruler" ||
        fail "no guide from Ctrl+Shift+H over the ruler"

    # Its menu, from a right click, adds a guide across it at the pointer.
    pointer "click 273"
    wait_until 5 pixel_is 530 490 F7F7F7 || fail "no ruler menu"
    pointer "move 530 496"
    pointer click
    wait_until 5 grep -q '"position":500' "$XDG_CONFIG_HOME/spanlet/preferences.json" &&
        pass "the ruler's menu added a guide at the pointer" ||
        fail "no guide from the ruler's menu: $(preferences)"

    stop_spanlet
    start_spanlet_here
    "$SPANLET" --command toggleRuler
    wait_until 5 ruler_face 471 494 && pass "back where it was after a restart" ||
        fail "not back where it was after a restart: $(preferences)"
    exec {VI[1]}>&-
}

# Starts on the compositor whatever Qt platform it inherits, and ends on --quit.
start() {
    start_sway 'output * bg #202020 solid_color'
    QT_QPA_PLATFORM=xcb "$SPANLET" >>"$E2E_TMP/spanlet.log" 2>&1 &
    SPANLET_PID=$!
    sleep 1
    spanlet_running || { fail "spanlet ended at start: $(cat "$E2E_TMP/spanlet.log")"; return; }
    "$SPANLET" --quit
    wait_until 10 spanlet_ended || fail "spanlet did not end on --quit"
    wait "$SPANLET_PID"
    expect_equal "exit status" 0 $?
    SPANLET_PID=
}

# Without any display server: one line, status 1.
no_display() {
    local said
    said=$(env -u WAYLAND_DISPLAY -u DISPLAY "$SPANLET" 2>&1)
    expect_equal "exit status" 1 $?
    expect_equal "message" "spanlet: no display server to run on (needs a Wayland compositor or an X11 display)" "$said"
}

# A compositor that takes connections but never answers (stopped): one line naming its display
# and status 1 within a few seconds, with an X display named too; not a hang, nor X11 instead.
frozen() {
    start_sway 'output * bg #202020 solid_color'
    local sway=${E2E_PIDS[-1]} said status
    # Stopped once it is up (its IPC socket comes late in its start): a TERM that reaches it
    # stopped while it is still starting can get lost, and it would then never end.
    wait_until 10 compgen -G "$XDG_RUNTIME_DIR/sway-ipc.*.sock" >/dev/null || log "no sway IPC"
    kill -STOP "$sway"
    said=$(DISPLAY=:99 timeout 10 "$SPANLET" 2>&1)
    status=$?
    kill -CONT "$sway"
    kill -KILL "$sway"
    expect_equal "exit status" 1 "$status"
    expect_equal "message" "spanlet: the Wayland display wayland-1 did not answer within 5 s" "$said"
}

case "${1:-}" in
start) start ;;
no-display) no_display ;;
measure-1) measure 1 ;;
measure-2) measure 2 ;;
two-outputs) two_outputs ;;
guides) guides ;;
pick-colour) pick_colour ;;
guide-menu) guide_menu ;;
ruler) ruler ;;
frozen) frozen ;;
*)
    log "usage: wayland.sh start | no-display | measure-1 | measure-2 | two-outputs | guides | pick-colour | guide-menu | ruler | frozen"
    exit 2
    ;;
esac
finish
