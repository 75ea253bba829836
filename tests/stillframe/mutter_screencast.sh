#!/usr/bin/env bash
# GNOME's screen cast as a still-frame source, on a headless mutter at scale $2: $1 (the
# mutter_screencast check) shows a scene full screen and compares the frame it grabs with it.
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
