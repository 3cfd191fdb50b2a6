#!/usr/bin/env bash
# Installs the Debian packages the game (run), the tests (test), the Debian package (package) or
# the browser build (web: emscripten, the apt source tools, chromium for its tests) need, and only
# those missing.
# Safe to run again: with everything present it does nothing.
set -euo pipefail

run_packages=(cmake ninja-build g++ make pkg-config zlib1g-dev libsdl2-dev libgl-dev libglu1-mesa-dev
              libimgui-dev libstb-dev libfreetype-dev fonts-dejavu-core)
test_packages=("${run_packages[@]}" googletest libgtest-dev libgmock-dev libbenchmark-dev libpng-dev libjpeg-dev
               libmpg123-dev libopenmpt-dev lame sox ffmpeg xvfb xauth netpbm clang libclang-rt-14-dev
               desktop-file-utils appstream man-db lintian dpkg-dev xdotool x11-utils x11-apps)

web_packages=("${run_packages[@]}" emscripten dpkg-dev chromium)

case "${1:-}" in
    run) wanted=("${run_packages[@]}") ;;
    package) wanted=("${run_packages[@]}" dpkg-dev) ;;
    test) wanted=("${test_packages[@]}") ;;
    web) wanted=("${web_packages[@]}") ;;
    *) echo "usage: $0 run|test|package|web" >&2; exit 2 ;;
esac

missing=()
for p in "${wanted[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "Need root or sudo to install: ${missing[*]}" >&2; exit 1; }
    sudo=sudo
fi
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
