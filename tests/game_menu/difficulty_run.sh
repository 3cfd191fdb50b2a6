#!/usr/bin/env bash
# Difficulty and the kept game through the real program, headless on a fixed clock, read from
# --trace-game (field 29/30 the menu's page and item, 32 the difficulty):
# - New game asks for the difficulty, on Normal at first; Hard chosen is stored and offered first
#   the next time, and its game starts with 2 lives;
# - that game, closed on level 3, is offered as CONTINUE and resumes on level 3 with its score,
#   lives and difficulty; a damaged kept game is refused on a page of its own and removed;
# - on Easy the ball waits on the paddle (5 lives, no score) until Space launches it;
# - a new game removes the kept game; a Hard game's score goes to the Hard table, and
#   "highscor.dat" stays as it was.
set -u
game="$1"
. "$(dirname "$0")/../game_env.sh"
user="$XDG_DATA_HOME/Pellovar/Veltramondo" settings="$XDG_CONFIG_HOME/veltramondo/veltramondo.ini"
mkdir -p "$user" "$XDG_CONFIG_HOME/veltramondo"
printf '[Application]\r\nLanguage=1\r\n' >"$settings"
fail() { echo "$*"; exit 1; }
run() {  # name, frames, keys (PASS CODE pairs, each pressed for one pass), options...
    local name=$1 frames=$2 keys=$3
    shift 3
    set -- $keys "$@"
    printf '%s' "${raw:-}" >"$work/$name.keys"
    while [ $# -gt 0 ] && [ "${1#--}" = "$1" ]; do
        printf '%s %s down\n%s %s up\n' "$1" "$2" $(($1 + 1)) "$2" >>"$work/$name.keys"
        shift 2
    done
    "$game" --headless --fixed-ticks 20 --seed 5 --frames "$frames" --script "$work/$name.keys" \
        --trace-game "$work/$name.trace" "$@" >"$work/$name.log" 2>&1 || { cat "$work/$name.log"; fail "$name: status $?"; }
}
at() {  # trace, pass, field numbers: those fields of that pass
    awk -v p="$2" -v f="${*:3}" '$2 == p { n = split(f, k, " "); s = ""; for (i = 1; i <= n; i++) s = s (i > 1 ? " " : "") $k[i]; print s }' "$1"
}
# A opens the menu, Return asks for the difficulty (Normal), Down selects Hard, Return plays it;
# Ctrl + left Shift + L twice skips to level 3, where the program closes.
skips=$(for p in 40 70; do printf '%s 29 down\n%s 42 down\n%s 38 down\n%s 38 up\n%s 29 up\n%s 42 up\n' \
    $p $p $((p + 1)) $((p + 2)) $((p + 3)) $((p + 3)); done)
raw="$skips
" run choose 110 "3 30 8 28 12 208 16 28"
[ "$(at "$work/choose.trace" 10 29 30)" = "8 3" ] || fail "the choice did not open on Normal: $(at "$work/choose.trace" 10 28 29 30)"
[ "$(at "$work/choose.trace" 14 29 30)" = "8 4" ] || fail "Down did not select Hard"
[ "$(at "$work/choose.trace" 20 6 14 32)" = "play 2 hard" ] || fail "Hard: $(at "$work/choose.trace" 20 6 14 32)"
grep -q '^Difficulty=hard' "$settings" || fail "the choice was not stored: $(cat "$settings")"
read -r start_score start_lives < <(awk '$8 == 3 { print $12, $14; exit }' "$work/choose.trace")
[ -n "$start_score" ] || fail "level 3 was not reached"
[ -f "$user/kept.dat" ] || fail "closing during the game kept nothing"

# The next start offers CONTINUE first; Return resumes level 3 as it began.
run resume 14 "3 30 8 28"
[ "$(at "$work/resume.trace" 6 29 30)" = "0 0" ] || fail "CONTINUE not selected first"
[ "$(at "$work/resume.trace" 12 6 8 12 14 32)" = "play 3 $start_score $start_lives hard" ] ||
    fail "continued as $(at "$work/resume.trace" 12 6 8 12 14 32), kept at level 3 score $start_score lives $start_lives"
# The kept game is offered again (the program closed during it); New game now asks on Hard.
run again 14 "3 30 8 208 12 28"
[ "$(at "$work/again.trace" 13 29 30)" = "8 4" ] || fail "the choice did not open on the stored Hard"

# A new Hard game (below CONTINUE) left alone ends; its score enters the Hard table (all -1
# here), named by four Returns; the kept game is gone.
for f in highscor.dat highscor_hard.dat; do
    for i in 1 2 3 4 5; do printf '\377\377\377\377ACE\000'; done >"$user/$f"
done
cp "$user/highscor.dat" "$work/normal.dat"
run over 400 "3 30 8 208 12 28" --difficulty hard
entry=$(awk '$6 == "entry" { print $2; exit }' "$work/over.trace")
[ -n "$entry" ] || fail "the Hard game did not reach name entry"
[ -f "$user/kept.dat" ] && fail "a new game left the kept game"
score=$(at "$work/over.trace" "$entry" 12)
run named $((entry + 20)) "3 30 8 28 $((entry + 2)) 28 $((entry + 6)) 28 $((entry + 10)) 28 $((entry + 14)) 28" --difficulty hard
[ "$(od -An -t d4 -N 4 "$user/highscor_hard.dat" | tr -d ' ')" = "$score" ] || fail "the Hard table lacks $score"
[ "$(stat -c %s "$user/highscor_hard.dat")" = 40 ] || fail "the Hard table is not 40 bytes"
cmp -s "$user/highscor.dat" "$work/normal.dat" || fail "a Hard game changed highscor.dat"

# A damaged kept game: refused on its page, removed, said on standard error.
printf 'VMKG\001\000\000\000garbage' >"$user/kept.dat"
run damaged 12 "3 30 8 28"
[ "$(at "$work/damaged.trace" 10 29 30)" = "9 5" ] || fail "damaged kept game: $(at "$work/damaged.trace" 10 6 29 30)"
[ -f "$user/kept.dat" ] && fail "the damaged kept game was not removed"
grep -q "kept game could not be read" "$work/damaged.log" || fail "no message for the damaged kept game"

# Easy: 5 lives, and the ball waits on the paddle 60 passes (1260 steps) with no score until Space.
run easy 120 "3 30 8 28 80 57" --difficulty easy
awk '$2 >= 20 && $2 <= 80 && ($6 != "play" || $12 != 0 || $14 != 5 || $32 != "easy") { print "held: " $0; bad = 1; exit }
     $2 > 80 && ($12 > 0 || $14 < 5) { launched = 1 }
     END { if (!launched && !bad) print "Space did not launch the ball"; exit bad || !launched }' "$work/easy.trace" ||
    fail "the Easy ball"

echo "difficulty chosen, stored and played; a game closed on level 3 continued; a damaged one refused;" \
    "the Easy ball waited for Space; a Hard score in the Hard table"
