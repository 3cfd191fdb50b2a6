#!/usr/bin/env bash
# Writes the stored pictures of the picture tests again from the build's own drawing, after a
# deliberate change of what the game shows (colours, texts, layout): the program's screens and
# the game at fixed passes (tests/app_texts/golden/) and the renderer's test worlds
# (tests/world_render/golden/). Look at every picture that changed before keeping it.
#   usage: scripts/update_pictures.sh [BUILD_DIR]   (the test build, build/test by default)
set -u
build=$(realpath "${1:-build/test}")
root=$(realpath "$(dirname "$0")/..")
export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0:use_tls=0"
export SDL_VIDEODRIVER=offscreen VM_GOLDEN_UPDATE=1
for t in tests/app_texts/test_app_screens tests/world_render/test_world_render; do
    [ -x "$build/$t" ] || { echo "missing $build/$t (build the tests first: make build-test)"; exit 1; }
    "$build/$t" --gtest_brief=1 >/dev/null || { echo "$t failed"; exit 1; }
done
git -C "$root" status --short tests/app_texts/golden tests/world_render/golden
