#!/usr/bin/env bash
# End-to-end scenarios: the built spanlet on a desktop of its own, driven like a person.
#   e2e.sh measure-window | measure-wallpaper | still | kept | guides | colour | quit-with-ruler |
#          quit-promptly | accessibility
# Needs SPANLET and E2E_SCENE (see lib.sh).
set -u
export LC_ALL=C.UTF-8
. "$(dirname "$0")/lib.sh"

# Text of a number as spanlet prints it: at most two decimals, no trailing zeros.
number() { awk -v w="$1" -v d="$2" 'BEGIN { s = sprintf("%.2f", w / d); sub(/0+$/, "", s); sub(/\.$/, "", s); print s }'; }

# The scale of the monitor under device x: A (left) runs at 2, B at 1.
scale_at() { if [ "$1" -lt 1152 ]; then echo 2; else echo 1; fi; }

# launch window|wallpaper: the desktop, the scene shown that way, and spanlet.
launch() {
    start_desktop
    show_scene "$1"
    start_spanlet
}

box() { scene_boxes | awk -v n="$1" '$1 == n'; }
# aim_at <box>: the pointer on the box's aim point.
# shellcheck disable=SC2046 # "x y", split on purpose
aim_at() { point_at $(box "$1" | cut -d' ' -f6,7); }

# Snapping on, then every box measured and copied in points, then in pixels.
measure() {
    launch "$1"
    point_at 1800 700
    key ctrl+shift+s
    wait_until 5 overlays_shown || fail "no overlay panel after turning snapping on"
    local name x y w h ax ay colour s expected
    while read -r name x y w h ax ay colour; do
        s=$(scale_at "$ax")
        expected="$(number "$w" "$s") × $(number "$h" "$s") pt"
        point_at "$ax" "$ay"
        expect_equal "$name ($1, scale $s) in points" "$expected" \
            "$(copy_with ctrl+shift+k "$expected")"
    done < <(scene_boxes)
    key ctrl+shift+u
    wait_until 5 grep -q '"unit":"pixels"' "$XDG_CONFIG_HOME/spanlet/preferences.json" ||
        fail "the unit was not saved as pixels"
    while read -r name x y w h ax ay colour; do
        expected="$w × $h px"
        point_at "$ax" "$ay"
        expect_equal "$name ($1) in pixels" "$expected" "$(copy_with ctrl+shift+k "$expected")"
    done < <(scene_boxes)
}

# A pointer held still is measured again when what lies under it changes: the scene's window
# moves the texture box under it. It is held for over a second first, so that the measurement
# waits for the server to report a change rather than being taken again on a timer.
still() {
    launch window
    aim_at solid
    key ctrl+shift+s
    wait_until 5 overlays_shown || fail "no overlay panel after turning snapping on"
    expect_equal "solid under the still pointer" "120 × 80 pt" \
        "$(copy_with ctrl+shift+k "120 × 80 pt")"
    sleep 2
    xdotool windowmove "$(xdotool search --name "Spanlet e2e scene")" 0 -270
    expect_equal "texture moved under the still pointer" "120 × 60 pt" \
        "$(copy_with ctrl+shift+k "120 × 60 pt")"
}

# Two measurements kept, then read back from the measurements window.
kept() {
    launch window
    key ctrl+shift+s
    aim_at solid
    expect_equal "live solid" "120 × 80 pt" "$(copy_with ctrl+shift+k '120 × 80 pt')"
    key ctrl+shift+p
    aim_at shadow
    expect_equal "live shadow" "100 × 60 pt" "$(copy_with ctrl+shift+k '100 × 60 pt')"
    key ctrl+shift+p
    # Snapping off: the kept measurements stay, and copying copies the newest of them.
    key ctrl+shift+s
    expect_equal "copy with snapping off" "100 × 60 pt" "$(copy_with ctrl+shift+k)"

    tray_menu_from_end 10 || fail "the tray menu did not open"
    if ! wait_until 5 window_shown '^Measurements$'; then
        fail "the measurements window did not open"
        return
    fi
    local id wx s
    id=$(xdotool search --onlyvisible --name '^Measurements$' | head -n 1)
    wx=$(window_geometry '^Measurements$' | cut -d' ' -f1)
    s=$(scale_at "$wx")
    # Rows are about 35 points apart, the first about 38 points below the window's top.
    xdotool mousemove --window "$id" $((100 * s)) $((38 * s)) click 1
    expect_equal "measurements window, row 1" "120 × 80 pt" "$(copy_with ctrl+c '120 × 80 pt')"
    xdotool mousemove --window "$id" $((100 * s)) $((73 * s)) click 1
    expect_equal "measurements window, row 2" "100 × 60 pt" "$(copy_with ctrl+c '100 × 60 pt')"
}

# Positions of the saved guides on one axis, in points, ascending, on one line.
guide_json() {
    preferences | grep -Eo '\{[^{}]*"axis":"'"$1"'"[^{}]*\}' | grep -Eo '"position":[0-9.]+' |
        cut -d: -f2 | sort -n | tr '\n' ' ' | sed 's/ $//'
}
guides_saved() { [ "$(guide_json vertical)" == "300.0 1700.0" ] && [ -n "$(guide_json horizontal)" ]; }
# add_guide v|h <count>: the shortcut, then a wait until <count> guides are saved, so that the
# next move cannot come before Spanlet reads the pointer for this one.
add_guide() {
    key "ctrl+shift+$1"
    wait_until 5 sh -c '[ "$(grep -o "\"axis\"" "$0" | wc -l)" -ge "$1" ]' \
        "$XDG_CONFIG_HOME/spanlet/preferences.json" "$2" || log "guide $2 was not saved"
}
# On B (scale 1) at device x 1700 and y 600; on A (scale 2) at 300 points, device x 600.
guide_pixels_shown() {
    [ "$(root_pixel 1700 300)" == 009EF2 ] && [ "$(root_pixel 1700 750)" == 009EF2 ] &&
        [ "$(root_pixel 1900 600)" == 009EF2 ] && [ "$(root_pixel 2250 600)" == 009EF2 ] &&
        [ "$(root_pixel 600 300)" == 009EF2 ]
}

# Guides added at the pointer, then found in the saved preferences and on screen after a
# restart. Guide colour (0, 0.62, 0.95) is (0, 158, 242) on screen.
guides() {
    launch wallpaper
    point_at 1700 500
    add_guide v 1
    point_at 1750 600
    add_guide h 2
    point_at 600 500
    add_guide v 3
    point_at 2000 200
    wait_until 5 guides_saved || fail "the guides were not saved"
    expect_equal "vertical guide positions" "300.0 1700.0" "$(guide_json vertical)"
    expect_equal "horizontal guide position" "600.0" "$(guide_json horizontal)"
    wait_until 5 guide_pixels_shown ||
        fail "guides not drawn in the guide colour: $(root_pixel 1700 300) $(root_pixel 1900 600) $(root_pixel 600 300)"
    restart_spanlet
    expect_equal "vertical guides after restart" "300.0 1700.0" "$(guide_json vertical)"
    expect_equal "horizontal guide after restart" "600.0" "$(guide_json horizontal)"
    if wait_until 5 guide_pixels_shown; then
        pass "guides drawn after restart"
    else
        fail "guides not drawn after restart: $(root_pixel 1700 300) $(root_pixel 1900 600) $(root_pixel 600 300)"
    fi
}

# SIGTERM while the ruler is shown after a drag ends spanlet (the session's logout does this).
quit_with_ruler() {
    launch window
    point_at 1700 400
    key ctrl+shift+r
    wait_until 5 window_shown '^Ruler$' || fail "the ruler did not show"
    xdotool mousemove 1728 400 sleep 0.1 mousedown 1 sleep 0.1 mousemove 1768 420 \
        sleep 0.1 mousemove 1828 460 sleep 0.2 mouseup 1
    sleep 0.5
    stop_spanlet
}

# With snapping on, picking a colour takes the loupe's centre pixel at once.
colour() {
    launch wallpaper
    key ctrl+shift+s
    local name x y w h ax ay colour
    for name in solid texture gradient hidpi; do
        read -r name x y w h ax ay colour < <(box "$name")
        point_at "$ax" "$ay"
        expect_equal "colour of $name" "#$colour" "$(copy_with ctrl+shift+c "#$colour")"
    done
    wait_until 5 grep -q '"recentColors":\[{' "$XDG_CONFIG_HOME/spanlet/preferences.json" ||
        fail "the picked colours were not saved"
}

heard() { grep -qF "$(printf 'object:property-change:accessible-name\tnotification\t%s' "$1")" "$E2E_TMP/heard"; }

# Announcements reach a listener on the accessibility bus, and every control of every tool
# window has a name it can speak.
accessibility() {
    start_desktop
    start_accessibility_bus
    start_spanlet
    key ctrl+shift+u
    wait_until 5 heard Pixels && pass "heard Pixels" || fail "Pixels was not announced"
    key ctrl+shift+s
    wait_until 5 heard "Edge snapping on" && pass "heard Edge snapping on" ||
        fail "Edge snapping on was not announced"
    key ctrl+shift+s
    local entry title
    for entry in "5 Settings$" "10 ^Measurements$" "9 ^Colors$" "4 ^Welcome"; do
        title=${entry#* }
        tray_menu_from_end "${entry%% *}" || fail "the tray menu did not open"
        wait_until 5 window_shown "$title" || fail "$title did not open"
    done
    local unnamed
    if unnamed=$(/usr/bin/python3 "$(dirname "$0")/atspi.py" unnamed 2>&1); then
        pass "every control named: $unnamed"
    else
        fail "controls without a name: $unnamed"
    fi
}

# copied_now: copies the live measurement; whether the clipboard took it.
copied_now() {
    "$SPANLET" --command copyMeasurement
    clipboard_changed
}

# Ending from outside, by SIGTERM and by --quit, while holding the copied text and with a
# clipboard manager that never answers: status 0 (the 2 s grace alarm would end it with 143), and
# well before Qt's own 5 s wait for the manager. How fast it ends is the benchmarks' business.
quit_promptly() {
    launch wallpaper
    "$E2E_SCENE" stuck-manager >"$E2E_TMP/manager.out" 2>&1 &
    E2E_PIDS+=($!)
    wait_until 10 grep -q ready "$E2E_TMP/manager.out" || { log "no clipboard manager"; exit 1; }
    local how start took
    for how in SIGTERM --quit; do
        "$SPANLET" --command toggleSnapping
        aim_at solid
        mark_clipboard
        wait_until 5 copied_now || fail "$how: nothing was copied"
        start=$(date +%s%N)
        if [ "$how" == SIGTERM ]; then kill -TERM "$SPANLET_PID"; else "$SPANLET" --quit; fi
        wait_until 10 spanlet_ended
        took=$((($(date +%s%N) - start) / 1000000))
        wait "$SPANLET_PID"
        expect_equal "$how: exit status" 0 $?
        SPANLET_PID=
        if [ "$took" -lt 4000 ]; then pass "$how: ended in $took ms"; else fail "$how: took $took ms"; fi
        [ "$how" == SIGTERM ] && start_spanlet
    done
}

case "${1:-}" in
measure-window | measure-wallpaper) measure "${1#measure-}" ;;
still) still ;;
kept) kept ;;
guides) guides ;;
colour) colour ;;
quit-with-ruler) quit_with_ruler ;;
quit-promptly) quit_promptly ;;
accessibility) accessibility ;;
*)
    log "usage: $0 measure-window|measure-wallpaper|still|kept|guides|colour|quit-with-ruler|quit-promptly|accessibility"
    exit 2
    ;;
esac
finish
