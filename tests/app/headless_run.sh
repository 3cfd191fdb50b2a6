#!/usr/bin/env bash
# Runs the game headless for a fixed number of frames with every module reporting, and checks
# that it ends through the normal shut-down: status 0 and no memory left unfreed.
set -u
game="$1"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
# A per-user folder of its own: another copy of the game running beside this test (CTest runs
# tests in parallel) would otherwise hold the single-instance lock.
export XDG_DATA_HOME="$work/userdata" XDG_CONFIG_HOME="$work/config"
"$game" --headless --frames 40 --report >"$work/out" 2>"$work/err"
status=$?
cat "$work/out" "$work/err"
if [ $status -ne 0 ]; then echo "exit status $status"; exit 1; fi
if grep -qE "not freed|not all freed|More memory freed" "$work/err"; then echo "memory report at exit"; exit 1; fi
echo "headless run ended cleanly"
