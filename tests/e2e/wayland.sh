#!/usr/bin/env bash
# End-to-end scenarios on a headless sway of its own (as the user spanlet-test under root;
# sway refuses to run as root). The client side (spanlet, wl-paste) runs as us.
#   wayland.sh start | no-display
# Needs SPANLET (see lib.sh).
set -u
export LC_ALL=C.UTF-8
. "$(dirname "$0")/lib.sh"

sway_user() {
    if [ "$(id -u)" -ne 0 ]; then
        id -un
        return
    fi
    id spanlet-test >/dev/null 2>&1 || useradd --system --no-create-home spanlet-test || exit 1
    echo spanlet-test
}

# start_sway <config lines>: a headless sway with one output; its socket in WAYLAND_DISPLAY.
start_sway() {
    local user folder=$E2E_TMP/sway
    user=$(sway_user)
    mkdir -p "$folder"
    printf 'xwayland disable\n%s\n' "$1" >"$folder/config"
    chmod 711 "$E2E_TMP" && chown -R "$user:" "$folder" && chmod 700 "$folder"
    setpriv --reuid="$user" --regid="$user" --clear-groups --pdeathsig TERM \
        env -i PATH=/usr/bin:/bin XDG_RUNTIME_DIR="$folder" HOME="$folder" \
        WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman \
        sway -c "$folder/config" >"$folder/sway.log" 2>&1 &
    E2E_PIDS+=($!)
    wait_until 10 test -S "$folder/wayland-1" || { log "sway did not start"; exit 1; }
    export XDG_RUNTIME_DIR=$folder WAYLAND_DISPLAY=wayland-1
    unset DISPLAY
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
    expect_equal "message" "spanlet: no display server to run on (needs a Wayland compositor with layer shell and screencopy, or an X11 display)" "$said"
}

case "${1:-}" in
start) start ;;
no-display) no_display ;;
*)
    log "usage: wayland.sh start | no-display"
    exit 2
    ;;
esac
finish
