#!/usr/bin/env bash
# Recorded demos and the attract sequence, headless on a fixed clock:
# - a game recorded by the computer player on level 4 is saved as "level\level 4.dem", and its
#   replay (with another seed, so every random value must come from the file) gives the same
#   trace pass for pass from the end of the start-up move, through its lost lives; so does one
#   recorded on Hard, which replays on Hard whatever difficulty the replaying game was given;
# - a game recorded with F8 is kept at game over and replays; one whose tables fill up is kept
#   and the game goes on;
# - a list A, B, C plays A, B, C, then the player's recordings (a damaged one passed over), then
#   A again; a scenery entry of 300 ticks shows its world that long with no game step;
# - every demo shipped in the pack replays to its end on another tick grouping with the score it
#   was recorded with, never reaching game over;
# - hostile lists and demo files end with their message and status 1, never a crash.
# Usage: demo_sequence.sh GAME SHIPPED_DEMO_FOLDER RECORDED_SCORE_FOLDER
set -u
game="$1" shipped="$2" scores="$3"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_DATA_HOME="$work/home" XDG_CONFIG_HOME="$work/config"
fail() { echo "$*"; exit 1; }

run() {  # name, then options; the per-user folder is the run's own
    local name=$1
    shift
    mkdir -p "$work/$name"
    U3_APP_DATA_PATH="$work/$name/" timeout 300 "$game" --headless --language 1 --difficulty normal --trace-game "$work/$name.trace" "$@" \
        >"$work/$name.log" 2>&1
    local status=$?
    if grep -q "ERROR: AddressSanitizer\|runtime error:\|LeakSanitizer" "$work/$name.log"; then
        cat "$work/$name.log"
        fail "$name: sanitizer report"
    fi
    return $status
}

# Recording and replay: the replay's fields from "level" to the paddle's z and its difficulty
# follow the recording's (the state and the demo counters differ by design).
# A Normal game loses a life of its 3; a Hard one has fewer from the start.
for take in "normal 19000 3" "hard 4000 3"; do
    read -r difficulty steps lives <<<"$take"
    run "record_$difficulty" --fixed-ticks 20 --seed 7 --autopilot --difficulty "$difficulty" --record-demo "4:$steps" ||
        { cat "$work/record_$difficulty.log"; fail "recording failed"; }
    recording="$work/record_$difficulty/level/level 4.dem"
    [ -f "$recording" ] || fail "no recording written as 'level\\level 4.dem': $(ls -R "$work/record_$difficulty")"
    awk -v lives="$lives" '$14 < lives { lost = 1 } END { exit !lost }' "$work/record_$difficulty.trace" ||
        fail "the $difficulty recording never had fewer than $lives lives"
    printf '#%s\r\n' "$recording" >"$work/one.txt"
    passes=$(wc -l <"$work/record_$difficulty.trace")
    run "replay_$difficulty" --fixed-ticks 20 --seed 99 --demo-list "$work/one.txt" --frames $((passes + 5)) ||
        { cat "$work/replay_$difficulty.log"; fail "replay failed"; }
    awk '
        function fields(line,   f, n, i, s) { n = split(line, f, " "); s = ""; for (i = 7; i <= 21; i++) s = s " " f[i]; return s " " f[32] }
        NR == FNR { rec[$2] = fields($0); last = $2; next }
        $2 in rec && $2 >= 9 && $2 <= last { compared++; if (fields($0) != rec[$2]) { print "pass " $2 ":\n record:" rec[$2] "\n replay:" fields($0); bad = 1; exit } }
        END { if (compared < 100) { print "only " compared " passes compared"; bad = 1 } exit bad }
    ' "$work/record_$difficulty.trace" "$work/replay_$difficulty.trace" || fail "the $difficulty replay left the recording"
done
recording="$work/record_normal/level/level 4.dem"
passes=$(wc -l <"$work/record_normal.trace")

# A recording begun with F8 as level 1 opens: left alone, it runs into game over and is kept as
# "level\level 1.dem", which replays to the score the game ended with; with the computer playing,
# it stops when its tables are full (20,000 steps), is kept, and the game goes on.
printf '5 30 down\n6 30 up\n10 28 down\n11 28 up\n13 66 down\n14 66 up\n' >"$work/f8.txt"
run f8 --fixed-ticks 20 --seed 11 --script "$work/f8.txt" --frames 600 || { cat "$work/f8.log"; fail "F8 recording failed"; }
final=$(awk '$6 == "gameover" { print $12; exit }' "$work/f8.trace")
[ -n "$final" ] || fail "the game recorded with F8 never ended"
[ -f "$work/f8/level/level 1.dem" ] || fail "game over left no recording: $(ls -R "$work/f8")"
printf '#%s\r\n' "$work/f8/level/level 1.dem" >"$work/f8list.txt"
run f8replay --fixed-ticks 20 --seed 99 --demo-list "$work/f8list.txt" --frames 400 || { cat "$work/f8replay.log"; fail "F8 replay failed"; }
awk -v want="$final" '$12 > best { best = $12 } END { if (best != want) { print "the replay reached " best ", the game ended with " want; exit 1 } }' \
    "$work/f8replay.trace" || fail "the recording kept at game over does not replay"
run full --fixed-ticks 20 --seed 11 --autopilot --script "$work/f8.txt" --frames 1100 ||
    { cat "$work/full.log"; fail "a recording that filled its tables ended the game"; }
read -r full_steps full_rands < <(od -An -t d4 -j 4 -N 8 "$work/full/level/level 1.dem")
[ "${full_steps:-0}" -eq 20000 ] || [ "${full_rands:-0}" -gt 79000 ] ||
    fail "the recording was kept with ${full_steps:-no} steps and ${full_rands:-no} random values, its tables not full"
awk '$2 > 1000 && $6 == "play" { going = 1 } END { exit !going }' "$work/full.trace" ||
    fail "the game did not go on after its recording filled its tables"

# A list A, B, C in order, the player's recordings, and again from the top; the scenery shows run
# 300 ticks (15 passes of 21 ticks) with nothing of the game moving.
printf '$300 level\\station.def\r\n#%s\r\n$300 level\\garden.def\r\n' "$recording" >"$work/abc.txt"
mkdir -p "$work/abc/level"
cp "$recording" "$work/abc/level/level 4.dem"
printf 'damaged' >"$work/abc/level/level 9.dem"
run abc --fixed-ticks 20 --seed 1 --demo-list "$work/abc.txt" --frames $((2 * passes + 50)) ||
    { cat "$work/abc.log"; fail "list A, B, C failed"; }
awk '
    { w = $27; sub(/.*\\/, "", w) }
    w != prev { seq = seq " " w; if (prev ~ /station|garden/ && (n < 14 || n > 16)) bad_show = prev " showed " n " passes"; n = 0; prev = w }
    { n++ }
    w ~ /station|garden/ && n > 1 && ($20 != px || $25 != rnd) { moved = "pass " $2 " moved in " w }
    { px = $20; rnd = $25 }
    END {
        if (seq !~ /^ station.def brick.def garden.def brick.def station.def/) { print "sequence" seq; exit 1 }
        if (bad_show) { print bad_show; exit 1 }
        if (moved) { print moved; exit 1 }
    }
' "$work/abc.trace" || fail "list A, B, C"

# The shipped demos, replayed from the pack on 14 steps a pass (they were recorded on 21).
count=0
for dem in "$shipped"/level/*.dem; do
    name=$(basename "$dem" .dem)
    steps=$(od -An -t d4 -j 4 -N 4 "$dem" | tr -d ' ')
    expected=$(cat "$scores/$name.txt")
    printf '#level\\%s.dem\r\n' "$name" >"$work/$name.txt"
    run "$name" --fixed-ticks 13 --seed 5 --demo-list "$work/$name.txt" --frames $((steps / 14 + 30)) ||
        { cat "$work/$name.log"; fail "$name: replay failed"; }
    awk -v n="$steps" -v want="$expected" -v name="$name" '
        $6 == "gameover" { print name ": game over at pass " $2; exit 1 }
        $23 == n "/" n { if ($12 != want || $14 < 1) { print name ": ended with score " $12 " and " $14 " lives, recorded " want; exit 1 } done = 1; exit 0 }
        END { if (!done) { print name ": never reached step " n; exit 1 } }
    ' "$work/$name.trace" || fail "shipped demo $name"
    count=$((count + 1))
done
[ "$count" -ge 5 ] || fail "only $count shipped demos"

# Hostile lists and demo files.
head -c 2000 "$recording" >"$work/truncated.dem"
python3 -c "import struct,sys; open(sys.argv[1],'wb').write(struct.pack('<3i', 1, 30000, 10) + bytes(30040))" "$work/huge.dem"
printf '; no entries\r\n' >"$work/empty.txt"
printf '@\r\n@\r\n' >"$work/skips.txt"
printf '#%s\r\n' "$work/none.dem" >"$work/missing.txt"
printf '#%s\r\n' "$work/truncated.dem" >"$work/truncated.txt"
printf '#%s\r\n' "$work/huge.dem" >"$work/huge.txt"
# Lists are named from the folder the game starts in (here the scratch folder); one that is
# missing is refused before the start with status 2.
cd "$work" || fail "no scratch folder"
while IFS='|' read -r list message; do
    run "bad_$list" --fixed-ticks 20 --frames 30 --demo-list "$list.txt"
    status=$?
    [ $status -eq $([ "$list" = absent ] && echo 2 || echo 1) ] || fail "$list: status $status"
    grep -qF -- "$message" "$work/bad_$list.log" || { cat "$work/bad_$list.log"; fail "$list: no message '$message'"; }
done <<'CASES'
absent|--demo-list absent.txt: there is no such file
empty|There should be at least 1 demo is demos.txt!
skips|holds only skip entries (@)
missing|Cant open demo file
truncated|is shorter than its counts say
huge|holds 30000 steps; at most 20000 can be replayed
CASES
echo "demo sequence: replay equals recording, list order and scenery shows, $count shipped demos, hostile files"
