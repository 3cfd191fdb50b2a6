#!/usr/bin/env bash
# Checks of the installed game: `install_checks.sh CHECK CMAKE BUILD_DIR`, CHECK one of
#   run      the staged install holds every file and the game runs from elsewhere, the tool too
#   desktop  the desktop entry and the AppStream data validate; six languages; the entry's path
#   man      both manual pages render without warnings and name every option and command
#   deb      the Debian package builds and lintian finds neither error nor warning
# Each check installs into a folder of its own. Exit 77 (skipped) only when a checking tool is
# missing, which scripts/install-deps.sh installs.
set -u
check="$1" cmake="$2" build="$3"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
stage="$work/stage"
app_id=org.pellovar.veltramondo
fail() { echo "FAIL: $*"; exit 1; }
need() { command -v "$1" >/dev/null || { echo "skipped: $1 is not installed"; exit 77; }; }
install_stage() { "$cmake" --install "$build" --prefix "$stage" >"$work/install.log" 2>&1 || { cat "$work/install.log"; fail "cmake --install"; }; }

case "$check" in
run)
    install_stage
    for f in games/veltramondo bin/veltramondo-tool; do
        [ -x "$stage/$f" ] || fail "$f is not an installed program"
    done
    for f in share/games/veltramondo/resource.dat share/games/veltramondo/Default.ini \
             share/applications/$app_id.desktop share/metainfo/$app_id.metainfo.xml \
             share/man/man6/veltramondo.6.gz share/man/man1/veltramondo-tool.1.gz \
             share/doc/veltramondo/copyright share/doc/veltramondo/changelog.gz; do
        [ -s "$stage/$f" ] || fail "$f missing"
    done
    for size in 32 48 64 128 256; do
        icon="$stage/share/icons/hicolor/${size}x${size}/apps/veltramondo.png"
        [ -s "$icon" ] || fail "icon $size missing"
        # Width and height, big-endian, at bytes 16-23 of a PNG.
        read -r w h < <(od -An -tu1 -j16 -N8 "$icon" | awk '{print $3*256+$4, $7*256+$8}')
        [ "$w x $h" = "$size x $size" ] || fail "icon $size is $w x $h"
    done
    # From another folder, with no hint where the data lies: the game finds the installed data.
    mkdir -p "$work/elsewhere"
    cd "$work/elsewhere"
    env -u VELTRAMONDO_DATA -u U3_APP_DATA_PATH XDG_DATA_HOME="$work/userdata" XDG_CONFIG_HOME="$work/config" \
        "$stage/games/veltramondo" --headless --frames 600 --report >"$work/out" 2>"$work/err"
    status=$?
    cat "$work/out" "$work/err"
    [ $status -eq 0 ] || fail "the installed game exited with $status"
    if grep -qE "Could not open|not freed|not all freed" "$work/err"; then fail "errors at run time"; fi
    # The first start copied the installed Default.ini (only it holds SkipMessageBox).
    grep -q "^SkipMessageBox=" "$work/config/veltramondo/veltramondo.ini" ||
        fail "the settings were not made from the installed Default.ini"
    "$stage/bin/veltramondo-tool" list "$stage/share/games/veltramondo/resource.dat" >"$work/list" ||
        fail "veltramondo-tool list"
    grep -qF 'data\levels.txt' "$work/list" || fail "the installed pack lists no levels file"
    ;;
desktop)
    need desktop-file-validate
    need appstreamcli
    install_stage
    entry="$stage/share/applications/$app_id.desktop"
    desktop-file-validate "$entry" || fail "desktop-file-validate"
    appstreamcli validate --no-net --pedantic "$stage/share/metainfo/$app_id.metainfo.xml" ||
        fail "appstreamcli validate"
    for key in GenericName Comment Keywords; do
        for lang in de es fr it pt; do
            grep -q "^$key\[$lang\]=." "$entry" || fail "no $key in $lang"
        done
    done
    grep -qx "Exec=$stage/games/veltramondo" "$entry" || fail "the entry does not start the installed game"
    grep -q "<screenshot type=\"default\">" "$stage/share/metainfo/$app_id.metainfo.xml" || fail "no screenshot"
    ;;
man)
    need man
    install_stage
    export MANWIDTH=80 LC_ALL=C.UTF-8
    for page in man6/veltramondo.6.gz man1/veltramondo-tool.1.gz; do
        man --warnings -l "$stage/share/man/$page" >"$work/page" 2>"$work/warnings"
        [ -s "$work/warnings" ] && { cat "$work/warnings"; fail "$page renders with warnings"; }
        [ "$(wc -l <"$work/page")" -gt 40 ] || fail "$page is nearly empty"
        cp "$work/page" "$work/$(basename "$page" .gz).txt"
    done
    # Every option the game lists and every command the tool lists has its entry.
    "$stage/games/veltramondo" --help | grep -oE '^ +-[-a-z]+' | tr -d ' ' >"$work/options"
    [ "$(wc -l <"$work/options")" -ge 8 ] || fail "too few options in --help"
    while read -r option; do
        grep -qE "^ {7}$option( |$)" "$work/veltramondo.6.txt" || fail "veltramondo.6 lacks $option"
    done <"$work/options"
    "$stage/bin/veltramondo-tool" --help | sed -n 's/^  \([a-z0-9]*\) .*/\1/p' >"$work/commands"
    [ "$(wc -l <"$work/commands")" -ge 10 ] || fail "too few commands in the tool's --help"
    while read -r command; do
        grep -qE "^ {7}$command( |$)" "$work/veltramondo-tool.1.txt" || fail "veltramondo-tool.1 lacks $command"
    done <"$work/commands"
    ;;
deb)
    need cpack
    need dpkg-shlibdeps
    need lintian
    cpack --config "$build/CPackConfig.cmake" -B "$work/package" >"$work/cpack.log" 2>&1 || { cat "$work/cpack.log"; fail "cpack"; }
    deb=$(ls "$work"/package/veltramondo_*.deb)
    [ -f "$deb" ] || fail "no package"
    dpkg-deb -f "$deb" Depends | grep -q "libsdl2-2.0-0" || fail "dependencies were not found"
    dpkg-deb -c "$deb" >"$work/contents"
    grep -q " ./usr/games/veltramondo$" "$work/contents" || fail "the game is not in /usr/games"
    lintian --fail-on error,warning "$deb" 2>&1 | grep -v "root privileges" | tee "$work/lintian"
    [ "${PIPESTATUS[0]}" -eq 0 ] || fail "lintian"
    ;;
*)
    fail "unknown check $check"
    ;;
esac
echo "$check: ok"
