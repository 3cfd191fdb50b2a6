#!/usr/bin/env bash
# Two builds of the game compared picture for picture: the same game on a fixed clock, seed and
# computer player, snapshots (F9) of a scenery world, a recorded demo, the main menu over it and
# a game in play at fixed passes; for each, the peak signal-to-noise ratio of B against A in dB
# over the full picture ("inf" for equal pictures), the bytes that differ and the largest
# difference. Runs under $DISPLAY when it is set, headless otherwise.
#   usage: bench/app/pictures.sh BUILD_DIR GAME_A GAME_B [WxH]
# BUILD_DIR holds veltramondo-tool (to decode the snapshots); the games have resource.dat and
# Default.ini beside them.
set -u
tool=$(realpath "$1")/tools/veltramondo-tool/veltramondo-tool
game_a=$(realpath "$2") game_b=$(realpath "$3")
size=${4:-640x480}
for f in "$tool" "$game_a" "$game_b"; do [ -e "$f" ] || { echo "missing $f"; exit 1; }; done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
headless=--headless
[ -n "${DISPLAY:-}" ] && headless=

printf '$200 level\\garden.def\r\n#level\\attract1.dem\r\n' >"$work/demos.txt"
printf '50 67 down\n51 67 up\n150 67 down\n151 67 up\n200 30 down\n201 30 up\n260 67 down\n261 67 up\n300 28 down\n301 28 up\n520 67 down\n521 67 up\n' >"$work/keys"

# A game that asks for the difficulty before a new game plays Normal without asking.
asks() { "$1" --help 2>&1 | grep -q -- --difficulty && echo "--difficulty normal"; }

# shoot NAME GAME: the four snapshots of one run, as PAM pictures NAME_0..3.pam.
shoot() {
    local user="$work/$1"
    mkdir -p "$user"
    sed "s/^WindowPosition=.*/WindowPosition=80,60,${size%x*},${size#*x}/" "$(dirname "$2")/Default.ini" >"$user/veltramondo.ini"
    U3_APP_DATA_PATH="$user/" XDG_DATA_HOME="$user/xdg" XDG_CONFIG_HOME="$user/cfg" "$2" $headless --language 1 $(asks "$2") \
        --fixed-ticks 1 --seed 20261206 --autopilot --demo-list "$work/demos.txt" --script "$work/keys" --frames 525 \
        --trace-game "$work/$1.trace" >"$work/$1.log" 2>&1 || { echo "$1: exit status $?"; cat "$work/$1.log"; exit 1; }
    for i in 0 1 2 3; do
        "$tool" image "$user/Snap000$i.tga" "$work/${1}_$i.pam" >/dev/null || { echo "$1: no snapshot $i"; exit 1; }
    done
}

shoot a "$game_a"
shoot b "$game_b"
cmp -s "$work/a.trace" "$work/b.trace" || echo "note: the two games did not play alike (--trace-game differs)"
names=(scenery attract menu play)
for i in 0 1 2 3; do
    a="$work/a_$i.pam" b="$work/b_$i.pam"
    bytes=$(($(stat -c %s "$a") - $(head -c 100 "$a" | grep -a -b -o ENDHDR | cut -d: -f1) - 7))
    # The pictures are RGBA: every fourth byte, alpha, is left out of the sum.
    cmp -l "$a" "$b" | awk -v n="$bytes" -v name="${names[$i]}" '
        function oct(s,   v, k) { v = 0; for (k = 1; k <= length(s); k++) v = v * 8 + substr(s, k, 1); return v }
        { d = oct($2) - oct($3); if (d < 0) d = -d; s += d * d; c++; if (d > m) m = d }
        END {
            rgb = n * 3 / 4
            printf "%s: PSNR %s dB, %d of %d bytes differ, largest difference %d\n", name,
                s ? sprintf("%.1f", 10 * log(255 * 255 * rgb / s) / log(10)) : "inf", c, n, m
        }'
done
