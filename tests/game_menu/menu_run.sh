#!/usr/bin/env bash
# Drives the real game headless through a whole game and the high-score table: the menu opened
# from attract mode, a new game, every life lost without input, a name entered with the arrow
# keys and found in "highscor.dat", then the high-score page opened and left; then the same game
# with a name typed on the keyboard. The first run finds the pass at which name entry starts; the
# runs are repeatable, so the later ones press the name keys from that pass on.
set -u
game="$1"
. "$(dirname "$0")/../game_env.sh"
user="$XDG_DATA_HOME/Pellovar/Veltramondo"
mkdir -p "$user" "$XDG_CONFIG_HOME/veltramondo"
printf '[Application]\r\nLanguage=1\r\n' >"$XDG_CONFIG_HOME/veltramondo/veltramondo.ini"
# A modest table, so that any score above 2 earns a place.
table() {
    for e in "300 VEL" "200 ZOE" "100 MAX" "2 KIT" "1 ACE"; do
        set -- $e
        printf "$(printf '\\%03o\\%03o\\%03o\\%03o' $(($1 & 255)) $(($1 >> 8 & 255)) $(($1 >> 16 & 255)) $(($1 >> 24 & 255)))"
        printf '%s\0' "$2"
    done
}
table >"$user/highscor.dat"
options=(--headless --fixed-ticks 20 --seed 4242 --difficulty normal)

# Any key opens the menu in attract mode; Enter released on its first item starts a game.
cat >"$work/start.txt" <<'KEYS'
5 30 down
6 30 up
10 28 down
11 28 up
KEYS
"$game" "${options[@]}" --frames 1500 --script "$work/start.txt" --trace-game "$work/first.txt" >"$work/log" 2>&1 ||
    { echo "first run failed"; cat "$work/log"; exit 1; }
entry=$(awk '$6 == "entry" { print $2; exit }' "$work/first.txt")
[ -n "$entry" ] || { echo "name entry never started"; tail -5 "$work/first.txt"; exit 1; }
score=$(awk -v p="$entry" '$2 == p { for (i = 1; i < NF; i++) if ($i == "score") print $(i + 1) }' "$work/first.txt")
table >"$user/highscor.dat"

# The name "C B": Up twice, Right, Down, Right, Up, then Enter past the end marker. Each key is
# held for one pass and pressed four passes apart, longer than the longest key delay. Then the
# menu's third item (the high scores) is opened and any key leaves it.
p=$((entry + 2))
{
    cat "$work/start.txt"
    for k in 200 200 205 208 205 200 28 28; do
        echo "$p $k down"
        echo "$((p + 1)) $k up"
        p=$((p + 4))
    done
    p=$((p + 4))
    for k in 208 208 28; do
        echo "$p $k down"
        echo "$((p + 1)) $k up"
        p=$((p + 4))
    done
    echo "$p 67 down"
    echo "$((p + 1)) 67 up"
    p=$((p + 6))
    echo "$p 208 down"
    echo "$((p + 1)) 208 up"
} >"$work/keys.txt"
frames=$((p + 10))
"$game" "${options[@]}" --frames $frames --script "$work/keys.txt" --trace-game "$work/second.txt" >"$work/log" 2>&1 ||
    { echo "second run failed"; cat "$work/log"; exit 1; }
# The table as "score name" lines, the name's three letters shown between brackets.
entries() {
    for i in 0 1 2 3 4; do
        s=$(od -An -t d4 -j $((i * 8)) -N 4 "$1" | tr -d ' ')
        n=$(dd if="$1" bs=1 skip=$((i * 8 + 4)) count=3 2>/dev/null)
        z=$(od -An -t u1 -j $((i * 8 + 7)) -N 1 "$1" | tr -d ' ')
        echo "$s [$n] $z"
    done
}
[ "$(stat -c %s "$user/highscor.dat")" -eq 40 ] || { echo "highscor.dat is not 40 bytes"; exit 1; }
{
    placed=0
    for e in "300 VEL" "200 ZOE" "100 MAX" "2 KIT" "1 ACE"; do
        set -- $e
        if [ $placed -eq 0 ] && [ "$score" -gt "$1" ]; then
            echo "$score [C B] 0"
            placed=1
        fi
        echo "$1 [$2] 0"
    done
} | head -5 >"$work/expected"
entries "$user/highscor.dat" >"$work/actual"
diff "$work/expected" "$work/actual" || { echo "score $score from pass $entry: the table above is not the expected one"; exit 1; }
# The name entry ended in the menu, the high-score page opened and closed again without a new
# game starting; the snapshot of the page was written.
last=$(tail -1 "$work/second.txt" | awk '{ print $6 }')
[ "$last" = "menu" ] || { echo "the run ended in state $last, not in the menu"; tail -3 "$work/second.txt"; exit 1; }
ls "$user"/Snap*.tga >/dev/null 2>&1 || { echo "no snapshot of the high-score page"; ls "$user"; exit 1; }
# The same game with the name typed: X, Y and Z on the keyboard, then Return on the end marker.
table >"$user/highscor.dat"
{
    cat "$work/start.txt"
    name_keys $((entry + 2)) X Y Z
} >"$work/typed.txt"
"$game" "${options[@]}" --frames $((name_end + 8)) --script "$work/typed.txt" >"$work/log" 2>&1 ||
    { echo "third run failed"; cat "$work/log"; exit 1; }
entries "$user/highscor.dat" | grep -qx "$score \[XYZ\] 0" ||
    { echo "the typed name XYZ was not stored:"; entries "$user/highscor.dat"; exit 1; }

# Fresh presses act at once; the key delay only paces a held key. At 5 steps a pass (50 ms): Down
# every 0.2 s moves the cursor at each press, Enter opens the high scores, Esc leaves them and Up
# acts on the next pass. Trace fields 29 and 30: the menu's page and item.
cat >"$work/fresh.txt" <<'KEYS'
3 30 down
4 30 up
6 208 down
7 208 up
10 208 down
11 208 up
14 28 down
15 28 up
18 1 down
19 1 up
20 200 down
21 200 up
KEYS
"$game" --headless --fixed-ticks 4 --seed 4242 --frames 24 --script "$work/fresh.txt" --trace-game "$work/fresh.trace" \
    >"$work/log" 2>&1 || { echo "fresh-press run failed"; cat "$work/log"; exit 1; }
seen=$(awk '$2 == 6 || $2 == 10 || $2 == 15 || $2 == 18 || $2 == 20 { printf "%s:%s/%s ", $2, $29, $30 }' "$work/fresh.trace")
[ "$seen" = "6:0/1 10:0/2 15:2/0 18:0/2 20:0/1 " ] || { echo "menu after fresh presses: $seen"; exit 1; }

# Giving up a game (menu page 3, item 4) whose score enters the table asks for the name first.
table >"$user/highscor.dat"
cat >"$work/giveup.txt" <<'KEYS'
3 30 down
4 30 up
8 28 down
9 28 up
60 1 down
61 1 up
62 28 down
63 28 up
64 200 down
65 200 up
66 28 down
67 28 up
KEYS
"$game" "${options[@]}" --autopilot --frames 70 --script "$work/giveup.txt" --trace-game "$work/giveup.trace" \
    >"$work/log" 2>&1 || { echo "give-up run failed"; cat "$work/log"; exit 1; }
seen=$(awk '$2 == 62 || $2 == 64 || $2 == 67 { printf "%s:%s/%s/%s ", $2, $6, $29, $30 }' "$work/giveup.trace")
[ "$seen" = "62:menu/0/0 64:menu/3/4 67:entry/-/- " ] || { echo "giving up: $seen"; tail -3 "$work/giveup.trace"; exit 1; }
echo "score $score entered as \"C B\" with the arrows and as \"XYZ\" typed, and kept in highscor.dat;" \
    "fresh presses acted at once; giving up asked for the name"
