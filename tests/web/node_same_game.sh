#!/usr/bin/env bash
# The game compiled to WebAssembly plays the same game as the desktop build: for each run of the
# table, the headless build under node and the desktop game write the same --trace-game file and
# the same recording, byte for byte. Attract mode replays the shipped demos and shows the scenery
# worlds; the recorded runs play levels with the computer player on several fixed clocks.
set -u
game="$1" node_game="$2"
[ -f "$node_game" ] && command -v node >/dev/null || { echo "no browser build: skipped (make web builds it)"; exit 0; }
. "$(dirname "$0")/../game_env.sh"
export VELTRAMONDO_DATA
VELTRAMONDO_DATA=$(dirname "$game")
fail=0

# name | options (a recording names its level: level/level N.dem)
runs=(
    "attract|--language 1 --fixed-ticks 3 --seed 5 --frames 4000"
    "attract_slow|--language 1 --fixed-ticks 1 --seed 9 --frames 2500"
    "level1|--language 1 --fixed-ticks 1 --seed 11 --autopilot --record-demo 1:1500"
    "level4|--language 1 --fixed-ticks 2 --seed 12 --autopilot --record-demo 4:2400"
    "level12|--language 1 --fixed-ticks 3 --seed 13 --autopilot --record-demo 12:3000"
    "level25|--language 1 --fixed-ticks 7 --seed 14 --autopilot --record-demo 25:4000"
)

play() {  # build (desktop|node), name, options...
    local build=$1 name=$2
    shift 2
    local home="$work/$build-$name"
    mkdir -p "$home/data" "$home/config"
    local cmd=("$game")
    [ "$build" = node ] && cmd=(node "$node_game")
    XDG_DATA_HOME="$home/data" XDG_CONFIG_HOME="$home/config" \
        "${cmd[@]}" --headless --trace-game "$home/trace.txt" "$@" >"$home/log.txt" 2>&1
    local status=$?
    [ $status -eq 0 ] || { echo "$name ($build): exit status $status"; tail -5 "$home/log.txt"; fail=1; }
}

for run in "${runs[@]}"; do
    name=${run%%|*}
    read -r -a options <<<"${run#*|}"
    play desktop "$name" "${options[@]}"
    play node "$name" "${options[@]}"
    d="$work/desktop-$name" n="$work/node-$name"
    [ -s "$d/trace.txt" ] || { echo "$name: the desktop game wrote no trace"; fail=1; continue; }
    if ! cmp -s "$d/trace.txt" "$n/trace.txt"; then
        echo "$name: the traces differ"
        diff "$d/trace.txt" "$n/trace.txt" | head -4
        fail=1
    fi
    # Recordings: the same files with the same bytes.
    mapfile -t recorded < <(cd "$d/data" && find . -name '*.dem' | sort)
    [ "$(printf '%s\n' "${recorded[@]}")" = "$(cd "$n/data" && find . -name '*.dem' | sort)" ] ||
        { echo "$name: different recordings kept"; fail=1; }
    case "$run" in *--record-demo*) [ ${#recorded[@]} -gt 0 ] || { echo "$name: nothing recorded"; fail=1; } ;; esac
    for f in "${recorded[@]}"; do
        cmp -s "$d/data/$f" "$n/data/$f" || { echo "$name: recording $f differs"; fail=1; }
    done
    echo "$name: $(wc -l <"$d/trace.txt") passes, ${#recorded[@]} recording(s) compared"
done
# Attract mode must have replayed the shipped demos and shown a world, or the runs compared little.
grep -q 'state attract .* demo [1-9]' "$work/desktop-attract/trace.txt" || { echo "attract: no demo replayed"; fail=1; }
grep -q 'state scenery' "$work/desktop-attract/trace.txt" || { echo "attract: no scenery world shown"; fail=1; }
exit $fail
