#!/usr/bin/env bash
# Drives the real game headless with a user level set: --level-set starts its level 1 at once with
# exactly the set's bricks, the lost game keeps its scores in the set's own table and leaves the
# shipped table alone, and attract mode returns to the shipped levels. A set the reader refuses
# leaves the game in the menu with the reader's message (so do a file with no level, bytes that
# are not text, a row too long and a last level cut off), the editor and the tool's check refuse
# it too; a bad name is refused before start.
set -u
game="$1"
tool="$2"
. "$(dirname "$0")/../game_env.sh"
user="$XDG_DATA_HOME/Pellovar/Veltramondo"
mkdir -p "$user/levels" "$XDG_CONFIG_HOME/veltramondo"
printf '[Application]\r\nLanguage=1\r\n' >"$XDG_CONFIG_HOME/veltramondo/veltramondo.ini"
printf '!1A2\r\n@6500\r\n}1\r\n' >"$user/levels/mine.txt"
printf '!12\r\n@1\r\n}60\r\n' >"$user/levels/bad.txt"
printf 'shipped table, kept as it is....' >"$user/highscor.dat"
options=(--headless --fixed-ticks 20 --seed 77 --difficulty normal)

"$game" "${options[@]}" --level-set mine --frames 1500 --trace-game "$work/mine.txt" >"$work/log" 2>&1 ||
    { echo "the run with the set failed"; cat "$work/log"; exit 1; }
first=$(head -1 "$work/mine.txt" | awk '{ print $6, $8, $18 }')
[ "$first" = "play 1 3" ] || { echo "first pass: state, level, bricks '$first', not 'play 1 3'"; exit 1; }
attract=$(awk '$6 == "attract" { print $18; exit }' "$work/mine.txt")
[ -n "$attract" ] && [ "$attract" != 3 ] ||
    { echo "attract mode never came back to the shipped levels (bricks '$attract')"; tail -3 "$work/mine.txt"; exit 1; }
[ "$(stat -c %s "$user/highscores/mine.dat" 2>/dev/null)" = 40 ] || { echo "no 40-byte table of the set"; ls -R "$user"; exit 1; }
[ "$(cat "$user/highscor.dat")" = "shipped table, kept as it is...." ] || { echo "the shipped table was written"; exit 1; }

# Sets the reader refuses, each with its message (and line): the game stays in the menu on the
# page that says why, the editor does not open it, and the tool's check fails with the same words.
printf '' >"$user/levels/empty.txt"
printf '!AB\377CD\r\n@6500\r\n}1\r\n' >"$user/levels/ff.txt"
printf '!AAAAAAAAAAAAAAA\r\n@6500\r\n}1\r\n' >"$user/levels/long.txt"
printf '!AAAA\r\n@6500\r\n}1\r\n!BBBB\r\n@6500\r\n' >"$user/levels/cut.txt"
printf '!AAAA\n@6500\n}1\n' >"$user/levels/lf.txt"
while IFS='|' read -r name message; do
    "$game" "${options[@]}" --level-set "$name" --frames 20 --trace-game "$work/$name.txt" >"$work/log" 2>&1 ||
        { echo "$name: the run with a refused set failed"; cat "$work/log"; exit 1; }
    grep -qF "level set $name: $message" "$work/log" || { echo "$name: no reader's message"; cat "$work/log"; exit 1; }
    [ "$(tail -1 "$work/$name.txt" | awk '{ print $6, $29 }')" = "menu 7" ] ||
        { echo "$name: a refused set did not leave the game on the menu's refusal page"; tail -1 "$work/$name.txt"; exit 1; }
    "$game" "${options[@]}" --edit "$name" --frames 5 >"$work/log" 2>&1
    grep -qF "cannot edit the level set $name: " "$work/log" && grep -qF "${message% (line*}" "$work/log" ||
        { echo "$name: the editor did not refuse it"; cat "$work/log"; exit 1; }
    "$tool" levels check "$user/levels/$name.txt" >/dev/null 2>"$work/log" && { echo "$name: levels check passed it"; exit 1; }
    grep -qF "${message% (line*}" "$work/log" || { echo "$name: levels check said"; cat "$work/log"; exit 1; }
done <<'CASES'
bad|Wrong enemy maximum 60 in level 1 (line 3)
empty|The file holds no level: a level ends with its "}" line
ff|Byte 255 at column 4 is not text (line 1)
long|Row 0 is too long in level 1, maximun is 14 (line 1)
cut|Level 2 is cut off: its block has no "}" line (line 4)
lf|The file's lines end in LF alone; save it with CR LF line ends
CASES

"$game" "${options[@]}" --level-set ../mine --frames 5 >"$work/log" 2>&1
[ $? -eq 2 ] && grep -q "only letters, digits" "$work/log" || { echo "a name with a path was not refused"; cat "$work/log"; exit 1; }
echo "level sets: play at once, own high scores, attract on the shipped levels, refusals"
