#!/usr/bin/env bash
# What the rasteriser is asked to fill on each screen: the pixels a frame's draws cover over the
# picture's pixels (1.0: every pixel once), by how they are written (blended, alpha-tested, as
# they are) and the cleared pixels, counted by the overdraw probe (bench/app/overdraw_probe.cpp)
# over the frames after the first 100 of play, attract mode and the main menu over it, on the
# fixed clock and keys of frame_cost.sh. Runs under $DISPLAY when it is set, headless otherwise.
#   usage: bench/app/overdraw.sh BUILD_DIR GAME [WxH]
# BUILD_DIR holds the probe (Release, -DVM_BENCH=ON); GAME has resource.dat and Default.ini beside it.
set -u
probe=$(realpath "$1")/bench/app/libvm_overdraw_probe.so
game=$(realpath "$2")
size=${3:-640x480}
for f in "$probe" "$game"; do [ -e "$f" ] || { echo "missing $f"; exit 1; }; done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
headless=--headless
[ -n "${DISPLAY:-}" ] && headless=

# A game that asks for the difficulty before a new game plays Normal without asking.
asks=
"$game" --help 2>&1 | grep -q -- --difficulty && asks="--difficulty normal"

printf '3 30 down\n4 30 up\n60 28 down\n61 28 up\n' >"$work/play.keys"
printf '3 30 down\n4 30 up\n' >"$work/menu.keys"
printf '' >"$work/attract.keys"
for kind in play attract menu; do
    rm -rf "$work/user" && mkdir -p "$work/user"
    sed "s/^WindowPosition=.*/WindowPosition=80,60,${size%x*},${size#*x}/" "$(dirname "$game")/Default.ini" >"$work/user/veltramondo.ini"
    pilot=
    [ $kind = play ] && pilot=--autopilot
    VM_PROBE_OUT="$work/$kind" VM_PROBE_FROM=100 LD_PRELOAD="$probe" U3_APP_DATA_PATH="$work/user/" \
        XDG_DATA_HOME="$work/user/xdg" XDG_CONFIG_HOME="$work/user/cfg" "$game" $headless --language 1 $asks \
        --script "$work/$kind.keys" --fixed-ticks 1 --seed 20261206 --frames 1101 $pilot >"$work/out" 2>&1 ||
        { echo "$kind: exit status $?"; cat "$work/out"; exit 1; }
    echo "$kind $size: $(cat "$work/$kind")"
done
