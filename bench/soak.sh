#!/usr/bin/env bash
# Soak run: the game headless on a fixed clock through the attract sequence and computer-played
# games, with window-menu language and sound changes, main-menu visits and F9 snapshots from a
# key script. It must end with status 0, no sanitizer report and an empty leak report.
#   usage: soak.sh GAME [STEPS]   (STEPS defaults to 360000, one hour of game time)
# Use the sanitizer build's game (build/test/app/veltramondo) for the full check. The working
# folder holds the trace, the snapshots and the output afterwards; SOAK_DIR names it.
set -u
game=$(realpath "$1")
source_dir=$(realpath "$(dirname "$0")/..")
steps=${2:-360000}
ticks=20
passes=$(((steps + ticks) / (ticks + 1)))
work=${SOAK_DIR:-$(mktemp -d)}
mkdir -p "$work"
cd "$work" || exit 1
export XDG_DATA_HOME="$work/user" XDG_CONFIG_HOME="$work/config"
export LSAN_OPTIONS="suppressions=$source_dir/tests/lsan.supp:print_suppressions=0:use_tls=0"

# The key script: every 600 passes (four minutes of game time) one round of events, chosen by
# the round number so that every kind of event comes around.
script="$work/soak.keys"
: >"$script"
languages=6
round=0
for ((p = 200; p < passes - 50; p += 600)); do
    case $((round % 5)) in
        0) echo "$p menu $((50300 + round % languages))" >>"$script" ;;   # window menu: a language
        1) echo "$p menu 51001" >>"$script" ;;                            # music off / on
        2) echo "$p menu 51002" >>"$script" ;;                            # effects off / on
        # Menu and Enter: in attract mode a new game, which Esc, Esc then opens and closes; during
        # a game the question whether to give it up, which Esc, Esc answer and close: play goes on.
        3) printf '%d 1 down\n%d 1 up\n%d 28 down\n%d 28 up\n' $p $((p + 2)) $((p + 30)) $((p + 32)) >>"$script"
           printf '%d 1 down\n%d 1 up\n%d 1 down\n%d 1 up\n' $((p + 60)) $((p + 62)) $((p + 90)) $((p + 92)) >>"$script" ;;
        # Pause and go on, then four Enters: they finish a name being entered after a game over.
        4) printf '%d 25 down\n%d 25 up\n%d 25 down\n%d 25 up\n' $p $((p + 2)) $((p + 40)) $((p + 42)) >>"$script"
           for e in 60 80 100 120; do printf '%d 28 down\n%d 28 up\n' $((p + e)) $((p + e + 2)) >>"$script"; done ;;
    esac
    if ((round % 4 == 0)); then printf '%d 67 down\n%d 67 up\n' $((p + 100)) $((p + 102)) >>"$script"; fi
    round=$((round + 1))
done

start=$(date +%s)
"$game" --headless --language 1 --fixed-ticks $ticks --seed 20261206 --autopilot --frames "$passes" \
    --script "$script" --trace-game "$work/trace.txt" --report >"$work/out" 2>&1
status=$?
seconds=$(($(date +%s) - start))

fail=""
[ $status -eq 0 ] || fail="exit status $status"
grep -q "ERROR: AddressSanitizer\|ERROR: LeakSanitizer\|runtime error:" "$work/out" && fail="sanitizer report"
grep -qE "not freed|not all freed|More memory freed" "$work/out" && fail="memory report at exit"
ran=$(wc -l <"$work/trace.txt" 2>/dev/null || echo 0)
[ "$ran" -eq "$passes" ] || fail="${fail:+$fail; }$ran of $passes passes traced"
states=$(awk '{for (i = 1; i < NF; i++) if ($i == "state") print $(i + 1)}' "$work/trace.txt" | sort | uniq -c | tr '\n' ' ')
snaps=$(ls "$XDG_DATA_HOME"/Pellovar/*/Snap* 2>/dev/null | wc -l)

echo "soak: $passes passes ($steps steps) in ${seconds} s; states: $states; snapshots: $snaps"
if [ -n "$fail" ]; then
    echo "soak FAILED: $fail"
    tail -30 "$work/out"
    exit 1
fi
echo "soak ended cleanly"
