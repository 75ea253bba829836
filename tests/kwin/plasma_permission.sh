#!/usr/bin/env bash
# The permission flow on a headless KWin that checks who asks for screenshots, with $1 (the
# plasma_permission check) as KWin's user, whose programs KWin can see: it must print "allowed".
# Then, with KWin stopped, the same program, which KWin now serves, must say "not allowed".
set -u
. "$(dirname "$0")/../e2e/lib.sh"
. "$(dirname "$0")/../e2e/sway_session.sh"
. "$(dirname "$0")/../e2e/kwin_session.sh"
KWIN_CHECK_SCREENSHOTS=1 start_kwin 1
check() {
    as_kwin_user env DBUS_SESSION_BUS_ADDRESS="$DBUS_SESSION_BUS_ADDRESS" HOME="$KWIN_HOME" \
        XDG_DATA_HOME="$KWIN_HOME/.local/share" "$1" "${@:2}"
}
expect_equal "refused, granted, allowed" allowed "$(check "$1")"
kwin=$(kwin_pid) || fail "no KWin"
kill -STOP "$kwin"
expect_equal "no answer is no permission" "not allowed" "$(check "$1" stalled)"
kill -CONT "$kwin"
finish
