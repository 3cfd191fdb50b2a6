#!/usr/bin/env bash
# The level editor in the real program, headless, driven by key scripts: 1 2 3 typed at the top
# left of a new set's first level and Ctrl+S give a file whose first row is "123" and spaces,
# which the tool's check accepts and whose first level plays with those 3 bricks; a level added, played with F5 and left with Esc is back in the
# editor unchanged; a set saved unchanged keeps every byte; a bad name or a file the reader
# refuses is said and leaves the player in the game.
set -u
game="$1"
tool="$2"
shipped="$3"
. "$(dirname "$0")/../game_env.sh"
sets="$XDG_DATA_HOME/Pellovar/Veltramondo/levels"
fail() { echo "$*"; exit 1; }
options=(--headless --fixed-ticks 1 --seed 7 --language 1)

# Keys by scan code: 1 2 3 on the top row, then Ctrl (29) + S (31).
cat >"$work/typed.txt" <<'KEYS'
5 2 down
6 2 up
7 3 down
8 3 up
9 4 down
10 4 up
12 29 down
13 31 down
14 31 up
15 29 up
KEYS
"$game" "${options[@]}" --edit demo --frames 20 --script "$work/typed.txt" --trace-game "$work/t1" >"$work/log" 2>&1 ||
    { cat "$work/log"; fail "the editor run failed"; }
grep -q " state editor " "$work/t1" || fail "the trace never shows the editor"
first=$(grep -a -m1 '^!' "$sets/demo.txt" | tr -d '\r')
[ "$first" = "!123           " ] || fail "first row is \"$first\""
grep -qv $'\r$' "$sets/demo.txt" && fail "a line of demo.txt does not end in CR LF"
# A new level takes the settings of the shipped first level, not the reader's defaults.
[ "$(grep -a -m1 '^@' "$sets/demo.txt" | tr -d '\r')" = "$(grep -a -m1 '^@' "$shipped" | tr -d '\r')" ] &&
    [ "$(grep -a -m1 '^}' "$sets/demo.txt" | tr -d '\r')" = "$(grep -a -m1 '^}' "$shipped" | tr -d '\r')" ] ||
    fail "the new level's settings are not the shipped first level's"
"$tool" levels check "$sets/demo.txt" || fail "the tool refuses what the editor wrote"
# Played as a set, its first level holds those three (metal) bricks besides the borders.
"$game" "${options[@]}" --level-set demo --autopilot --frames 8 --trace-game "$work/t0" >"$work/log" 2>&1 ||
    { cat "$work/log"; fail "playing the set failed"; }
[ "$(awk '$2 == 7 { print $6, $8, $18 }' "$work/t0")" = "play 1 3" ] || { tail -1 "$work/t0"; fail "level 1 does not hold 3 bricks"; }

# Ctrl+N adds a level, A (Shift + a) is typed there, F5 plays it (one brick to break), Esc is
# back in the editor, Ctrl+S saves two levels and Esc leaves for the menu.
cat >"$work/play.txt" <<'KEYS'
5 29 down
6 49 down
7 49 up
8 29 up
10 42 down
11 30 down
12 30 up
13 42 up
15 63 down
16 63 up
60 1 down
61 1 up
65 29 down
66 31 down
67 31 up
68 29 up
72 1 down
73 1 up
KEYS
"$game" "${options[@]}" --edit demo --frames 80 --script "$work/play.txt" --trace-game "$work/t2" >"$work/log" 2>&1 ||
    { cat "$work/log"; fail "the second editor run failed"; }
state() { awk -v p="$1" '$2 == p { print $6 " " $8 " " $18 }' "$work/t2"; }
[ "$(state 30)" = "play 1 1" ] || fail "pass 30 is \"$(state 30)\", not the level played with its one brick"
[ "$(state 64)" = "editor 1 1" ] || fail "pass 64 is \"$(state 64)\", not back in the editor"
last=$(tail -1 "$work/t2" | awk '{ print $6 }')
[ "$last" = "menu" ] || fail "the run ended in state $last, not in the menu"
[ "$(grep -ac '^}' "$sets/demo.txt")" = 2 ] || fail "demo.txt does not hold two levels"
grep -a '^!' "$sets/demo.txt" | tr -d '\r' | grep -qx '!A             ' || fail "the second level's brick is not in demo.txt"

# The window menu's Game > Level Editor (command 40006) opens it over the attract sequence.
printf '3 menu 40006\n' >"$work/menu.txt"
"$game" "${options[@]}" --frames 10 --script "$work/menu.txt" --trace-game "$work/t4" >"$work/log" 2>&1 || fail "the menu run failed"
[ "$(tail -1 "$work/t4" | awk '{ print $6 }')" = editor ] || fail "Game > Level Editor did not open the editor"

# The shipped levels as a user set, and the writer's own form with a level whose initial speed
# is above its maximum shown on the way (Page Down), opened and saved at once keep every byte.
printf '3 209 down\n4 209 up\n6 29 down\n7 31 down\n8 31 up\n9 29 up\n' >"$work/save.txt"
for original in "$shipped" "$(dirname "$0")/../game_levels/written_levels.txt"; do
    cp "$original" "$sets/kept.txt"
    "$game" "${options[@]}" --edit kept --frames 12 --script "$work/save.txt" >"$work/log" 2>&1 ||
        fail "saving $original failed"
    cmp "$original" "$sets/kept.txt" || fail "$original saved unchanged lost bytes"
done

# A name that is no file name ends with status 2 and says why; a file the reader refuses is said
# and the game goes on, the file untouched.
"$game" "${options[@]}" --edit ../up --frames 5 >"$work/log" 2>&1
[ $? -eq 2 ] && grep -q "level set name" "$work/log" || { cat "$work/log"; fail "a bad name was not refused"; }
printf '!ABC\r\n@6500\r\n>100\r\n}50\r\n' >"$sets/bad.txt"
cp "$sets/bad.txt" "$work/bad.txt"
"$game" "${options[@]}" --edit bad --frames 10 --trace-game "$work/t3" >"$work/log" 2>&1 || fail "a refused file ended the game"
grep -q "The maximum ball speed is below the initial speed in level 1" "$work/log" || { cat "$work/log"; fail "the reader's message was not said"; }
grep -q " state editor " "$work/t3" && fail "the editor opened a file the reader refuses"
cmp -s "$sets/bad.txt" "$work/bad.txt" || fail "the refused file was changed"
echo "the editor typed, saved, played, kept an unchanged set byte for byte and refused what it must"
