# A headless sway of its own for scenarios and benchmarks on Wayland: sway runs as the user
# spanlet-test under root (it refuses to run as root); the client side runs as us. Sourced
# after lib.sh; VIRTUAL_INPUT is the seat's pointer and keyboard (tests/wayland/virtual_input).

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
    # Under root the runtime folder is sway's user's, so spanlet keeps its socket here.
    export TMPDIR=$E2E_TMP/client
    mkdir -p -m 700 "$TMPDIR"
    new_config
    unset DISPLAY
}

listening() { [ -n "$(find "$XDG_RUNTIME_DIR" "$TMPDIR" -maxdepth 2 -name 'spanlet-*' -type s)" ]; }

# start_spanlet_here: spanlet on the compositor, once it listens for commands.
start_spanlet_here() {
    "$SPANLET" >>"$E2E_TMP/spanlet.log" 2>&1 &
    SPANLET_PID=$!
    wait_until 15 listening ||
        { log "spanlet did not start: $(cat "$E2E_TMP/spanlet.log")"; exit 1; }
}

# pointer <command>: one line to the virtual pointer, answered once the compositor handled it.
pointer() {
    local answer
    echo "$1" >&"${VI[1]}"
    read -r -t 5 answer <&"${VI[0]}"
    [ "$answer" == ok ] || fail "virtual pointer: '$1' answered '$answer'"
}

# pixel X Y: the output's pixel at (X, Y), global points, as RRGGBB (a screen copy).
pixel() {
    local answer
    echo "pixel $1 $2" >&"${VI[1]}"
    read -r -t 5 answer <&"${VI[0]}"
    printf '%s' "$answer"
}

# start_pointer: the virtual pointer and keyboard, as the coprocess VI; see pointer().
start_pointer() {
    coproc VI { "$VIRTUAL_INPUT"; }
    local ready
    read -r -t 5 ready <&"${VI[0]}"
    [ "$ready" == ready ] || fail "the virtual pointer did not start: '$ready'"
}

# sway_do <command...>: one command to sway over its IPC socket.
sway_do() { swaymsg -s "$(find "$XDG_RUNTIME_DIR" -name 'sway-ipc.*')" "$@" >/dev/null || fail "swaymsg $*"; }
