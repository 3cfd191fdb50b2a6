#!/usr/bin/env bash
# One running copy, with two real processes of the game: a second start says so, exits with
# status 0 and leaves the first running; a start with -stop makes the first one close within 11
# seconds.
set -u
game="$1"
work=$(mktemp -d)
first=""
cleanup() { [ -n "$first" ] && kill "$first" 2>/dev/null; rm -rf "$work"; }
trap cleanup EXIT
export XDG_DATA_HOME="$work/userdata" XDG_CONFIG_HOME="$work/config"
mkdir -p "$XDG_DATA_HOME"
cd "$work"

"$game" --headless >"$work/first.log" 2>&1 &
first=$!
# The first copy holds the lock once its lock file names it.
for _ in $(seq 600); do
    if grep -qx "$first" $(find "$XDG_DATA_HOME" -name '*.lock' 2>/dev/null) /dev/null 2>/dev/null; then break; fi
    kill -0 "$first" 2>/dev/null || { echo "first copy ended early"; cat "$work/first.log"; exit 1; }
    sleep 0.1
done
grep -qx "$first" $(find "$XDG_DATA_HOME" -name '*.lock') /dev/null || { echo "first copy never took the lock"; exit 1; }

"$game" --headless >"$work/second.log" 2>&1
status=$?
[ $status -eq 0 ] || { echo "second copy: exit status $status"; cat "$work/second.log"; exit 1; }
grep -q "already running with the same per-user folder: this copy ends" "$work/second.log" ||
    { echo "second copy: said nothing"; cat "$work/second.log"; exit 1; }
kill -0 "$first" 2>/dev/null || { echo "the second copy ended the first"; cat "$work/first.log"; exit 1; }

"$game" -stop --headless >"$work/stop.log" 2>&1
status=$?
[ $status -eq 0 ] || { echo "-stop copy: exit status $status"; cat "$work/stop.log"; exit 1; }
# -stop waits for the first copy to give up its lock; the process itself ends right after.
for _ in $(seq 110); do
    kill -0 "$first" 2>/dev/null || break
    sleep 0.1
done
if kill -0 "$first" 2>/dev/null; then echo "first copy still running after -stop"; exit 1; fi
wait "$first"
status=$?
first=""
[ $status -eq 0 ] || { echo "first copy: exit status $status"; cat "$work/first.log"; exit 1; }
# With no copy running, -stop has nothing to close and starts nothing.
timeout 30 "$game" -stop --headless >"$work/alone.log" 2>&1
status=$?
[ $status -eq 0 ] && grep -q "is not running: there is nothing to close" "$work/alone.log" ||
    { echo "-stop with no copy running: exit status $status"; cat "$work/alone.log"; exit 1; }
echo "one running copy: second start and -stop behaved"
