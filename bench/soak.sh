#!/usr/bin/env bash
# Soak: Spanlet on an Xvfb of its own (three monitor slots of 1152 × 800), not part of
# `make test`:
#   1. the pointer moves at 60 Hz for SOAK_SECONDS (default 600) with snapping on; the resident
#      set may grow by less than 2 MB (measured after a 10 s warm-up);
#   2. CYCLES (default 100) times a monitor is added and removed with xrandr --setmonitor /
#      --delmonitor; Spanlet must stay up and show exactly one overlay panel per monitor after
#      each change.
# Usage: bench/soak.sh <build folder>
set -u
build=${1:?build folder (with app/shell/spanlet, bench/latency_probe, tests/e2e/e2e_scene)}
seconds=${SOAK_SECONDS:-600}
cycles=${CYCLES:-100}
export SPANLET="$build/app/shell/spanlet"
export E2E_SCENE="$build/tests/e2e/e2e_scene"
probe="$build/bench/latency_probe"
export LC_ALL=C.UTF-8
. "$(dirname "$0")/../tests/e2e/lib.sh"

rss_kb() { awk '/^VmRSS/ {print $2}' "/proc/$SPANLET_PID/status"; }
panels() { xdotool search --onlyvisible --name '^Spanlet Overlay$' 2>/dev/null | wc -l; }
panels_are() { [ "$(panels)" -eq "$1" ]; }

fd_file="$E2E_TMP/display"
Xvfb -displayfd 5 -noreset -nolisten tcp -screen 0 3456x800x24 +extension RANDR \
    +extension Composite 5>"$fd_file" >/dev/null 2>&1 &
E2E_PIDS+=($!)
wait_until 10 grep -q '^[0-9]' "$fd_file" || { log "Xvfb did not start"; exit 1; }
export DISPLAY=":$(head -n 1 "$fd_file")"
export QT_QPA_PLATFORM=xcb
unset QT_SCREEN_SCALE_FACTORS WAYLAND_DISPLAY
mkdir -p "$E2E_TMP/runtime"
chmod 700 "$E2E_TMP/runtime"
export XDG_RUNTIME_DIR="$E2E_TMP/runtime"
if ! xrandr --setmonitor '*A' 1152/300x800/300+0+0 screen >/dev/null ||
    ! xrandr --setmonitor B 1152/300x800/300+1152+0 none >/dev/null; then
    log "xrandr --setmonitor failed"
    exit 1
fi
background xcompmgr
background trayer --edge bottom --align right --widthtype request --height 24 --monitor primary
wait_until 10 tray_ready || log "no tray host"
show_scene window
new_config
start_spanlet
key ctrl+shift+s
wait_until 5 panels_are 2 || fail "expected 2 overlay panels at the start, found $(panels)"

# 1. Pointer motion.
"$probe" move 10 60
rss0=$(rss_kb)
"$probe" move "$seconds" 60
rss1=$(rss_kb)
growth=$((rss1 - rss0))
if spanlet_running && [ "$growth" -lt 2048 ]; then
    pass "RSS $rss0 kB → $rss1 kB after $seconds s of motion (growth $growth kB)"
else
    fail "RSS $rss0 kB → $rss1 kB after $seconds s of motion (growth $growth kB), running: $(spanlet_running && echo yes || echo no)"
fi

# 2. Monitors coming and going.
bad=0
for ((i = 1; i <= cycles; i++)); do
    xrandr --setmonitor C 1152/300x800/300+2304+0 none >/dev/null
    wait_until 5 panels_are 3 || { bad=$((bad + 1)); log "cycle $i: $(panels) panels with 3 monitors"; }
    xrandr --delmonitor C >/dev/null
    wait_until 5 panels_are 2 || { bad=$((bad + 1)); log "cycle $i: $(panels) panels with 2 monitors"; }
    spanlet_running || { fail "spanlet ended in cycle $i"; break; }
done
if [ "$bad" -eq 0 ] && spanlet_running; then
    pass "$cycles monitor add/remove cycles: one overlay panel per monitor each time"
else
    fail "$bad of $((2 * cycles)) monitor changes left the wrong number of overlay panels"
fi
stop_spanlet
finish
