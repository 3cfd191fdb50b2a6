#!/usr/bin/env bash
# Builds the browser build: the page (index.html, veltramondo.js, .wasm, .data, icon) in WEB_DIR
# and the headless variant for node in WEB_DIR/node, with Debian's emscripten, from the data pack
# of the native build in RELEASE_DIR. Usage: web-build.sh RELEASE_DIR WEB_DIR
set -euo pipefail
cd "$(dirname "$0")/.."
release=$(realpath "$1")
out=$(realpath -m "$2")
# Debian's emscripten runs its JavaScript optimiser with Debian's node modules.
export NODE_PATH=/usr/share/nodejs
libs=$(scripts/web-libs.sh)
for variant in page node; do
    tree=build/web-build/$variant
    node_option=OFF
    [ "$variant" = node ] && node_option=ON
    emcmake cmake -S . -B "$tree" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVM_WEB_LIBS="$libs" \
        -DVM_WEB_NODE=$node_option -DVM_WEB_OUT="$out" -DVM_WEB_DATA="$release/app" \
        -DVM_WEB_ICON="$release/content/icons/64.png" >/dev/null
    cmake --build "$tree" -j "$(nproc)"
done
echo "The page is in $out: serve it with 'python3 -m http.server -d $out 8000' and open http://localhost:8000/"
