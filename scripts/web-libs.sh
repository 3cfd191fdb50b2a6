#!/usr/bin/env bash
# Builds the libraries of the browser build (SDL2, zlib, Dear ImGui) for WebAssembly from Debian's
# source packages of the versions the desktop build uses, once per version, into a cache outside
# the build folder. The sources come through the ordinary apt client with a private sources list
# and private lists and cache folders: the machine's apt set-up is never changed.
# Prints the cache folder of these versions (the prefix CMake is given).
set -euo pipefail

cache_root=${VM_WEB_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/veltramondo/web}

source_version() { dpkg-query -W -f='${source:Version}' "$1"; }
sdl_v=$(source_version libsdl2-dev)
zlib_v=$(source_version zlib1g-dev)
imgui_v=$(source_version libimgui-dev)
emcc_v=$(dpkg-query -W -f='${Version}' emscripten)
key="sdl2-${sdl_v}_zlib-${zlib_v}_imgui-${imgui_v}_emscripten-${emcc_v}"
key=${key//[:~+]/-}
prefix="$cache_root/$key"
if [ -f "$prefix/.complete" ]; then
    echo "$prefix"
    exit 0
fi

work="$cache_root/work-$key"
rm -rf "$work" "$prefix"
mkdir -p "$work/apt/lists/partial" "$work/apt/cache/archives/partial" "$work/src" "$prefix"
mirror=$(sed -n 's/^URIs: *\(http[^ ]*debian\)$/\1/p' /etc/apt/sources.list.d/debian.sources 2>/dev/null | head -1)
echo "deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] ${mirror:-http://deb.debian.org/debian} bookworm main" \
    > "$work/apt/sources.list"
apt_private=(-o "Dir::Etc::SourceList=$work/apt/sources.list" -o "Dir::Etc::SourceParts=/nonexistent"
             -o "Dir::State::Lists=$work/apt/lists" -o "Dir::Cache=$work/apt/cache" -o "APT::Get::List-Cleanup=0")
{
    apt-get "${apt_private[@]}" update -qq
    cd "$work/src"
    apt-get "${apt_private[@]}" source -qq "libsdl2=$sdl_v" "zlib=$zlib_v" "imgui=$imgui_v"
} >&2

export NODE_PATH=/usr/share/nodejs
jobs=$(nproc)
sdl_src=$(find "$work/src" -maxdepth 1 -type d -name 'libsdl2-*' | head -1)
zlib_src=$(find "$work/src" -maxdepth 1 -type d -name 'zlib-*' | head -1)
imgui_src=$(find "$work/src" -maxdepth 1 -type d -name 'imgui-*' | head -1)
{
    emcmake cmake -S "$sdl_src" -B "$work/sdl2" -G Ninja -DCMAKE_BUILD_TYPE=Release -DSDL_SHARED=OFF \
        -DSDL_STATIC=ON -DSDL_TEST=OFF -DCMAKE_INSTALL_PREFIX="$prefix"
    cmake --build "$work/sdl2" -j "$jobs" --target install
    # zlib's own CMake file wants the Windows resources Debian's sources leave out: its C files
    # are compiled here as its Makefile would.
    mkdir -p "$work/zlib" "$prefix/include"
    (cd "$work/zlib" && for c in adler32 compress crc32 deflate gzclose gzlib gzread gzwrite infback inffast inflate \
         inftrees trees uncompr zutil; do emcc -O2 -DHAVE_UNISTD_H -c "$zlib_src/$c.c" -o "$c.o"; done && emar rcs "$prefix/lib/libz.a" ./*.o)
    cp "$zlib_src/zlib.h" "$zlib_src/zconf.h" "$prefix/include/"
} >&2
# Dear ImGui is compiled by the game's own build from these sources (core and the SDL2 and
# OpenGL 2 back ends), as Debian's libimgui.a holds them.
mkdir -p "$prefix/imgui/backends"
cp "$imgui_src"/*.cpp "$imgui_src"/*.h "$prefix/imgui/"
cp "$imgui_src"/backends/imgui_impl_sdl.* "$imgui_src"/backends/imgui_impl_opengl2.* "$prefix/imgui/backends/"
rm -rf "$work"
touch "$prefix/.complete"
echo "$prefix"
