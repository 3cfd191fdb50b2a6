#!/usr/bin/env bash
# Without a display and without --headless the game says so and ends with status 1 instead of
# running unseen: with no display named at all, and with one that cannot be opened (SDL would
# fall back to its offscreen driver). A driver chosen by the user is still honoured.
set -u
game="$1"
. "$(dirname "$0")/../game_env.sh"
cd "$work"
fail=0
check() {
    local what="$1"
    shift
    timeout 20 env -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER -u XDG_SEAT "$@" "$game" >"$work/out" 2>&1
    local status=$?
    # Our message comes first: no line of a library before it.
    if [ $status -ne 1 ] || ! grep -q -- "--headless" "$work/out" || ! head -1 "$work/out" | grep -q "^veltramondo: "; then
        echo "$what: status $status"
        cat "$work/out"
        fail=1
    fi
}
check "no display" -u DISPLAY
check "a display that cannot be opened" DISPLAY=:9999
SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy timeout 60 "$game" --frames 2 >"$work/out" 2>&1 ||
    { echo "a chosen driver is refused"; cat "$work/out"; fail=1; }
[ $fail -eq 0 ] && echo "no display: said so and ended"
exit $fail
