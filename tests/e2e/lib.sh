# Shared pieces of the end-to-end scenarios: a desktop of its own (Xvfb with two RandR
# monitors, the left one at scale 2, xcompmgr, a tray host), the scene, a fresh configuration,
# the built spanlet, and the person's hands (xdotool) and clipboard (xclip).
#
# Needs SPANLET (the built binary) and E2E_SCENE (the scene helper) in the environment.
# Everything started here is stopped by its PID on exit; each run has its own display and
# temporary folder.

set -u

E2E_TMP=$(mktemp -d /tmp/spanlet-e2e-XXXXXX)
E2E_PIDS=()
SPANLET_PID=
E2E_FAILURES=0

e2e_cleanup() {
    if [ -n "$SPANLET_PID" ]; then
        kill -TERM "$SPANLET_PID" 2>/dev/null
        wait_until 5 spanlet_ended || kill -KILL "$SPANLET_PID" 2>/dev/null
        wait "$SPANLET_PID" 2>/dev/null
    fi
    stop_helpers
    rm -rf "$E2E_TMP"
}
# Stops every helper started so far, the last first, and forgets them.
stop_helpers() {
    local i
    for ((i = ${#E2E_PIDS[@]} - 1; i >= 0; i--)); do
        kill -TERM -- "${E2E_PIDS[i]}" 2>/dev/null
        wait "${E2E_PIDS[i]#-}" 2>/dev/null
        # A process group (a negative id) is gone with its last member, such as a portal that
        # unmounts its folder in the runtime folder on the way out; KWin can hang on its way
        # out, so what is left after 5 s is killed.
        [[ ${E2E_PIDS[i]} == -* ]] && ! wait_until 5 group_gone "${E2E_PIDS[i]}" &&
            kill -KILL -- "${E2E_PIDS[i]}" 2>/dev/null && wait_until 5 group_gone "${E2E_PIDS[i]}"
    done
    E2E_PIDS=()
}
group_gone() { ! kill -0 -- "$1" 2>/dev/null; }
trap e2e_cleanup EXIT

log() { printf '%s\n' "$*" >&2; }

# Records a failed check and carries on, so that one run reports every failure.
fail() {
    log "FAIL: $*"
    E2E_FAILURES=$((E2E_FAILURES + 1))
}
pass() { log "ok:   $*"; }

# expect_equal <what> <expected> <actual>
expect_equal() {
    if [ "$2" == "$3" ]; then pass "$1: $3"; else fail "$1: expected '$2', got '$3'"; fi
}

finish() {
    [ "$E2E_FAILURES" -eq 0 ] || { log "$E2E_FAILURES check(s) failed"; exit 1; }
    exit 0
}

# background <command...>: starts a helper that is stopped on exit.
background() {
    "$@" >/dev/null 2>&1 &
    E2E_PIDS+=($!)
}

# wait_until <seconds> <command...>: polls the command every 50 ms until it succeeds or the
# whole seconds run out.
wait_until() {
    local end=$(($(date +%s%N) + $1 * 1000000000))
    shift
    while ! "$@" 2>/dev/null; do
        if [ "$(date +%s%N)" -gt "$end" ]; then
            return 1
        fi
        sleep 0.05
    done
}

# The desktop: 2304 × 800 device pixels as two monitors side by side, A (primary, 0–1151,
# scale 2) and B (1152–2303, scale 1), a compositor and a tray host on A (none with no-tray).
start_desktop() {
    local fd_file="$E2E_TMP/display"
    Xvfb -displayfd 5 -noreset -nolisten tcp -screen 0 2304x800x24 +extension RANDR \
        +extension Composite 5>"$fd_file" >/dev/null 2>&1 &
    E2E_PIDS+=($!)
    if ! wait_until 10 grep -q '^[0-9]' "$fd_file"; then
        log "Xvfb did not start"
        exit 1
    fi
    export DISPLAY=":$(head -n 1 "$fd_file")"
    if ! xrandr --setmonitor '*A' 1152/300x800/300+0+0 screen >/dev/null ||
        ! xrandr --setmonitor B 1152/300x800/300+1152+0 none >/dev/null; then
        log "xrandr --setmonitor failed"
        exit 1
    fi
    export QT_QPA_PLATFORM=xcb
    export QT_SCREEN_SCALE_FACTORS='2;1'
    unset WAYLAND_DISPLAY
    mkdir -p "$E2E_TMP/runtime"
    chmod 700 "$E2E_TMP/runtime"
    export XDG_RUNTIME_DIR="$E2E_TMP/runtime"
    export HOME="$E2E_TMP/home"
    mkdir -p "$HOME"
    background xcompmgr
    if [ "${1:-}" != no-tray ]; then
        background trayer --edge bottom --align right --widthtype request --height 24 \
            --monitor primary
        wait_until 10 tray_ready || log "no tray host"
    fi
    new_config
}

tray_ready() { xwininfo -root -tree | grep -q '"panel": ("panel" "trayer")'; }

# A fresh, empty configuration folder. The welcome window is marked as seen, as after a
# person's first start, so that it does not cover the scene.
new_config() {
    export XDG_CONFIG_HOME="$E2E_TMP/config-$RANDOM$RANDOM"
    mkdir -p "$XDG_CONFIG_HOME/spanlet"
    printf '{"welcomed":true}' >"$XDG_CONFIG_HOME/spanlet/preferences.json"
}

preferences() { cat "$XDG_CONFIG_HOME/spanlet/preferences.json"; }

# show_scene window|wallpaper
show_scene() {
    "$E2E_SCENE" "$1" >"$E2E_TMP/scene.out" 2>&1 &
    E2E_PIDS+=($!)
    wait_until 10 grep -q ready "$E2E_TMP/scene.out" || {
        log "the scene did not start"
        exit 1
    }
}

# Lines "name x y width height aimX aimY RRGGBB" for every box of the scene.
scene_boxes() { "$E2E_SCENE" boxes; }

# The root window's pixel at (x, y) as RRGGBB.
root_pixel() { "$E2E_SCENE" pixel "$1" "$2"; }

overlays_shown() { [ "$(xdotool search --onlyvisible --name '^Spanlet Overlay$' | wc -l)" -ge 1 ]; }
tray_icon_shown() {
    xwininfo -root -tree | grep -A4 '"panel": ("panel" "trayer")' | grep -q '"Spanlet"'
}

# An inherited Qt platform that is not the desktop's must change nothing.
start_spanlet() {
    QT_QPA_PLATFORM=wayland "$SPANLET" >>"$E2E_TMP/spanlet.log" 2>&1 &
    SPANLET_PID=$!
    if ! wait_until 15 tray_icon_shown; then
        log "spanlet did not show its tray icon"
        tail -n 20 "$E2E_TMP/spanlet.log" >&2
        exit 1
    fi
}

spanlet_running() { kill -0 "$SPANLET_PID" 2>/dev/null && ! grep -q '^State:.*Z' "/proc/$SPANLET_PID/status"; }
spanlet_ended() { ! spanlet_running; }

# Ends spanlet with SIGTERM, as a session logout would, and checks that it ended cleanly.
stop_spanlet() {
    kill -TERM "$SPANLET_PID"
    if ! wait_until 10 spanlet_ended; then
        fail "spanlet did not end within 10 s of SIGTERM"
        kill -KILL "$SPANLET_PID"
    fi
    wait "$SPANLET_PID"
    local status=$?
    SPANLET_PID=
    # 143: ended by the SIGTERM itself (the handler quits with 0).
    if [ "$status" -ne 0 ] && [ "$status" -ne 143 ]; then
        fail "spanlet exited with status $status"
    fi
}

# Ends spanlet as its menu's Quit would (SIGTERM after 10 s), for runs that measure rather than
# check.
quit_spanlet() {
    "$SPANLET" --quit
    wait_until 10 spanlet_ended || kill -TERM "$SPANLET_PID"
    wait "$SPANLET_PID" 2>/dev/null
    SPANLET_PID=
}

restart_spanlet() {
    stop_spanlet
    start_spanlet
}

# key <keys...>: a person pressing shortcuts, e.g. key ctrl+shift+s.
key() { xdotool key --clearmodifiers "$@"; }

point_at() {
    xdotool mousemove "$1" "$2"
    sleep 0.1
}

clipboard() { xclip -o -selection clipboard 2>/dev/null; }

# Puts a marker on the clipboard (owned by an xclip that ends when another program takes the
# clipboard), so that a copy is seen even when it copies the same text as before.
mark_clipboard() {
    printf 'spanlet-e2e-marker' | xclip -i -selection clipboard -quiet >/dev/null 2>&1 &
    E2E_PIDS+=($!)
    wait_until 5 clipboard_is spanlet-e2e-marker
}
clipboard_is() { [ "$(clipboard)" == "$1" ]; }
clipboard_changed() { [ "$(clipboard)" != spanlet-e2e-marker ]; }

# copy_with <keys>: marks the clipboard, presses the keys and prints what was copied (the
# marker when nothing was). The live measurement follows the pointer within a few pointer
# ticks, so a copy that still holds an older text is tried again until the deadline.
copy_with() {
    local keys=$1 expected=${2:-}
    local end=$(($(date +%s%N) + 4000000000))
    local got
    while :; do
        mark_clipboard
        key "$keys"
        wait_until 2 clipboard_changed
        got=$(clipboard)
        if [ -z "$expected" ] || [ "$got" == "$expected" ] || [ "$(date +%s%N)" -gt "$end" ]; then
            break
        fi
        sleep 0.1
    done
    printf '%s' "$got"
}

# window_geometry <name>: "x y width height" of the first visible window so named.
window_geometry() {
    local id
    id=$(xdotool search --onlyvisible --name "$1" | head -n 1)
    [ -n "$id" ] || return 1
    xwininfo -id "$id" | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4}
        /Width:/ {w=$2} /Height:/ {h=$2} END {print x, y, w, h}'
}
window_shown() { xdotool search --onlyvisible --name "$1" >/dev/null; }

# A top-level window of spanlet titled "Spanlet" that is mapped: the tray menu.
menu_shown() {
    local id
    for id in $(xwininfo -root -children | awk '/"Spanlet": \("spanlet" "Spanlet"\)/ {print $1}'); do
        xwininfo -id "$id" | grep -q 'Map State: IsViewable' && return 0
    done
    return 1
}

# The tray menu's entry that lies <n> entries above its end ("Quit Spanlet" is 1), chosen
# with the keyboard as a person would.
tray_menu_from_end() {
    local icon
    icon=$(xwininfo -root -tree | grep -A4 '"panel": ("panel" "trayer")' |
        awk '/"Spanlet"/ {split($NF, a, "+"); print a[2], a[3]}')
    [ -n "$icon" ] || return 1
    # shellcheck disable=SC2086 # "x y" of the icon, split on purpose
    set -- "$1" $icon
    xdotool mousemove $(($2 + 10)) $(($3 + 10)) click 3
    wait_until 5 menu_shown || return 1
    sleep 0.3
    local i
    for ((i = 0; i < $1; i++)); do xdotool key Up; done
    xdotool key Return
}

# A private session bus.
start_session_bus() {
    local address_file="$E2E_TMP/bus"
    dbus-daemon --session --nofork --print-address=5 5>"$address_file" >/dev/null 2>&1 &
    E2E_PIDS+=($!)
    wait_until 10 grep -q '^unix:' "$address_file" || { log "no session bus"; exit 1; }
    export DBUS_SESSION_BUS_ADDRESS=$(head -n 1 "$address_file")
}

# A private session bus with the accessibility bus on it, and a listener as a screen reader
# would run one; Spanlet's accessibility bridge is on without a screen reader's request.
start_accessibility_bus() {
    start_session_bus
    background /usr/libexec/at-spi-bus-launcher --launch-immediately
    export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
    /usr/bin/python3 "$(dirname "$0")/atspi.py" listen "$E2E_TMP/heard" 2>>"$E2E_TMP/atspi.log" &
    E2E_PIDS+=($!)
    wait_until 10 grep -q listening "$E2E_TMP/heard" || { log "the listener did not start"; exit 1; }
}
