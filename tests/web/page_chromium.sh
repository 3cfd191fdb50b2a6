#!/usr/bin/env bash
# The page in Debian's headless Chromium, served by a local web server: the first picture, a
# frame at a fixed pass against the desktop game's snapshot of the same pass, a game started with
# keys, and a setting and a high score kept over a reload. The key script and the desktop's
# picture come from the same game on the same fixed clock: the node build finds the pass at which
# the name entry opens (it plays the same game, web.node_same_game checks it).
set -u
game="$1" web="$2"
[ -f "$web/index.html" ] && [ -f "$web/node/veltramondo.js" ] || { echo "no browser build: skipped (make web builds it)"; exit 0; }
command -v chromium >/dev/null && command -v npm >/dev/null || { echo "no browser build: skipped (chromium or npm missing)"; exit 0; }
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../game_env.sh"
export VELTRAMONDO_DATA
VELTRAMONDO_DATA=$(dirname "$game")

# The DevTools client, from the lock file, once per change of it.
web=$(cd "$web" && pwd)
modules=$(realpath -m "$web/../web-test")
if ! cmp -s "$here/package-lock.json" "$modules/package-lock.json"; then
    mkdir -p "$modules" && cp "$here/package.json" "$here/package-lock.json" "$modules/" &&
        (cd "$modules" && npm ci --no-audit --no-fund --loglevel=error >/dev/null) ||
        { echo "npm ci failed"; rm -f "$modules/package-lock.json"; exit 1; }
fi

# A modest high-score table, so that any score above 2 earns a place (40 bytes: score, name).
table() {
    for e in "300 VEL" "200 ZOE" "100 MAX" "2 KIT" "1 ACE"; do
        set -- $e
        printf "$(printf '\\%03o\\%03o\\%03o\\%03o' $(($1 & 255)) $(($1 >> 8 & 255)) $(($1 >> 16 & 255)) $(($1 >> 24 & 255)))"
        printf '%s\0' "$2"
    done
}
options=(--fixed-ticks 20 --seed 4242 --difficulty normal)
# Down and Return choose the second language; A opens the menu over attract mode, Return starts
# a game, which nobody plays; F9 takes a snapshot in play.
snap_pass=40
cat >"$work/start.txt" <<KEYS
3 208 down
4 208 up
6 28 down
7 28 up
12 30 down
13 30 up
18 28 down
19 28 up
$snap_pass 67 down
$((snap_pass + 1)) 67 up
KEYS
play() {  # build (node|desktop), script, frames
    local home="$work/$1"
    rm -rf "$home"
    mkdir -p "$home/data/Pellovar/Veltramondo" "$home/config"
    table >"$home/data/Pellovar/Veltramondo/highscor.dat"
    local cmd=("$game")
    [ "$1" = node ] && cmd=(node "$web/node/veltramondo.js")
    XDG_DATA_HOME="$home/data" XDG_CONFIG_HOME="$home/config" "${cmd[@]}" --headless "${options[@]}" --script "$2" \
        --frames "$3" --trace-game "$home/trace.txt" >"$home/log.txt" 2>&1 || { echo "$1 run failed"; tail -5 "$home/log.txt"; exit 1; }
}
play node "$work/start.txt" 1500
entry=$(awk '$6 == "entry" { print $2; exit }' "$work/node/trace.txt")
[ -n "$entry" ] || { echo "name entry never started"; exit 1; }
# The name WEB typed, then Return on the end marker.
{
    cat "$work/start.txt"
    name_keys $((entry + 2)) W E B
} >"$work/keys.txt"
frames=$((name_end + 8))
play desktop "$work/keys.txt" "$frames"
user="$work/desktop/data/Pellovar/Veltramondo"
[ -f "$user/Snap0000.tga" ] || { echo "the desktop game took no snapshot"; exit 1; }

node "$here/page_chromium.js" "$modules/node_modules" "$web" "$work/keys.txt" "$frames" "${options[*]}" \
    "$user/Snap0000.tga" "$user/highscor.dat"
