# A headless KWin (Plasma's compositor) of its own for scenarios on Wayland, run as the user
# spanlet-test under root as sway is (sway_session.sh), inside a session bus of its own that
# lets us, another user, in. The client side (spanlet, wl-paste) runs as us. Sourced after
# lib.sh and sway_session.sh.

# start_kwin <scale> [<width> <height>]: KWin with one output of <width> × <height> points
# (1280 × 800 by default) at <scale> (KWIN_OUTPUTS=2: two, side by side), Xwayland, fake input
# and the screenshot interface open to any caller (with KWIN_CHECK_SCREENSHOTS=1 only to
# programs a desktop entry allows, as on a desktop); its socket in WAYLAND_DISPLAY and its bus
# in DBUS_SESSION_BUS_ADDRESS. KWin's home, and so its applications folder, is in KWIN_HOME;
# its Xwayland display, open to KWin's user only (see as_kwin_user), in KWIN_X_DISPLAY.
start_kwin() {
    local user folder=$E2E_TMP/kwin scale=$1 width=${2:-1280} height=${3:-800}
    local screenshots=KWIN_SCREENSHOT_NO_PERMISSION_CHECKS=1
    [ "${KWIN_CHECK_SCREENSHOTS:-}" = 1 ] && screenshots=KWIN_SCREENSHOT_CHECKS=1
    user=$(sway_user)
    mkdir -p "$folder/bin" "$folder/run"
    # The installed binary carries file capabilities that an unprivileged user in a container
    # may not take on; a copy has none (KWin knows itself by this name).
    cp /usr/bin/kwin_wayland "$folder/bin/"
    cat >"$folder/bus.conf" <<'EOF'
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <include>/usr/share/dbus-1/session.conf</include>
  <policy context="default"><allow user="*"/></policy>
</busconfig>
EOF
    # Started inside the session (in a session of its own): tells us the bus, then ends with
    # KWin.
    printf '#!/bin/sh\necho "$DISPLAY" >"%s/x-display"\necho "$DBUS_SESSION_BUS_ADDRESS" >"%s/bus.tmp" && mv "%s/bus.tmp" "%s/bus"\nwhile kill -0 $PPID 2>/dev/null; do sleep 1; done\n' \
        "$folder/run" "$folder/run" "$folder/run" "$folder/run" >"$folder/bin/session-up"
    chmod 755 "$folder/bin/session-up"
    chmod 711 "$E2E_TMP" && chown -R "$user:" "$folder" && chmod 711 "$folder" &&
        chmod 700 "$folder/run"
    # A process group of its own, so that KWin, Xwayland and the bus stop together.
    setsid setpriv --reuid="$user" --regid="$user" --clear-groups \
        env -i PATH=/usr/bin:/bin XDG_RUNTIME_DIR="$folder/run" HOME="$folder/run" \
        KWIN_COMPOSE=O2 KWIN_WAYLAND_NO_PERMISSION_CHECKS=1 "$screenshots" \
        dbus-run-session --config-file="$folder/bus.conf" -- "$folder/bin/kwin_wayland" --virtual \
        --no-lockscreen --xwayland --socket kwin-1 --output-count "${KWIN_OUTPUTS:-1}" --width "$width" --height "$height" --scale "$scale" \
        "$folder/bin/session-up" >"$folder/kwin.log" 2>&1 &
    E2E_PIDS+=("-$!")
    wait_until 20 test -s "$folder/run/bus" || { log "KWin did not start: $(cat "$folder/kwin.log")"; exit 1; }
    export XDG_RUNTIME_DIR=$folder/run WAYLAND_DISPLAY=kwin-1 KWIN_HOME=$folder/run
    KWIN_X_DISPLAY=$(cat "$folder/run/x-display")
    export KWIN_X_DISPLAY
    DBUS_SESSION_BUS_ADDRESS=$(cat "$folder/run/bus")
    export DBUS_SESSION_BUS_ADDRESS
    export TMPDIR=$E2E_TMP/client
    mkdir -p -m 700 "$TMPDIR"
    new_config
    unset DISPLAY
}

# as_kwin_user <command...>: runs the command as KWin's user, on KWin. KWin offers its
# restricted interfaces (fake input) only to clients whose executable it can read, so not to
# ours under root.
as_kwin_user() {
    if [ "$(id -u)" -ne 0 ]; then
        "$@"
        return
    fi
    setpriv --reuid=spanlet-test --regid=spanlet-test --clear-groups \
        env -i PATH=/usr/bin:/bin XDG_RUNTIME_DIR="$XDG_RUNTIME_DIR" WAYLAND_DISPLAY="$WAYLAND_DISPLAY" "$@"
}

# kwin_pid: KWin's own process, asked right after start_kwin (whose process group is then the
# last of E2E_PIDS).
kwin_pid() {
    local group=${E2E_PIDS[-1]#-} stat fields
    for stat in /proc/[0-9]*/stat; do
        read -ra fields <"$stat" 2>/dev/null || continue
        # pid (comm) state ppid pgrp: comm has no spaces here.
        if [ "${fields[1]}" == "(kwin_wayland)" ] && [ "${fields[4]}" == "$group" ]; then
            echo "${fields[0]}"
            return 0
        fi
    done
    return 1
}

# kwin_windows: the windows KWin has, one a line: "<pid> <screen> <layer> <caption>" (the
# screen's index; layer 10 is the overlay layer). A script of KWin's lists them into its log,
# ending with a line of its own.
kwin_windows() {
    local name=windows-$RANDOM script
    script=$E2E_TMP/$name.js
    printf 'workspace.clientList().forEach(function (w) { print("%s " + w.pid + " " + w.screen + " " + w.layer + " " + w.caption); });\nprint("%s done");\n' \
        "$name" "$name" >"$script"
    chmod 644 "$script"
    # start runs the scripts loaded and not yet running.
    dbus-send --session --print-reply --dest=org.kde.KWin /Scripting \
        org.kde.kwin.Scripting.loadScript string:"$script" string:"$name" >/dev/null &&
        dbus-send --session --print-reply --dest=org.kde.KWin /Scripting \
            org.kde.kwin.Scripting.start >/dev/null || return 1
    wait_until 5 grep -q "^js: $name done" "$E2E_TMP/kwin/kwin.log" || return 1
    sed -n "s/^js: $name \([0-9].*\)/\1/p" "$E2E_TMP/kwin/kwin.log"
}
