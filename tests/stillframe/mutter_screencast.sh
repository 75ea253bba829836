#!/usr/bin/env bash
# A still-frame check ($1) on a headless mutter at scale $2, with PipeWire and its session
# manager: mutter_screencast shows a scene full screen and compares the frame it grabs with it;
# portal_screencast and lost_first_frame read other sources the same way.
set -u
. "$(dirname "$0")/../e2e/lib.sh"
. "$(dirname "$0")/../e2e/sway_session.sh"
. "$(dirname "$0")/../e2e/mutter_session.sh"
start_mutter "$2"
if output=$(QT_QPA_PLATFORM=wayland "$1" 2>&1); then
    pass "$output"
else
    fail "$output"
fi
finish
