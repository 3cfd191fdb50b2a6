#!/usr/bin/env bash
# Drives the real game headless with a key script and checks the commands each frame built:
# a held arrow gives 4n + 12 for the n steps of the previous pass, a released P gives command
# 25 on the frame of its release only (and a released F8 command 31 likewise), and any key held
# in attract mode gives command 30.
set -u
game="$1"
. "$(dirname "$0")/../game_env.sh"
cat >"$work/keys.txt" <<'KEYS'
# pass scancode down|up
5 203 down
15 203 up
20 25 down
22 25 up
24 66 down
25 66 up
KEYS
"$game" --headless --frames 30 --script "$work/keys.txt" --trace-commands "$work/trace.txt" >"$work/log" 2>&1
status=$?
[ $status -eq 0 ] || { echo "exit status $status"; cat "$work/log"; exit 1; }
awk '
    { pass = $2; steps = $4 + 0; left = 0; p = 0; rec = 0; any = 0
      for (i = 5; i <= NF; i++) { split($i, kv, "="); if (kv[1] == 75) left = kv[2] + 0; if (kv[1] == 25) p = 1; if (kv[1] == 31) rec = 1; if (kv[1] == 30) any = 1 } }
    pass >= 5 && pass <= 14 && left != 4 * steps + 12 { print "pass " pass ": left " left ", expected " 4 * steps + 12; bad = 1 }
    pass >= 5 && pass <= 14 && !any { print "pass " pass ": no any-key command in attract mode"; bad = 1 }
    pass < 5 && left != 0 { print "pass " pass ": left before the key went down"; bad = 1 }
    p && pass != 22 { print "pass " pass ": P command without a release"; bad = 1 }
    rec && pass != 25 { print "pass " pass ": record command without an F8 release"; bad = 1 }
    pass == 22 { saw22 = 1; if (!p) { print "pass 22: P release missed"; bad = 1 } }
    pass == 25 { saw25 = 1; if (!rec) { print "pass 25: F8 release missed"; bad = 1 } }
    END { if (!saw22 || !saw25) { print "trace ended before pass 25"; bad = 1 } exit bad }
' "$work/trace.txt" || { cat "$work/trace.txt"; exit 1; }
echo "scripted keys built the expected commands"
