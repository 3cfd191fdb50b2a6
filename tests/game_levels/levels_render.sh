#!/usr/bin/env bash
# veltramondo-tool levels render: a 640 x 480 PNG of a level as the game shows it, the set's own
# bricks in it (a set with bricks and the same set without them give different pictures), and a
# clear message for a level the set does not have or a file the reader refuses.
set -u
tool="$1" pack="$2"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
printf '!AAAAAAAAAAAAAA\r\n!zzzzzzzzzzzzzz\r\n@6500\r\n}1\r\n' >"$work/bricks.txt"
printf '!\r\n@6500\r\n}1\r\n' >"$work/empty.txt"
printf '!12\r\n@1\r\n}60\r\n' >"$work/bad.txt"
for set in bricks empty; do
    "$tool" levels render "$work/$set.txt" 1 "$work/$set.png" --pack "$pack" || { echo "render of $set failed"; exit 1; }
done
[ "$(head -c 8 "$work/bricks.png" | od -An -tx1 | tr -d ' ')" = 89504e470d0a1a0a ] || { echo "not a PNG"; exit 1; }
[ "$(od -An -tu1 -j 16 -N 8 "$work/bricks.png" | tr -s ' ')" = " 0 0 2 128 0 0 1 224" ] || { echo "not 640 x 480"; exit 1; }
cmp -s "$work/bricks.png" "$work/empty.png" && { echo "the bricks of the set are not in the picture"; exit 1; }
"$tool" levels render "$work/bricks.txt" 2 "$work/two.png" --pack "$pack" 2>"$work/err"
[ $? -eq 1 ] && grep -q "bricks.txt has 1 levels" "$work/err" || { echo "level 2 of one:"; cat "$work/err"; exit 1; }
"$tool" levels render "$work/bad.txt" 1 "$work/bad.png" --pack "$pack" 2>"$work/err"
[ $? -eq 1 ] && grep -q "bad.txt:3: Error: Wrong enemy maximum 60 in level 1" "$work/err" || { echo "bad file:"; cat "$work/err"; exit 1; }
[ -e "$work/two.png" ] || [ -e "$work/bad.png" ] && { echo "a picture was written after an error"; exit 1; }
echo "levels render: pictures of the set's own bricks, errors for missing levels and bad files"
