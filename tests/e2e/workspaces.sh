#!/usr/bin/env bash
# The overlay and the ruler under a real window manager (openbox, two workspaces): they stay
# shown on every workspace and above a focused full-screen window, and the ruler still takes
# the keyboard when clicked; with no window manager, above a window mapped later.
# Needs SPANLET and E2E_SCENE (see lib.sh).
set -u
export LC_ALL=C.UTF-8
. "$(dirname "$0")/lib.sh"

wm_ready() { wmctrl -m >/dev/null; }
wm_gone() { ! wm_ready; }
two_workspaces() { [ "$(wmctrl -d | wc -l)" -eq 2 ]; }
on_workspace() { wmctrl -d | grep -q "^$1 *\*"; }
managed() { wmctrl -l | grep -q " $1\$"; }
ruler_hidden() { ! window_shown '^Ruler$'; }

# The top-level window (a child of the root) that holds <window>.
top_level() {
    local id=$1 parent root
    root=$(xwininfo -root | awk '/Window id:/ {print $4}')
    while parent=$(xwininfo -children -id "$id" | awk '/Parent window id:/ {print $4}') &&
        [ -n "$parent" ] && [ $((parent)) -ne $((root)) ]; do
        id=$parent
    done
    printf '0x%x' "$id"
}

# Rank of <window> among the root's children, 1 being the topmost.
stack_rank() {
    xwininfo -root -children | awk -v w="$(printf '0x%x' "$1")" '$1 ~ /^0x/ {n++; if ($1 == w) print n}'
}

# expect_above <top-level window> <what>: the overlay panels and the ruler lie above it.
expect_above() {
    local below id rank
    below=$(stack_rank "$1")
    for id in $(xdotool search --onlyvisible --name '^(Spanlet Overlay|Ruler)$'); do
        rank=$(stack_rank "$(top_level "$id")")
        if [ -n "$rank" ] && [ -n "$below" ] && [ "$rank" -lt "$below" ]; then
            pass "$(xdotool getwindowname "$id") above $2"
        else
            fail "$(xdotool getwindowname "$id") at $rank, $2 at $below"
        fi
    done
}

# expect_shown <what>: the overlay panels and the ruler are mapped and viewable.
expect_shown() {
    local overlays
    overlays=$(xdotool search --onlyvisible --name '^Spanlet Overlay$' | wc -l)
    expect_equal "overlay panels viewable $1" 2 "$overlays"
    if window_shown '^Ruler$'; then pass "ruler viewable $1"; else fail "ruler not viewable $1"; fi
}

start_desktop
background openbox
openbox_pid=${E2E_PIDS[-1]}
wait_until 10 wm_ready || { log "openbox did not start"; exit 1; }
wmctrl -n 2
wait_until 5 two_workspaces || fail "openbox did not make two workspaces"
start_spanlet
"$SPANLET" --command toggleSnapping
"$SPANLET" --command toggleRuler
wait_until 5 overlays_shown || fail "the overlay did not show"
wait_until 5 window_shown '^Ruler$' || fail "the ruler did not show"

# A focused full-screen window on monitor B, where the ruler lies: the window manager puts it
# above every window it manages.
background xev -name spanlet-fullscreen -geometry 300x200+1300+100
wait_until 10 managed spanlet-fullscreen || fail "the full-screen window was not managed"
wmctrl -r spanlet-fullscreen -b add,fullscreen
wmctrl -a spanlet-fullscreen
sleep 0.5
full=$(top_level "$(xdotool search --name '^spanlet-fullscreen$' | head -n 1)")
log "full-screen window: $(xwininfo -id "$full" | awk '/geometry/ {print $2}')"
expect_above "$full" "the full-screen window"

expect_shown "on workspace 0"
wmctrl -s 1
wait_until 5 on_workspace 1 || fail "openbox did not switch to workspace 1"
sleep 0.3
expect_shown "on workspace 1"

# A click on the ruler focuses it: Escape hides it.
read -r x y w h < <(window_geometry '^Ruler$')
point_at $((x + w / 2)) $((y + h / 2))
xdotool click 1
sleep 0.2
xdotool key Escape
wait_until 5 ruler_hidden || fail "Escape after a click did not hide the ruler"

# Without a window manager to stack it, a window mapped later lands on top of everything: the
# panels and the ruler go back above it.
kill -TERM "$openbox_pid"
wait_until 5 wm_gone || fail "openbox did not end"
"$SPANLET" --command toggleRuler
wait_until 5 window_shown '^Ruler$' || fail "the ruler did not show again"
background xev -name spanlet-late -geometry 1152x800+1152+0
wait_until 5 window_shown '^spanlet-late$' || fail "the later window did not show"
sleep 0.3
expect_above "$(xdotool search --name '^spanlet-late$' | head -n 1)" "a window mapped later"

stop_spanlet
finish
