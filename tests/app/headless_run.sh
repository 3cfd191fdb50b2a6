#!/usr/bin/env bash
# Runs the game headless for a fixed number of frames with every module reporting, and checks
# that it ends through the normal shut-down: status 0 and no memory left unfreed.
set -u
game="$1"
. "$(dirname "$0")/../game_env.sh"
cd "$work"
"$game" --headless --frames 40 --report >"$work/out" 2>"$work/err"
status=$?
cat "$work/out" "$work/err"
if [ $status -ne 0 ]; then echo "exit status $status"; exit 1; fi
if grep -qE "not freed|not all freed|More memory freed" "$work/err"; then echo "memory report at exit"; exit 1; fi
echo "headless run ended cleanly"
