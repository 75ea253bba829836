#!/usr/bin/env bash
# A headless mutter with one monitor of 1280 × 800 points at scale $1 (1 or 2) showing the
# conformance scene ($2 is e2e_scene, on Xwayland as the desktop), and remote_input.py on it:
# prints what a client needs to reach mutter as VAR=value lines (MUTTER_SCENE_OUT: the scene's
# output, a "click X Y" line per click), then remote_input speaks on standard input and output.
# Ends, and mutter with it, when standard input does.
# At scale 2 mutter offers nothing smaller than 800 × 480 points, so the monitor is not the
# 1280 × 800 device pixels of the other servers but 1280 × 800 points.
set -u
. "$(dirname "$0")/../e2e/lib.sh"
. "$(dirname "$0")/../e2e/sway_session.sh"
. "$(dirname "$0")/../e2e/mutter_session.sh"
E2E_SCENE=$2
start_mutter "$1" 1280 800
show_scene pattern
for name in XDG_RUNTIME_DIR WAYLAND_DISPLAY DBUS_SESSION_BUS_ADDRESS DISPLAY XAUTHORITY TMPDIR; do
    echo "$name=${!name}"
done
echo "MUTTER_SCENE_OUT=$E2E_TMP/scene.out"
"$(dirname "$0")/remote_input.py"
