# A headless mutter (GNOME's compositor) of its own for scenarios on Wayland, run as the user
# spanlet-test under root as KWin is (kwin_session.sh), inside a session bus of its own that
# lets us, another user, in, with PipeWire and WirePlumber for its screen casts. The client
# side runs as us. Sourced after lib.sh and sway_session.sh.

# start_mutter <scale> [<width> <height>]: mutter with one virtual monitor of <width> × <height>
# points (1280 × 800 by default) at <scale> (1, 2, or a fraction such as 1.5: the nearest that
# mutter offers), and Xwayland.
# Its socket in WAYLAND_DISPLAY, its bus in DBUS_SESSION_BUS_ADDRESS, its Xwayland in DISPLAY
# and XAUTHORITY (the clipboard for xclip), the monitor's connector in MUTTER_MONITOR.
start_mutter() {
    local user folder=$E2E_TMP/mutter scale=$1 width=${2:-1280} height=${3:-800} pixels
    pixels=$(awk -v s="$scale" -v w="$width" -v h="$height" 'BEGIN { printf "%dx%d", w * s + 0.5, h * s + 0.5 }')
    user=$(sway_user)
    mkdir -p "$folder/bin" "$folder/run/home"
    cat >"$folder/bus.conf" <<'EOF'
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <include>/usr/share/dbus-1/session.conf</include>
  <policy context="default"><allow user="*"/></policy>
</busconfig>
EOF
    # Started by mutter inside the session, with its displays set: starts PipeWire and
    # WirePlumber, tells us the session, then ends with mutter.
    cat >"$folder/bin/session-up" <<EOF
#!/bin/sh
pipewire >"$folder/run/pipewire.log" 2>&1 &
# WirePlumber gives up at once if PipeWire does not answer yet: it starts once the socket is there.
while [ ! -S "$folder/run/pipewire-0" ]; do sleep 0.1; done
wireplumber >"$folder/run/wireplumber.log" 2>&1 &
printf '%s\n' "\$DBUS_SESSION_BUS_ADDRESS" "\$DISPLAY" >"$folder/run/session.tmp"
mv "$folder/run/session.tmp" "$folder/run/session"
while kill -0 \$PPID 2>/dev/null; do sleep 1; done
EOF
    chmod 755 "$folder/bin/session-up"
    chmod 711 "$E2E_TMP" && chown -R "$user:" "$folder" && chmod 711 "$folder" &&
        chmod 700 "$folder/run"
    # Fractional scales are an experiment in mutter 43, set before it starts.
    local features="[]"
    case $scale in *.*) features="['scale-monitor-framebuffer']" ;; esac
    # A process group of its own, so that mutter, Xwayland, PipeWire and the bus stop together.
    setsid setpriv --reuid="$user" --regid="$user" --clear-groups \
        env -i PATH=/usr/bin:/bin XDG_RUNTIME_DIR="$folder/run" HOME="$folder/run/home" \
        XDG_CONFIG_HOME="$folder/run/home" GSETTINGS_BACKEND=keyfile MUTTER_DEBUG_DISABLE_ANIMATIONS=1 \
        dbus-run-session --config-file="$folder/bus.conf" -- sh -c \
        'gsettings set org.gnome.mutter experimental-features "$1" && shift && exec "$@"' sh "$features" \
        mutter --headless --virtual-monitor "$pixels" --wayland \
        --wayland-display mutter-1 -- "$folder/bin/session-up" >"$folder/mutter.log" 2>&1 &
    E2E_PIDS+=("-$!")
    wait_until 30 test -s "$folder/run/session" || { log "mutter did not start: $(cat "$folder/mutter.log")"; exit 1; }
    export XDG_RUNTIME_DIR=$folder/run WAYLAND_DISPLAY=mutter-1
    DBUS_SESSION_BUS_ADDRESS=$(sed -n 1p "$folder/run/session")
    DISPLAY=$(sed -n 2p "$folder/run/session")
    XAUTHORITY=$(find "$folder/run" -maxdepth 1 -name '.mutter-Xwaylandauth.*' | head -n 1)
    export DBUS_SESSION_BUS_ADDRESS DISPLAY XAUTHORITY
    wait_until 60 mutter_ready || { log "mutter's screen casts did not come up: $(cat "$folder/mutter.log" "$folder/run/"*.log)"; exit 1; }
    MUTTER_MONITOR=$(mutter_connector)
    export MUTTER_MONITOR
    [ "$scale" = 1 ] || mutter_scale "$scale" || { log "mutter took no scale $scale"; exit 1; }
    export TMPDIR=$E2E_TMP/client
    mkdir -p -m 700 "$TMPDIR"
    new_config
}

# Screen casts work once mutter offers them and PipeWire's session manager links streams.
mutter_ready() {
    test -S "$XDG_RUNTIME_DIR/pipewire-0" &&
        gdbus introspect --session --dest org.gnome.Mutter.ScreenCast \
            --object-path /org/gnome/Mutter/ScreenCast >/dev/null &&
        as_mutter_user pw-cli ls Client | grep -q '"WirePlumber \[export\]"'
}

# as_mutter_user <command...>: runs the command as mutter's user, in its runtime folder.
as_mutter_user() {
    if [ "$(id -u)" -ne 0 ]; then
        "$@"
        return
    fi
    setpriv --reuid=spanlet-test --regid=spanlet-test --clear-groups \
        env -i PATH=/usr/bin:/bin XDG_RUNTIME_DIR="$XDG_RUNTIME_DIR" "$@"
}

mutter_state() {
    gdbus call --session --dest org.gnome.Mutter.DisplayConfig \
        --object-path /org/gnome/Mutter/DisplayConfig --method org.gnome.Mutter.DisplayConfig.GetCurrentState
}

# The virtual monitor's connector (the first monitor's).
mutter_connector() { mutter_state | grep -o "^([^[]*\[(('[^']*'" | grep -o "'[^']*'$" | tr -d "'"; }

# mutter_scale <scale>: the monitor at the supported scale nearest <scale>, in its current
# mode, as the desktop's Displays settings would apply it (for this session only), once mutter
# reports it.
mutter_scale() {
    local state serial current mode exact
    state=$(mutter_state)
    serial=$(grep -o '^(uint32 [0-9]*' <<<"$state" | grep -o '[0-9]*$')
    current=$(grep -o "('[^']*', [0-9]*, [0-9]*, [0-9.]*, [0-9.]*, \[[^]]*\], {[^}]*'is-current': <true>" <<<"$state" | head -n 1)
    mode=$(grep -o "^('[^']*'" <<<"$current" | tr -d "('")
    exact=$(grep -o '\[[^]]*\]' <<<"$current" | tr -d '[] ' | tr , '\n' |
        awk -v s="$1" '{ d = $1 - s; if (d < 0) d = -d; if (best == "" || d < bestd) { best = $1; bestd = d } } END { print best }')
    gdbus call --session --dest org.gnome.Mutter.DisplayConfig --object-path /org/gnome/Mutter/DisplayConfig \
        --method org.gnome.Mutter.DisplayConfig.ApplyMonitorsConfig "$serial" 1 \
        "[(0, 0, $exact, 0, true, [('$MUTTER_MONITOR', '$mode', {})])]" "{}" >/dev/null || return 1
    wait_until 5 mutter_scaled "$exact"
}

mutter_scaled() { mutter_state | grep -qF "], [(0, 0, $1, "; }
