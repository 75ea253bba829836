#!/usr/bin/env bash
# Global shortcuts on a headless KWin's shortcut service: $1 (the global_shortcuts check) must
# print "ok".
set -u
. "$(dirname "$0")/../e2e/lib.sh"
. "$(dirname "$0")/../e2e/sway_session.sh"
. "$(dirname "$0")/../e2e/kwin_session.sh"
start_kwin 1
expect_equal "held keys unavailable, ours held, then freed" ok "$("$1")"
finish
