#!/usr/bin/env bash
# Whether two builds of the game (say the Release and the sanitizer build) play the very same
# game: each runs headless on a fixed clock with the same seed and the computer player, through
# attract mode and then a new game started from a key script, and their --trace-game files must
# be equal byte for byte. Shows the first line that differs.
#   usage: scripts/trace_builds.sh GAME_A GAME_B [PASSES] [SEEDS...]
#   e.g.   scripts/trace_builds.sh build/release/app/veltramondo build/test/app/veltramondo 3000 7 20261206
set -u
a=$(realpath "$1")
b=$(realpath "$2")
passes=${3:-3000}
shift $(($# < 3 ? $# : 3))
seeds=("$@")
[ ${#seeds[@]} -gt 0 ] || seeds=(7 20261206)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export LSAN_OPTIONS="suppressions=$(realpath "$(dirname "$0")/..")/tests/lsan.supp:print_suppressions=0:use_tls=0"

# Attract mode (recorded demos and scenery) runs for 600 passes; then A (scan code 30) opens the
# menu and Enter (28) starts a new game.
printf '600 30 down\n601 30 up\n605 28 down\n606 28 up\n' >"$work/keys"

status=0
for seed in "${seeds[@]}"; do
    for side in a b; do
        game=$a
        [ $side = b ] && game=$b
        rm -rf "$work/user" && mkdir -p "$work/user"
        U3_APP_DATA_PATH="$work/user/" "$game" --headless --language 1 --fixed-ticks 20 --seed "$seed" --autopilot \
            --frames "$passes" --script "$work/keys" --trace-game "$work/$side.trace" >"$work/$side.out" 2>&1 ||
            { echo "seed $seed: $game ended with status $?"; tail -5 "$work/$side.out"; exit 1; }
    done
    states=$(awk '{ print $6 }' "$work/a.trace" | sort | uniq -c | tr -s ' \n' ' ')
    steps=$(awk '{ s += $4 } END { print s }' "$work/a.trace")
    if cmp -s "$work/a.trace" "$work/b.trace"; then
        echo "seed $seed: the same trace, $passes passes, $steps steps; states:$states"
    else
        line=$(cmp "$work/a.trace" "$work/b.trace" | awk '{ print $NF }')
        echo "seed $seed: the traces differ from line $line"
        sed -n "${line}p" "$work/a.trace"
        sed -n "${line}p" "$work/b.trace"
        status=1
    fi
done
exit $status
