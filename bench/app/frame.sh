#!/usr/bin/env bash
# The release game measured as a whole, headless (SDL's offscreen video, llvmpipe), through a
# frame probe preloaded into it (bench/app/frame_probe.cpp): the time of every presented frame,
# CPU use and resident memory, read without changing the game. Figures:
#   play W x H    a game played by the computer player on a fixed clock (--fixed-ticks 1: two
#                 steps a pass, the pace of real play at 60 frames a second), PASSES passes after
#                 the first 100: frames per second (all passes / their time) and the median pass;
#                 then the same passes with the do-nothing OpenGL (bench/app/gl_null.cpp) also
#                 preloaded: what is left is the game's own work, and its time over the full
#                 time is its share of a frame. Both runs write the same --trace-game file
#                 (checked): same game, same work, only the driver is gone.
#   start-up      milliseconds from starting the process to the end of the first presentation
#                 (the display's clear) and to the first picture of the frame loop, data pack
#                 on a warm disk (one run before the counted ones)
#   memory        largest resident size while counting: attract mode, and in play
# Each figure is the median of ROUNDS runs; the real and do-nothing runs alternate. The CPU of a
# frame by thread and on the real clock, against another build: bench/app/frame_cost.sh.
#   usage: bench/app/frame.sh BUILD_DIR [PASSES] [ROUNDS] [PARTS]   (Release, -DVM_BENCH=ON)
# PARTS picks some of "play start attract" (all by default).
set -u
build=$(realpath "$1")
passes=${2:-2000}
rounds=${3:-3}
parts=${4:-play start attract}
part() { [[ " $parts " == *" $1 "* ]]; }
game="$build/app/veltramondo"
probe="$build/bench/app/libvm_frame_probe.so"
null="$build/bench/app/libvm_gl_null.so"
for f in "$game" "$probe" "$null"; do [ -e "$f" ] || { echo "missing $f"; exit 1; }; done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# A (scan code 30) opens the menu, Enter (28) starts a game once the menu takes keys.
printf '3 30 down\n4 30 up\n60 28 down\n61 28 up\n' >"$work/play.keys"

# run NAME WIDTH HEIGHT FROM PRELOAD ARGS...: one run in a fresh per-user folder whose settings
# give the window size; appends the probe's line to $work/NAME.
run() {
    local name=$1 w=$2 h=$3 from=$4 preload=$5
    shift 5
    local user="$work/user"
    rm -rf "$user" && mkdir -p "$user"
    sed "s/^WindowPosition=.*/WindowPosition=80,60,$w,$h/" "$build/app/Default.ini" >"$user/veltramondo.ini"
    VM_PROBE_OUT="$work/$name" VM_PROBE_FROM=$from VM_PROBE_T0=$(date +%s%N) LD_PRELOAD="$preload" \
        U3_APP_DATA_PATH="$user/" "$game" --headless --language 1 "$@" >"$work/out" 2>&1 ||
        { echo "$name: exit status $?"; cat "$work/out"; exit 1; }
}

# median NAME FIELD: the median of that field over the runs' lines.
median() {
    awk -v f="$2" '{ for (i = 1; i < NF; i++) if ($i == f) print $(i + 1) }' "$work/$1" | sort -g |
        awk '{ v[NR] = $1 } END { print NR ? v[int((NR + 1) / 2)] : "-" }'
}

part play && for size in 640x480 1280x720; do
    w=${size%x*} h=${size#*x}
    for ((r = 0; r < rounds; r++)); do
        for mode in full own; do
            pre="$probe"
            [ $mode = own ] && pre="$probe $null"
            run "$mode$size" "$w" "$h" 100 "$pre" --fixed-ticks 1 --seed 20261206 --autopilot \
                --frames $((passes + 101)) --script "$work/play.keys" --trace-game "$work/$mode.trace"
        done
        cmp -s "$work/full.trace" "$work/own.trace" || { echo "the do-nothing OpenGL changed the game"; exit 1; }
    done
    states=$(awk '{ print $6 }' "$work/full.trace" | tail -n "$passes" | sort | uniq -c | tr -s ' \n' ' ')
    full=$(median "full$size" fps) own=$(median "own$size" fps)
    echo "play $size: $full frames per second over $passes passes (median pass $(median "full$size" median_us) us);" \
        "own work $own passes per second (median pass $(median "own$size" median_us) us): $(awk -v a="$own" -v b="$full" \
        'BEGIN { printf "%.1f", 100 * b / a }') % of the time of a frame; states:$states"
    echo "memory in play $size: $(median "full$size" rss_mb) MB resident (own work alone $(median "own$size" rss_mb) MB)"
done

part start && for ((r = 0; r <= rounds; r++)); do
    run start 640 480 0 "$probe" --frames 1
    [ $r -gt 0 ] && cat "$work/start" >>"$work/starts"
    rm -f "$work/start"
done
part start && echo "start-up to the first presentation: $(median starts first_ms) ms, to the first picture" \
    "$(median starts picture_ms) ms (medians of $rounds)"

part attract && for ((r = 0; r < rounds; r++)); do
    run attract 640 480 100 "$probe" --fixed-ticks 1 --seed 20261206 --frames $((passes + 101))
done
part attract && echo "memory in attract mode 640x480: $(median attract rss_mb) MB resident"
