#!/usr/bin/env bash
# Records one of the game's own demos at build time: the game plays LEVEL headless with the
# computer player, a fixed tick count per pass and a fixed seed, records up to STEPS steps (less
# when the level is won or only the last life is left) and saves the recording, which is copied
# to OUT. The score the recording ended with goes to OUT_SCORE, for the test that replays it.
# The same build inputs give the same bytes.
# Usage: record_demo.sh GAME DATA_DIR LEVEL STEPS SEED OUT OUT_SCORE
set -eu
game="$1" data="$2" level="$3" steps="$4" seed="$5" out="$6" out_score="$7"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/user"
XDG_DATA_HOME="$work/home" U3_APP_DATA_PATH="$work/user/" VELTRAMONDO_DATA="$data" \
    "$game" --headless --language 1 --fixed-ticks 20 --seed "$seed" --autopilot --record-demo "$level:$steps" \
    --trace-game "$work/trace.txt" >"$work/log" 2>&1 || { cat "$work/log"; exit 1; }
recording="$work/user/level/$(printf 'level%2d.dem' "$level")"
[ -f "$recording" ] || { echo "record_demo: no recording of level $level"; cat "$work/log"; exit 1; }
mkdir -p "$(dirname "$out")" "$(dirname "$out_score")"
cp "$recording" "$out"
tail -n 1 "$work/trace.txt" | awk '{ for (i = 1; i < NF; i++) if ($i == "score") print $(i + 1) }' >"$out_score"
