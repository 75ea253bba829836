#!/usr/bin/env bash
# The tray icon as a StatusNotifierItem: a watcher and host of the test's own (sni_host.py) on
# a private session bus, up before Spanlet or coming after, on a desktop with no XEmbed tray
# (but for beside-xembed); sway-before and sway-after run before and after on a headless sway,
# kwin-before runs before on a headless KWin (Plasma's compositor, whose session bus it shares).
#   tray.sh before | host-later | beside-xembed | after | sway-before | sway-after | kwin-before
# Needs SPANLET and E2E_SCENE (see lib.sh).
set -u
export LC_ALL=C.UTF-8
. "$(dirname "$0")/lib.sh"

# start_host <label> [options]: the watcher and host (see sni_host.py); it chooses <label> in
# the item's menu.
start_host() {
    /usr/bin/python3 "$(dirname "$0")/sni_host.py" "$E2E_TMP/host" "$@" 2>>"$E2E_TMP/host.log" &
    HOST_PID=$!
    E2E_PIDS+=($HOST_PID)
    wait_until 10 grep -q '^ready' "$E2E_TMP/host" || { log "the tray host did not start"; exit 1; }
}

# The item registered, showed its icon, and the host chose the entry in its menu.
chosen() {
    if wait_until 15 grep -q '^clicked\|^no entry\|^unknown entry' "$E2E_TMP/host"; then
        expect_equal "the item" "item spanlet Spanlet menu /MenuBar icons 16x16,22x22,32x32,48x48,64x64" \
            "$(grep '^item' "$E2E_TMP/host")"
        grep -q '^clicked' "$E2E_TMP/host" && pass "$(grep '^clicked' "$E2E_TMP/host")" ||
            fail "$(grep '^no entry\|^unknown entry' "$E2E_TMP/host")"
    else
        fail "no item registered with the watcher"
        tail -n 20 "$E2E_TMP/host.log" "$E2E_TMP/spanlet.log" >&2
    fi
}

# titled <title>: a window of that title is shown.
titled() { window_shown "^$1\$"; }

scenario=${1:-}
if [ "${scenario#sway-}" != "$scenario" ]; then
    . "$(dirname "$0")/sway_session.sh"
    start_sway ""
    scenario=${scenario#sway-}
    titled() {
        swaymsg -s "$(find "$XDG_RUNTIME_DIR" -name 'sway-ipc.*')" -t get_tree |
            grep -qF "\"name\": \"$1\""
    }
elif [ "${scenario#kwin-}" != "$scenario" ]; then
    . "$(dirname "$0")/sway_session.sh"
    . "$(dirname "$0")/kwin_session.sh"
    start_kwin 1
    scenario=${scenario#kwin-}
    titled() { kwin_windows | grep -qE "^[^ ]+ [^ ]+ [^ ]+ $1\$"; }
elif [ "$scenario" == beside-xembed ]; then
    start_desktop
else
    start_desktop no-tray
fi
[ -n "${KWIN_HOME:-}" ] || start_session_bus
case "$scenario" in
before)
    # The panel is up first: the icon goes to it and no welcome window opens; "Pixels" in
    # its menu sets the unit.
    start_host Pixels
    "$SPANLET" >>"$E2E_TMP/spanlet.log" 2>&1 &
    SPANLET_PID=$!
    chosen
    wait_until 5 grep -q '"unit":"pixels"' "$XDG_CONFIG_HOME/spanlet/preferences.json" &&
        pass "the unit was saved as pixels" || fail "the unit was not saved as pixels"
    titled 'Welcome to Spanlet' && fail "the welcome window opened beside the icon"
    ;;
host-later)
    # The panel's watcher is up first and its host registers once Spanlet has seen none (as
    # Plasma's panel comes after its watcher at login): the icon goes to it, and no welcome
    # window opens meanwhile.
    start_host Pixels host-later
    "$SPANLET" >>"$E2E_TMP/spanlet.log" 2>&1 &
    SPANLET_PID=$!
    chosen
    wait_until 5 grep -q '"unit":"pixels"' "$XDG_CONFIG_HOME/spanlet/preferences.json" &&
        pass "the unit was saved as pixels" || fail "the unit was not saved as pixels"
    titled 'Welcome to Spanlet' && fail "the welcome window opened while the host came"
    ;;
beside-xembed)
    # An XEmbed tray as well (Plasma on X11 offers both): one icon only, the item; when the
    # watcher goes, the icon docks in the XEmbed tray.
    start_host Pixels
    "$SPANLET" >>"$E2E_TMP/spanlet.log" 2>&1 &
    SPANLET_PID=$!
    chosen
    tray_icon_shown && fail "a second icon docked in the XEmbed tray"
    kill "$HOST_PID"
    wait_until 10 tray_icon_shown && pass "the icon docked in the XEmbed tray" ||
        fail "no icon in the XEmbed tray once the watcher went"
    ;;
after)
    # No tray at first: the welcome window stands in for the icon. The panel comes later and
    # gets the icon; "Settings…" in its menu (chosen as libdbusmenu sends it) opens the
    # settings.
    "$SPANLET" >>"$E2E_TMP/spanlet.log" 2>&1 &
    SPANLET_PID=$!
    wait_until 15 titled 'Welcome to Spanlet' || fail "no welcome window without a tray"
    start_host 'Settings…' group
    chosen
    wait_until 5 titled 'Spanlet Settings' && pass "the settings opened" ||
        fail "the settings did not open"
    ;;
*)
    log "usage: tray.sh before | host-later | beside-xembed | after | sway-before | sway-after |" \
        "kwin-before"
    exit 2
    ;;
esac
stop_spanlet
finish
