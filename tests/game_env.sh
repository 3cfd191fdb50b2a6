# Sourced by the tests that run the game: a scratch folder removed on exit, and per-user data and
# settings folders inside it, so that no test sees the player's files or another test's copy of
# the game (CTest runs tests in parallel; the game keeps one running copy per user folder).
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_DATA_HOME="$work/userdata" XDG_CONFIG_HOME="$work/config"

# Script lines that type a name in the high-score entry, a letter every second pass from pass $1,
# then Return on the end marker; the pass after the Return's release goes to $name_end.
name_keys() {
    local p=$1 c
    shift
    for c in "$@"; do
        echo "$p text $c"
        p=$((p + 2))
    done
    echo "$p 28 down"
    echo "$((p + 1)) 28 up"
    name_end=$((p + 2))
}
