#!/usr/bin/env bash
# The screenshot permission through Spanlet's own windows, on a headless KWin that serves its
# screenshot interface only to programs a desktop entry allows (as on a desktop): turning on edge
# snapping shows the explainer, its button asks before it writes the desktop entry, Check Again
# then passes, and snapping measures. The windows are driven through the accessibility bus.
# Spanlet runs as KWin's user, whose programs KWin can see. Needs SPANLET and FAKE_INPUT.
set -u
export LC_ALL=C.UTF-8
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/sway_session.sh"
. "$(dirname "$0")/kwin_session.sh"

KWIN_CHECK_SCREENSHOTS=1 start_kwin 1
home=$KWIN_HOME
# KWin reads through a client's executable when it connects; the build's, with its debug
# information, is large enough to keep KWin from answering for seconds. A stripped copy is the
# program KWin sees, and the one the desktop entry names.
mkdir -m 755 "$E2E_TMP/bin"
strip -o "$E2E_TMP/bin/spanlet" "$SPANLET" || { log "cannot strip $SPANLET"; exit 1; }
SPANLET=$E2E_TMP/bin/spanlet
# KWin's user with its home and folders on KWin's session bus: the prefix of a command.
user=(env -i PATH=/usr/bin:/bin XDG_RUNTIME_DIR="$XDG_RUNTIME_DIR" WAYLAND_DISPLAY="$WAYLAND_DISPLAY"
    DBUS_SESSION_BUS_ADDRESS="$DBUS_SESSION_BUS_ADDRESS" HOME="$home"
    XDG_DATA_HOME="$home/.local/share" XDG_CONFIG_HOME="$home/.config"
    QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 LC_ALL=C.UTF-8)
[ "$(id -u)" -eq 0 ] && user=(setpriv --reuid=spanlet-test --regid=spanlet-test --clear-groups "${user[@]}")
# The screen reader's side runs as Spanlet's user too, on its accessibility bus.
atspi() { "${user[@]}" /usr/bin/python3 "$(cd "$(dirname "$0")" && pwd)/atspi.py" "$@"; }
shows() { atspi names "$1" | grep -qF -- "$2"; }
press() { atspi press "$1" "$2" || fail "no button '$2' in '$1'"; }
pasted() { timeout 2 wl-paste -n 2>/dev/null; }

coproc VI { as_kwin_user "$FAKE_INPUT" wallpaper; }
read -r -t 10 ready <&"${VI[0]}"
[ "$ready" == ready ] || { log "fake input did not start: '$ready'"; exit 1; }
"${user[@]}" /usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 &
E2E_PIDS+=($!)
"${user[@]}" "$SPANLET" >>"$E2E_TMP/spanlet.log" 2>&1 &
SPANLET_PID=$!
# Without a tray host the welcome window opens at start-up: Spanlet is ready, and on the
# accessibility bus.
wait_until 20 shows "Welcome to Spanlet" "Get Started" ||
    { log "spanlet did not start: $(cat "$E2E_TMP/spanlet.log")"; exit 1; }

"${user[@]}" "$SPANLET" --command toggleSnapping
wait_until 10 shows "Edge Snapping" Continue || fail "no explainer: $(atspi names "Edge Snapping")"
press "Edge Snapping" Continue
wait_until 10 shows "Edge Snapping" "Check Again" || fail "not asked after Continue"
explained=$(atspi names "Edge Snapping")
grep -qF "Plasma lets an application take screenshots" <<<"$explained" ||
    fail "not in Plasma's words: $explained"
if grep -qiE "macOS|this Mac|System Settings" <<<"$explained"; then fail "macOS words: $explained"; fi

entry=$(find "$home/.local/share/applications" -name 'io.github.spanlet.Spanlet-*.desktop' 2>/dev/null)
[ -z "$entry" ] || fail "an entry before asking: $entry"
press "Edge Snapping" "Add Desktop Entry…"
wait_until 10 shows "Add Desktop Entry…" "$home/.local/share/applications/io.github.spanlet.Spanlet-" ||
    fail "the question does not name the file: $(atspi names "Add Desktop Entry…")"
entry=$(find "$home/.local/share/applications" -name 'io.github.spanlet.Spanlet-*.desktop' 2>/dev/null)
[ -z "$entry" ] || fail "written before the answer: $entry"
press "Add Desktop Entry…" Yes
written() {
    grep -qxF "Exec=$(readlink -f "$SPANLET")" "$home"/.local/share/applications/io.github.spanlet.Spanlet-*.desktop
}
wait_until 10 written || fail "no desktop entry naming $SPANLET"

# At once, before KWin has most likely read the entry: the check waits for it.
press "Edge Snapping" "Check Again"
wait_until 10 eval '! shows "Edge Snapping" "Check Again"' || fail "Check Again did not pass"

# Snapping measures the wallpaper's box.
end=$(($(date +%s) + 10))
while [ "$(date +%s)" -le "$end" ]; do
    pointer "move 1200 200"
    "${user[@]}" "$SPANLET" --command copyMeasurement
    [ "$(pasted)" == "120 × 80 pt" ] && break
    sleep 0.1
done
expect_equal "snapping after Check Again" "120 × 80 pt" "$(pasted)"
exec {VI[1]}>&-
finish
