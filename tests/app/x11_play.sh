#!/usr/bin/env bash
# The real game in a real X window (Xvfb, no window manager), driven with xdotool as a player
# would and checked through --trace-game:
# - the window carries the game's icon and the desktop id as its class;
# - the window menu opened by a click during attract mode holds the demo where it stands;
# - from the main menu, Alt+Return (on NEW GAME and on HELP) and a click on the menu bar's Help
#   start no game and open no help screen; Alt+Return fills the 1920 x 1080 screen with the picture;
# - P tapped with no time between press and release, once a second, pauses and resumes the game
#   at every tap;
# - the level editor opened three times from the window menu by the keyboard (Enter, keypad
#   Enter), saving each time, and the world shown after it with its sky; a second start leaves the
#   first copy with the keyboard, drawing.
#   usage: x11_play.sh GAME
set -u
game="$1"
command -v Xvfb >/dev/null || { echo "Xvfb missing: skipped"; exit 0; }
for tool in xdotool xprop xwd xwdtopnm pnmcrop pnmfile pamcut ppmtopgm pamsumm; do
    command -v $tool >/dev/null || { echo "$tool missing (scripts/install-deps.sh test installs it)"; exit 1; }
done
work=$(mktemp -d)
xvfb="" pid=""
cleanup() {
    [ -n "$pid" ] && kill "$pid" 2>/dev/null
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*"
    [ -n "${trace:-}" ] && tail -3 "$trace"
    exit 1
}

Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
xvfb=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || fail "Xvfb did not start"
export DISPLAY=":$(head -1 "$work/display")"
unset SDL_VIDEODRIVER WAYLAND_DISPLAY
export XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config" SDL_AUDIODRIVER=dummy
# The X and OpenGL libraries keep memory to the end; the headless runs check the game's own.
export ASAN_OPTIONS=detect_leaks=0

key() { xdotool key --delay 0 "$@"; }
# Waits (at most 30 s) until the trace's last line matches the awk condition.
wait_for() {
    for _ in $(seq 300); do
        tail -n 1 "$trace" 2>/dev/null | awk "$1 { found = 1 } END { exit !found }" && return 0
        sleep 0.1
    done
    fail "waited in vain for $1"
}
# Waits for `n` more passes of the game.
wait_passes() {
    local now
    now=$(tail -n 1 "$trace" | awk '{ print $2 }')
    wait_for "\$2 >= ${now:-0} + $1"
}
# Starts the game with its trace in $trace; its window, focused, in $win.
start() {
    trace="$work/$1.trace"
    "$game" --language 1 --difficulty normal --trace-game "$trace" "${@:2}" >"$work/$1.log" 2>&1 &
    pid=$!
    win=""
    for _ in $(seq 600); do   # the game's window, not its splash (which has no title)
        for w in $(xdotool search --onlyvisible --pid $pid 2>/dev/null); do
            [ "$(xdotool getwindowname "$w" 2>/dev/null)" = Veltramondo ] && win=$w
        done
        [ -n "$win" ] && break
        sleep 0.1
    done
    [ -n "$win" ] || fail "$1: no window ($(kill -0 $pid 2>/dev/null && echo running || echo ended); $(tail -c 300 "$work/$1.log"))"
    wait_for '$2 >= 5'
    xdotool windowfocus --sync "$win"
}
# Closes the window as the player would (Alt+F4) and waits for the game to end with status 0.
stop() {
    key alt+F4
    wait $pid || fail "$1: exit status $?"
    pid=""
}
# Looks (at most 20 s: a loaded machine can take a few seconds to redraw at a new size) until the
# lit part of the screen is at least `$2` pixels wide (w) or high (h); its size in lit_w, lit_h.
wait_lit() {
    for _ in $(seq 40); do
        sleep 0.5
        xwd -root -silent | xwdtopnm 2>/dev/null | pnmcrop -black 2>/dev/null | pnmfile >"$work/lit"
        read -r _ _ _ lit_w _ lit_h _ <"$work/lit"
        [ "$1" = w ] && [ "${lit_w:-0}" -ge "$2" ] && return
        [ "$1" = h ] && [ "${lit_h:-0}" -ge "$2" ] && return
    done
}
# A click on the menu bar's Help (the fourth title; the bar starts at the window's top edge).
click_help() {
    eval "$(xdotool getwindowgeometry --shell "$win")"
    xdotool mousemove $((X + 186)) $((Y + 9)) click 1
}

# ------------------------------------------------------------------------------------------------
# The game runs on a fixed clock: 21 steps a pass, whatever the load of the machine, so that its
# key delay (4 passes) and the main menu's idle time (48 passes) are known; the keys and clicks
# still come from the X server.
start menus --fixed-ticks 20
xprop -id "$win" WM_CLASS | grep -q '"org.pellovar.veltramondo", "org.pellovar.veltramondo"' ||
    fail "window class: $(xprop -id "$win" WM_CLASS)"
xprop -id "$win" _NET_WM_ICON | grep -q "Icon (64 x 64)" || fail "no window icon"

# Attract mode: the window menu holds the demo while it is open.
click_help
wait_for '$4 == 0'
sleep 1
key Escape
wait_for '$4 > 0'
# The main menu (its keys wait out a short delay after it opens): Alt+Return toggles fullscreen
# and nothing else, on NEW GAME and on HELP; a click on the bar's Help opens the window menu only.
key Escape
wait_for '$6 == "menu"'
wait_passes 6
key alt+Return
wait_lit h 1026
key alt+Return
for _ in 1 2 3; do
    wait_passes 6
    key Down
done
wait_passes 6
key alt+Return
wait_passes 6
key alt+Return
wait_passes 6
click_help
wait_for '$4 == 0'
key Escape
wait_for '$4 > 0'
stop menus

[ "${lit_h:-0}" -ge 1026 ] || fail "fullscreen lights $(cat "$work/lit")"
awk '
    $6 == "play" || $6 == "help" { print "a " $6 " state at pass " $2 ": " $0; bad = 1; exit }
    # Passes under the open window menu run no step: the demo stands where it stood.
    $4 == 0 { if (held && $23 != demo) { print "the demo moved under the menu: " $0; bad = 1 } held++; demo = $23 }
    $4 > 0 { held = 0 }
    $4 == 0 && $6 == "attract" { attract_held++ }
    END {
        if (attract_held < 5) { print attract_held " held passes in attract mode"; bad = 1 }
        exit bad
    }
' "$trace" || fail "window keys and clicks reached the game"
grep -q ' state menu ' "$trace" || fail "the main menu never opened"

# ------------------------------------------------------------------------------------------------
start taps --autopilot --fixed-ticks 20
key Escape
wait_for '$6 == "menu"'
wait_passes 6
key Return
wait_for '$6 == "play"'
sleep 1
for _ in 1 2 3 4 5 6; do
    key p
    sleep 1
done
stop taps
awk '
    $6 == "play" || $6 == "paused" { if (last != "" && $6 != last) turns++; last = $6 }
    END { if (turns != 6) { print turns + 0 " pause changes for 6 taps"; exit 1 } }
' "$trace" || fail "P taps"

# ------------------------------------------------------------------------------------------------
# The window menu by the keyboard opens the level editor three times in one run: F10, Enter on
# Game, Down twice faster than a frame, then Enter or the keypad's Enter on Level
# Editor; Ctrl+S saves the set under its name each time and Esc goes back to the main menu.
start editor --fixed-ticks 20
set_file="$XDG_DATA_HOME/Pellovar/Veltramondo/levels/custom.txt"
for enter in Return KP_Enter Return; do
    # The menu draws what a key opened before the next key comes, however loaded the machine.
    for k in F10 Return Down2 $enter; do
        wait_passes 3
        sleep 0.3
        # Two taps 12 ms apart (closer ones the X server's client takes for a held key's repeat).
        if [ $k = Down2 ]; then xdotool key --delay 12 Down Down; else key $k; fi
    done
    wait_for '$6 == "editor"'
    rm -f "$set_file"
    key ctrl+s
    for _ in $(seq 100); do [ -s "$set_file" ] && break; sleep 0.1; done
    [ -s "$set_file" ] || fail "$enter: the editor opened from the window menu did not save levels/custom.txt"
    key Escape
    wait_for '$6 == "menu"'
done
grep -q 'cannot edit' "$work/editor.log" && fail "the editor refused: $(grep 'cannot edit' "$work/editor.log")"
# Worlds loaded after the editor still show their sky: the strip left of the menu is not black.
wait_passes 10
sky=$(xwd -id "$win" -silent | xwdtopnm 2>/dev/null | pamcut -left 0 -width 24 -top 22 -height 150 | ppmtopgm | pamsumm -brief -max)
[ "${sky:-0}" != 0 ] || fail "after the editor the sky is black"

# A second start leaves the first copy in charge: it has the keyboard (Down moves its menu) and
# draws at a new size.
"$game" --language 1 >"$work/second.log" 2>&1 || fail "second copy: exit status $?"
grep -q "already running: its window was brought to the front" "$work/second.log" || fail "second copy: $(cat "$work/second.log")"
wait_passes 4
item=$(tail -n 1 "$trace" | awk '{ print $30 }')
key Down
wait_for "\$30 != $item"
xdotool windowsize "$win" 960 720
wait_lit w 950
[ "${lit_w:-0}" -ge 950 ] || fail "after the second start the window drew $(cat "$work/lit")"
stop editor

echo "in an X window: window keys and clicks stayed out of the game, taps arrived, the menu held the demo;" \
    "Enter chose in the window menu, the editor opened three times, a second start left the first in charge"
