#!/usr/bin/env bash
# Two builds of the game measured against each other, alternated in one run: the CPU time of a
# frame by thread (main, the driver's rasteriser threads, the others), read by the frame probe
# (bench/app/frame_probe.cpp) over the same game on a fixed clock; then on the real clock the
# frames a second and the CPU in % of a core of attract mode, the main menu over it and a game in
# play (1,000 frames each), and of the still screens over 10 s: a paused game, the language
# screen of a first start and the help screen (read from /proc: a still picture is not shown
# again, so there are no frames to count). Runs under $DISPLAY when it is set (say an Xvfb
# display), headless otherwise.
#   usage: bench/app/frame_cost.sh BUILD_DIR GAME_A GAME_B [ROUNDS] [PARTS]
# BUILD_DIR holds the probe (Release, -DVM_BENCH=ON); GAME_A and GAME_B are game executables
# with resource.dat and Default.ini beside them (BUILD_DIR/app/veltramondo is one). PARTS picks
# some of "play attract menu small wide clock still" (all by default): play, attract mode and the
# main menu over it for 1,000 passes after the first 100, at 640 x 480 ("small") and at 1280 x 720
# ("wide"); "clock" the real-clock figures, "still" the still screens. Each figure is the median
# of ROUNDS runs (3 by default).
set -u
probe=$(realpath "$1")/bench/app/libvm_frame_probe.so
game_a=$(realpath "$2") game_b=$(realpath "$3")
rounds=${4:-3}
parts=${5:-play attract menu small wide clock still}
part() { [[ " $parts " == *" $1 "* ]]; }
for f in "$probe" "$game_a" "$game_b"; do [ -e "$f" ] || { echo "missing $f"; exit 1; }; done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
headless=--headless
[ -n "${DISPLAY:-}" ] && headless=

# A (scan code 30) opens the menu; Enter (28) starts a game once the menu takes keys; P (25)
# pauses. The real clock needs more passes before the menu takes keys.
printf '3 30 down\n4 30 up\n60 28 down\n61 28 up\n' >"$work/play.keys"
printf '3 30 down\n4 30 up\n' >"$work/menu.keys"
printf '' >"$work/attract.keys"
printf '3 30 down\n4 30 up\n150 28 down\n151 28 up\n' >"$work/clock.keys"
printf '3 30 down\n4 30 up\n150 28 down\n151 28 up\n400 25 down\n402 25 up\n' >"$work/pause.keys"
printf '3 59 down\n4 59 up\n' >"$work/help.keys"

# user W H: a fresh per-user folder whose settings give the window size.
user() {
    rm -rf "$work/user" && mkdir -p "$work/user"
    sed "s/^WindowPosition=.*/WindowPosition=80,60,$2,$3/" "$(dirname "$1")/Default.ini" >"$work/user/veltramondo.ini"
}

# A game that asks for the difficulty before a new game plays Normal without asking, so that the
# same keys start a game in both builds.
declare -A asks
for g in "$game_a" "$game_b"; do
    asks[$g]=
    "$g" --help 2>&1 | grep -q -- --difficulty && asks[$g]="--difficulty normal"
done

# run NAME GAME W H KEYS ARGS...: one probed run; appends the probe's line to $work/NAME.
run() {
    local name=$1 game=$2 w=$3 h=$4 keys=$5
    shift 5
    user "$game" "$w" "$h"
    VM_PROBE_OUT="$work/$name" VM_PROBE_FROM=100 LD_PRELOAD="$probe" U3_APP_DATA_PATH="$work/user/" \
        XDG_DATA_HOME="$work/user/xdg" XDG_CONFIG_HOME="$work/user/cfg" \
        "$game" $headless --language 1 ${asks[$game]} --script "$work/$keys.keys" "$@" >"$work/out" 2>&1 ||
        { echo "$name: exit status $?"; cat "$work/out"; exit 1; }
}

median() {
    awk -v f="$2" '{ for (i = 1; i < NF; i++) if ($i == f) print $(i + 1) }' "$work/$1" | sort -g |
        awk '{ v[NR] = $1 } END { print NR ? v[int((NR + 1) / 2)] : "-" }'
}

# figures NAME: CPU per frame and its split, from the medians of the runs.
figures() {
    echo "$(median "$1" cpu_us) us (main $(median "$1" main_us), raster $(median "$1" raster_us), other $(median "$1" other_us))"
}

# compare KIND W H ARGS...: the two games alternated, ROUNDS times each, with KIND's keys.
compare() {
    local kind=$1 w=$2 h=$3
    shift 3
    local name="${kind}_${w}x$h"
    for ((r = 0; r < rounds; r++)); do
        run "a_$name" "$game_a" "$w" "$h" "$kind" "$@"
        run "b_$name" "$game_b" "$w" "$h" "$kind" "$@"
    done
    local a b
    a=$(median "a_$name" cpu_us) b=$(median "b_$name" cpu_us)
    echo "$kind ${w}x$h, CPU per frame: A $(figures "a_$name"); B $(figures "b_$name");" \
        "A/B $(awk -v a="$a" -v b="$b" 'BEGIN { printf "%.2f", a / b }')"
}

fixed=(--fixed-ticks 1 --seed 20261206 --frames 1101)
for size in "small 640 480" "wide 1280 720"; do
    read -r which w h <<<"$size"
    part "$which" || continue
    part play && compare play "$w" "$h" "${fixed[@]}" --autopilot
    part attract && compare attract "$w" "$h" "${fixed[@]}"
    part menu && compare menu "$w" "$h" "${fixed[@]}"
done

# still GAME KEYS ARGS...: % of a core over 10 s of a still screen, sampled from /proc.
still() {
    local game=$1 keys=$2
    shift 2
    user "$game" 640 480
    U3_APP_DATA_PATH="$work/user/" XDG_DATA_HOME="$work/user/xdg" XDG_CONFIG_HOME="$work/user/cfg" \
        "$game" $headless ${asks[$game]} --script "$work/$keys.keys" --frames 100000 "$@" >"$work/out" 2>&1 &
    local pid=$! tick
    tick=$(getconf CLK_TCK)
    sleep 12
    local c0 t0 c1 t1
    c0=$(awk '{ print $14 + $15 }' "/proc/$pid/stat") t0=$(date +%s.%N)
    sleep 10
    c1=$(awk '{ print $14 + $15 }' "/proc/$pid/stat") t1=$(date +%s.%N)
    kill "$pid"
    wait "$pid" 2>/dev/null
    awk -v c="$((c1 - c0))" -v k="$tick" -v t0="$t0" -v t1="$t1" 'BEGIN { printf "%.1f\n", 100 * c / k / (t1 - t0) }'
}

if part clock; then
    for ((r = 0; r < rounds; r++)); do
        for g in a b; do
            game=$game_a
            [ $g = b ] && game=$game_b
            run "${g}_clock_attract" "$game" 640 480 attract --frames 1100
            run "${g}_clock_menu" "$game" 640 480 menu --frames 1100
            run "${g}_clock_play" "$game" 640 480 clock --autopilot --frames 1300
        done
    done
    for kind in attract menu play; do
        echo "real clock, $kind 640x480: A $(median "a_clock_$kind" fps) frames a second at $(median "a_clock_$kind" cpu_pct) %" \
            "of a core, B $(median "b_clock_$kind" fps) at $(median "b_clock_$kind" cpu_pct) %"
    done
fi

# The language screen shows at a first start, when no language is given.
if part still; then
    for ((r = 0; r < rounds; r++)); do
        for g in a b; do
            game=$game_a
            [ $g = b ] && game=$game_b
            still "$game" pause --language 1 >>"$work/${g}_paused"
            still "$game" attract >>"$work/${g}_language"
            still "$game" help --language 1 >>"$work/${g}_help"
        done
    done
    for kind in paused language help; do
        echo "real clock, still screen ($kind): A $(sort -g "$work/a_$kind" | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }') %" \
            "of a core, B $(sort -g "$work/b_$kind" | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }') %"
    done
fi
