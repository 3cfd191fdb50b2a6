# Sourced by the tests that run the game: a scratch folder removed on exit, and per-user data and
# settings folders inside it, so that no test sees the player's files or another test's copy of
# the game (CTest runs tests in parallel; the game keeps one running copy per user folder).
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_DATA_HOME="$work/userdata" XDG_CONFIG_HOME="$work/config"
