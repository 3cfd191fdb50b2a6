#!/usr/bin/env bash
# Drives the real game headless with a user level set: --level-set starts its level 1 at once with
# exactly the set's bricks, the lost game keeps its scores in the set's own table and leaves the
# shipped table alone, and attract mode returns to the shipped levels. A set the reader refuses
# leaves the game in the menu with the reader's message; a bad name is refused before start.
set -u
game="$1"
. "$(dirname "$0")/../game_env.sh"
user="$XDG_DATA_HOME/Pellovar/Veltramondo"
mkdir -p "$user/levels" "$XDG_CONFIG_HOME/veltramondo"
printf '[Application]\r\nLanguage=1\r\n' >"$XDG_CONFIG_HOME/veltramondo/veltramondo.ini"
printf '!1A2\r\n@6500\r\n}1\r\n' >"$user/levels/mine.txt"
printf '!12\r\n@1\r\n}60\r\n' >"$user/levels/bad.txt"
printf 'shipped table, kept as it is....' >"$user/highscor.dat"
options=(--headless --fixed-ticks 20 --seed 77)

"$game" "${options[@]}" --level-set mine --frames 1500 --trace-game "$work/mine.txt" >"$work/log" 2>&1 ||
    { echo "the run with the set failed"; cat "$work/log"; exit 1; }
first=$(head -1 "$work/mine.txt" | awk '{ print $6, $8, $18 }')
[ "$first" = "play 1 3" ] || { echo "first pass: state, level, bricks '$first', not 'play 1 3'"; exit 1; }
attract=$(awk '$6 == "attract" { print $18; exit }' "$work/mine.txt")
[ -n "$attract" ] && [ "$attract" != 3 ] ||
    { echo "attract mode never came back to the shipped levels (bricks '$attract')"; tail -3 "$work/mine.txt"; exit 1; }
[ "$(stat -c %s "$user/highscores/mine.dat" 2>/dev/null)" = 40 ] || { echo "no 40-byte table of the set"; ls -R "$user"; exit 1; }
[ "$(cat "$user/highscor.dat")" = "shipped table, kept as it is...." ] || { echo "the shipped table was written"; exit 1; }

"$game" "${options[@]}" --level-set bad --frames 20 --trace-game "$work/bad.txt" >"$work/log" 2>&1 ||
    { echo "the run with a refused set failed"; cat "$work/log"; exit 1; }
grep -q "level set bad: Wrong enemy maximum 60 in level 1 (line 3)" "$work/log" || { echo "no reader's message"; cat "$work/log"; exit 1; }
[ "$(tail -1 "$work/bad.txt" | awk '{ print $6 }')" = menu ] || { echo "a refused set did not leave the game in the menu"; exit 1; }

"$game" "${options[@]}" --level-set ../mine --frames 5 >"$work/log" 2>&1
[ $? -eq 2 ] && grep -q "only letters, digits" "$work/log" || { echo "a name with a path was not refused"; cat "$work/log"; exit 1; }
echo "level sets: play at once, own high scores, attract on the shipped levels, refusals"
