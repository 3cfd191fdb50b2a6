#!/usr/bin/env bash
# The whole game, headless, on a fixed clock: a new game played by the computer player with a
# level won by the level skip and bricks broken by play (twice with the same seed: the traces are
# the same byte for byte), and a new game left alone until its three lives are lost and the game
# is over. Checks the --trace-game lines and F9 snapshots of the game in play. The second run
# draws at most 400 frames a second: waiting for frames changes no step of the game.
set -u
game="$1"
. "$(dirname "$0")/../game_env.sh"
fail() { echo "$*"; exit 1; }

# A (scan code 30) in attract mode opens the menu; Enter starts a game; Ctrl + left Shift + L
# skips a level once the start-up move is over; F9 takes snapshots.
cat >"$work/play.txt" <<'KEYS'
3 30 down
4 30 up
8 28 down
9 28 up
25 29 down
25 42 down
26 38 down
27 38 up
28 29 up
28 42 up
40 67 down
41 67 up
KEYS
cat >"$work/idle.txt" <<'KEYS'
3 30 down
4 30 up
8 28 down
9 28 up
20 67 down
21 67 up
KEYS

run() {  # name, frames, script, extra options...
    local name=$1 frames=$2 script=$3
    shift 3
    # Each run starts a new game: none kept by the run before.
    rm -f "$XDG_DATA_HOME/Pellovar/Veltramondo/kept.dat"
    "$game" --headless --language 1 --difficulty normal --fixed-ticks 20 --frames "$frames" --script "$script" --trace-game "$work/$name.trace" "$@" \
        >"$work/$name.log" 2>&1 || { cat "$work/$name.log"; fail "$name: exit status $?"; }
}

run play1 250 "$work/play.txt" --seed 7 --autopilot
run play2 250 "$work/play.txt" --seed 7 --autopilot --fps 400
cmp -s "$work/play1.trace" "$work/play2.trace" || fail "two runs with the same seed (one paced) gave different traces"
run idle 220 "$work/idle.txt" --seed 3

# Every line has the documented fields; a pass runs 21 steps, fewer when a game or level starts.
awk '
    $1 != "pass" || $3 != "steps" || $5 != "state" || $7 != "level" || $9 != "cycle" || $11 != "score" ||
    $13 != "lives" || $15 != "balls" || $17 != "bricks" || $19 != "paddle" || $22 != "demo" || $24 != "rand" ||
    $26 != "world" || $28 != "menu" || $31 != "difficulty" || $32 != "normal" || NF != 32 {
        print "malformed line " NR ": " $0; bad = 1 }
    $4 < 1 || $4 > 21 { print "line " FNR ": " $4 " steps"; bad = 1 }
    ($6 == "menu" && $29 == "-") || ($29 == "-") != ($30 == "-") { print "menu fields of line " FNR ": " $0; bad = 1 }
    END { exit bad }
' "$work/play1.trace" "$work/idle.trace" || fail "trace format"

# The played game: starts at level 1 with 3 lives and score 0, the skip reaches level 2, where
# play breaks bricks and the score grows.
awk '
    $6 == "play" && !started { started = 1; if ($8 != 1 || $14 != 3 || $12 != 0) { print "new game: " $0; bad = 1 } }
    $6 == "play" && $8 == 2 && !skipped { skipped = NR; first = -1 }
    skipped && $8 == 2 && NR > skipped + 12 { if (first < 0) first = $18; left = $18 }
    { score = $12 }
    END {
        if (!started) { print "no game started"; bad = 1 }
        if (!skipped || skipped > 40) { print "level skip not seen by pass 40"; bad = 1 }
        if (!(left < first - 10)) { print "level 2: bricks from " first " to " left; bad = 1 }
        if (score < 300) { print "score " score; bad = 1 }
        exit bad
    }
' "$work/play1.trace" || fail "played game"

# The game left alone: three lives lost one by one, game over, then back to attract mode or the
# menu with the game-over state in between.
awk '
    $6 == "play" || $6 == "gameover" { if ($14 != last) { seq = seq " " $14; last = $14 } }
    $6 == "gameover" { over = 1 }
    over && ($6 == "attract" || $6 == "menu") { back = 1 }
    END {
        if (seq != " 3 2 1 0") { print "lives went" seq; bad = 1 }
        if (!over) { print "no game over"; bad = 1 }
        if (!back) { print "no return to attract mode"; bad = 1 }
        exit bad
    }
' "$work/idle.trace" || fail "game left alone"

# Snapshots of play: a varied picture (the field) with light pixels in the top band (the score).
snaps=$(find "$work/userdata" -name 'Snap*.tga' | sort)
[ -n "$snaps" ] || fail "no snapshot written"
for s in $snaps; do
    python3 - "$s" <<'PY' || fail "snapshot $s"
import sys
d = open(sys.argv[1], 'rb').read()
idl, w, h, bpp = d[0], d[12] | d[13] << 8, d[14] | d[15] << 8, d[16]
px = d[18 + idl:]
step = bpp // 8
lum = [sum(px[i:i + 3]) // 3 for i in range(0, w * h * step, step)]
top_down = d[17] & 0x20
rows = [lum[r * w:(r + 1) * w] for r in range(h)]
if not top_down:
    rows.reverse()
levels = len(set(v // 16 for v in lum))
band = [v for r in rows[:h // 8] for v in r]
bright = sum(1 for v in band if v > 200)
if levels < 8 or bright < 20:
    print(f"{sys.argv[1]}: {levels} brightness levels, {bright} bright pixels in the top band")
    sys.exit(1)
PY
done
echo "game trace: new game, level skip, bricks broken by play, three lives lost, game over; same trace twice"
