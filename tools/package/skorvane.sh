#!/bin/sh
# Plays the show from its data directory, share/games/skorvane under the prefix that holds this
# script's real location (games/skorvane): the same script serves the installed package, reached
# through the PATH or a symlink, and an unpacked archive. The show's exit status is passed on.
prefix=$(dirname "$(dirname "$(readlink -f "$0")")")
prefix=${prefix%/}
data="$prefix/share/games/skorvane"
if ! cd "$data" 2>/dev/null; then
    echo "skorvane: cannot find the show's data directory $data" >&2
    exit 1
fi
exec "$prefix/lib/games/skorvane/skorvane"
