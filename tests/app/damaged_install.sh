#!/usr/bin/env bash
# Starts the game on damaged installs and hostile machines. Each case must end in bounded time
# with either one clear message and an orderly exit, or its documented fall-back: never a crash,
# a sanitizer report or a hang.
#   usage: damaged_install.sh GAME DATA_FOLDER
set -u
game=$(realpath "$1")
data=$(realpath "$2")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
# System libraries leak on their own failure paths (a driver that did not load); only our
# memory report counts here, so the leak checker stays out of these runs.
export ASAN_OPTIONS=detect_leaks=0
export SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy

# run NAME DATA EXPECT [VAR=VALUE ...]: runs 30 frames in a fresh per-user folder, from a working
# folder of its own. EXPECT is "ok" (exit 0, frames drawn) or a pattern the output must hold.
run() {
    local name="$1" folder="$2" expect="$3"
    shift 3
    local dir="$work/$name"
    mkdir -p "$dir/cwd"
    (cd "$dir/cwd" && env XDG_DATA_HOME="$dir/user" XDG_CONFIG_HOME="$dir/config" VELTRAMONDO_DATA="$folder" "$@" \
        timeout 120 "$game" --headless --frames 30 --trace-commands "$dir/frames" >"$dir/out" 2>&1)
    local status=$?
    local frames=0
    [ -f "$dir/frames" ] && frames=$(wc -l <"$dir/frames")
    local verdict=""
    if [ $status -ge 124 ]; then
        verdict="ended by signal or time-out (status $status)"
    elif grep -q "ERROR: AddressSanitizer\|runtime error:" "$dir/out"; then
        verdict="sanitizer report"
    elif grep -qE "not freed|not all freed" "$dir/out"; then
        verdict="memory left unfreed"
    elif [ "$expect" = ok ]; then
        [ $status -eq 0 ] && [ "$frames" -eq 30 ] || verdict="expected 30 frames and status 0, got $frames and $status"
    elif ! grep -qE "$expect" "$dir/out"; then
        verdict="no message matching '$expect'"
    elif [ "$frames" -ne 0 ]; then
        verdict="went on to draw $frames frames"
    fi
    if [ -n "$verdict" ]; then
        echo "FAIL $name: $verdict"
        sed 's/^/    /' "$dir/out" | head -20
        failures=$((failures + 1))
    else
        echo "ok   $name"
    fi
}

mkdir -p "$work/nopack" "$work/truncated" "$work/tiny"
cp "$data/Default.ini" "$work/nopack/" 2>/dev/null
head -c 100000 "$data/resource.dat" >"$work/truncated/resource.dat"
head -c 20 "$data/resource.dat" >"$work/tiny/resource.dat"

run missing_pack "$work/nopack" "Could not open file.*|resource\.dat"
run truncated_pack "$work/truncated" "resource file|resource\.dat"
run tiny_pack "$work/tiny" "resource file|resource\.dat"
run no_opengl "$data" "OpenGL|main window" SDL_VIDEO_EGL_DRIVER=/nonexistent/libEGL.so.1
run no_sound_device "$data" ok SDL_AUDIODRIVER=no-such-driver

# A settings file of random bytes, and one of absurd values: the game starts and writes sane ones.
mkdir -p "$work/garbage_settings/config/veltramondo"
head -c 4096 /dev/urandom >"$work/garbage_settings/config/veltramondo/veltramondo.ini"
run garbage_settings "$data" ok
mkdir -p "$work/absurd_settings/config/veltramondo"
printf '[Display]\r\nResolution=99999x-5x7\r\nFullscreen=banana\r\nWindowPosition=-9999999,5,0,-3\r\n[Sound]\r\nMusicVolume=-77777\r\nSoundVolume=99999\r\nQuality=999\r\n[Application]\r\nLanguage=42\r\n' \
    >"$work/absurd_settings/config/veltramondo/veltramondo.ini"
run absurd_settings "$data" ok

# Per-user and settings folders that cannot be made (a file stands in their way): the game
# writes to its current folder, the data folder, instead; a copy of it here keeps the real one
# clean.
mkdir -p "$work/blocked/data"
echo "not a folder" >"$work/blocked/file"
ln -s "$data/resource.dat" "$work/blocked/data/resource.dat"
cp "$data/Default.ini" "$work/blocked/data/"
run blocked_user_folder "$work/blocked/data" ok XDG_DATA_HOME="$work/blocked/file" XDG_CONFIG_HOME="$work/blocked/file"
if ! ls "$work/blocked/data" | grep -qi "^veltramondo\.ini$"; then
    echo "FAIL blocked_user_folder: the settings did not fall back to the data folder"
    failures=$((failures + 1))
fi

# A shut-down killed while it wrote the settings: half-written staging copies beside the file,
# which an older version kept in the per-user folder. The game moves the file to the settings
# folder, starts on it as it was and its own shut-down writes past the leftovers.
user="$work/killed_write/user/Pellovar/Veltramondo"
settings="$work/killed_write/config/veltramondo/veltramondo.ini"
mkdir -p "$user"
printf '[Sound]\r\nMusicVolume=33\r\n' >"$user/veltramondo.ini"
printf '[Sound]\r\nMusicVol' >"$user/veltramondo.ini.new"
head -c 300 /dev/urandom >"$user/veltramondo.ini.new.tmp"
run killed_write "$data" ok
if [ -e "$user/veltramondo.ini" ] || ! grep -q "^MusicVolume=33" "$settings" || ! grep -q "^\[System\]" "$settings"; then
    echo "FAIL killed_write: the settings were not moved, read and written whole"
    failures=$((failures + 1))
fi

[ $failures -eq 0 ] && echo "every damaged install ended cleanly" || echo "$failures case(s) failed"
exit $((failures > 0))
