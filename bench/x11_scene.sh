# shellcheck shell=bash
# The X11 benchmarks' desktop, sourced after tests/e2e/lib.sh: start_x11_scene <width>x<height>
# <latency probe> starts an Xvfb of that size, xcompmgr, a tray host and the probe's 32
# windows, and makes a fresh configuration.
start_x11_scene() {
    local size=$1 probe=$2
    local fd_file="$E2E_TMP/display-$size"
    Xvfb -displayfd 5 -noreset -nolisten tcp -screen 0 "${size}x24" +extension RANDR \
        +extension Composite 5>"$fd_file" >/dev/null 2>&1 &
    E2E_PIDS+=($!)
    wait_until 10 grep -q '^[0-9]' "$fd_file" || { log "Xvfb did not start"; exit 1; }
    DISPLAY=":$(head -n 1 "$fd_file")"
    export DISPLAY
    unset QT_SCREEN_SCALE_FACTORS WAYLAND_DISPLAY
    export QT_QPA_PLATFORM=xcb
    mkdir -p "$E2E_TMP/runtime-$size"
    chmod 700 "$E2E_TMP/runtime-$size"
    export XDG_RUNTIME_DIR="$E2E_TMP/runtime-$size"
    background xcompmgr
    background trayer --edge bottom --align right --widthtype request --height 24
    wait_until 10 tray_ready || log "no tray host"
    "$probe" windows >"$E2E_TMP/windows.out" &
    E2E_PIDS+=($!)
    wait_until 10 grep -q ready "$E2E_TMP/windows.out" || { log "no windows"; exit 1; }
    new_config
}
