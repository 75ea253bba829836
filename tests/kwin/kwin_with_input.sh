#!/usr/bin/env bash
# A headless KWin with one output of 1280 × 800 device pixels at scale $1, and
# fake_input ($2, its arguments after) on it as KWin's user: prints what a client needs to
# reach KWin as VAR=value lines, then fake_input speaks on standard input and output. Ends, and
# KWin with it, when standard input does.
set -u
. "$(dirname "$0")/../e2e/lib.sh"
. "$(dirname "$0")/../e2e/sway_session.sh"
. "$(dirname "$0")/../e2e/kwin_session.sh"
# KWin takes the size in whole points and rounds its pixels: 853 × 533 at 1.5.
start_kwin "$1" "$(awk "BEGIN { print int(1280 / $1) }")" "$(awk "BEGIN { print int(800 / $1) }")"
echo "XDG_RUNTIME_DIR=$XDG_RUNTIME_DIR"
echo "WAYLAND_DISPLAY=$WAYLAND_DISPLAY"
echo "DBUS_SESSION_BUS_ADDRESS=$DBUS_SESSION_BUS_ADDRESS"
as_kwin_user "$2" "${@:3}"
