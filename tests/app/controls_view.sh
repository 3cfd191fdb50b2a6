#!/usr/bin/env bash
# The controls and view options through the real program, headless: the fire key changed on the
# controls page launches (command 57) and the old one no longer does, also after a restart; a
# damaged settings entry falls back to its default with a line in history.txt; the view options
# leave every field of the game trace as it was but change the picture, and stay in the settings.
set -u
game="$1"
. "$(dirname "$0")/../game_env.sh"
fail() { echo "$*"; exit 1; }
ini="$XDG_CONFIG_HOME/veltramondo/veltramondo.ini"
user="$XDG_DATA_HOME/Pellovar/Veltramondo"

keys() {  # "pass scancode" pairs: down at the pass, up at the next one
    while [ $# -gt 1 ]; do echo "$1 $2 down"; echo "$(($1 + 1)) $2 up"; shift 2; done
}
run() {  # name, frames, options...
    local name=$1 frames=$2
    shift 2
    rm -f "$user/kept.dat"   # each run starts from the main menu as it is without a kept game
    "$game" --headless --language 1 --difficulty normal --fixed-ticks 5 --frames "$frames" --seed 7 "$@" >"$work/$name.log" 2>&1 ||
        { cat "$work/$name.log"; fail "$name: exit status $?"; }
}
# Passes whose command line holds command 57 (fire).
fired() { awk '{ for (i = 5; i <= NF; i++) if ($i ~ /^57=/) printf "%s ", $2 }' "$1"; }

# Menu (A), OPTIONS, CONTROLS, FIRE, then F (33); Esc twice, NEW GAME; F at 200, Space at 220.
keys 3 30 20 208 30 28 40 208 50 208 60 28 70 208 80 208 90 28 100 33 110 1 120 1 130 200 140 28 \
    200 33 220 57 >"$work/remap.txt"
run remap 240 --script "$work/remap.txt" --trace-commands "$work/remap.cmd"
grep -q '^Fire=33' "$ini" || fail "the new fire key is not in the settings: $(cat "$ini")"
[ "$(fired "$work/remap.cmd")" = "200 " ] || fail "fire after the change: passes $(fired "$work/remap.cmd")"

# After a restart: F fires, Space does not.
keys 3 30 20 28 100 33 120 57 >"$work/again.txt"
run again 140 --script "$work/again.txt" --trace-commands "$work/again.cmd"
[ "$(fired "$work/again.cmd")" = "100 " ] || fail "fire after a restart: passes $(fired "$work/again.cmd")"

# Damaged entries: the defaults, one history line each; Space fires again, Left (203) steers.
sed -i 's/^Fire=33/Fire=3x/; s/^Left=203/Left=28/' "$ini"
run damaged 140 --script "$work/again.txt" --trace-commands "$work/damaged.cmd"
[ "$(fired "$work/damaged.cmd")" = "120 " ] || fail "fire with a damaged entry: passes $(fired "$work/damaged.cmd")"
for entry in 'Fire=3x' 'Left=28'; do
    grep -q "\[Controls\] $entry is not usable" "$user/history.txt" || fail "no history line for $entry"
done

# The view options: the same game, another picture; both kept.
keys 3 30 8 28 60 67 >"$work/play.txt"
run plain 80 --script "$work/play.txt" --autopilot --trace-game "$work/plain.trace"
mv "$user/Snap0000.tga" "$work/plain.tga"
printf '[Preferences]\r\nHighCamera=1\r\nBallShadows=1\r\n' >"$ini"
run view 80 --script "$work/play.txt" --autopilot --trace-game "$work/view.trace"
cmp -s "$work/plain.trace" "$work/view.trace" || fail "the view options changed the game: $(diff "$work/plain.trace" "$work/view.trace" | head -4)"
cmp -s "$work/plain.tga" "$user/Snap0000.tga" && fail "the view options left the picture as it was"
grep -q '^HighCamera=1' "$ini" && grep -q '^BallShadows=1' "$ini" || fail "view options not kept: $(cat "$ini")"
echo "controls and view options work"
