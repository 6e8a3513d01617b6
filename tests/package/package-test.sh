#!/usr/bin/env bash
# The .deb and the .tar.gz as users get them: made from the build in $1, unpacked into folders of
# their own and played through the launcher under the test display (DISPLAY and SDL_AUDIODRIVER are
# the caller's). Nothing is installed on the system.
set -euo pipefail
source=$(cd "$(dirname "$0")/../.." && pwd -P)
build=$(cd "$1" && pwd -P)
work=$(cd "$(mktemp -d)" && pwd -P)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAILED: $*"; exit 1; }

cmake --build "$build" --target package >"$work/package.log" 2>&1 || { cat "$work/package.log"; fail "packaging"; }
deb=$(ls -t "$build"/skorvane_*.deb | head -1)
archive=$(ls -t "$build"/skorvane-*-Linux-*.tar.gz | head -1)

depends=$(dpkg-deb -f "$deb" Depends)
for lib in libsdl2-2.0-0 libsdl2-mixer-2.0-0 libglew; do
    [[ $depends == *"$lib"* ]] || fail "Depends lacks $lib: $depends"
done
[[ $depends != *-dev* ]] || fail "Depends names a development package: $depends"

# The deb in a folder with a space in its name; the archive elsewhere. Both hold the same files, the
# show's data as in the repository, and no path of this machine.
root="$work/deb root"
dpkg-deb -x "$deb" "$root"
mkdir "$work/archive"
tar -xzf "$archive" -C "$work/archive"
top=$(echo "$work"/archive/skorvane-*)
diff <(cd "$root/usr" && find . | sort) <(cd "$top" && find . ! -path ./skorvane | sort) || fail "deb and archive differ"
diff <(cd "$source" && find config.txt data -type f | sort) <(cd "$root/usr/share/games/skorvane" && find . -type f | sed 's|^\./||' | sort) ||
    fail "the package's data differ from the repository's"
! grep -rlF -e "$source" -e "$build" "$root" "$top" || fail "files above hold a path of the build machine"
desktop-file-validate "$root/usr/share/applications/skorvane.desktop" || fail "desktop entry"

# Plays the launcher $1 from the working directory $2: the window opens, nothing is printed, the show
# still runs a few seconds later, and Escape ends it with status 0.
play() {
    (cd "$2" && exec "$1") >"$work/output" 2>&1 &
    local pid=$! window=""
    for _ in $(seq 600); do
        window=$(xdotool search --pid "$pid" 2>/dev/null | head -1) && [ -n "$window" ] && break
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    [ -n "$window" ] || fail "$1 opened no window: $(cat "$work/output")"
    sleep 3
    kill -0 "$pid" 2>/dev/null || fail "$1 ended by itself: $(cat "$work/output")"
    [ ! -s "$work/output" ] || fail "$1 printed: $(cat "$work/output")"
    xdotool windowfocus --sync "$window" key Escape
    local status=0
    wait "$pid" || status=$?
    [ "$status" -eq 0 ] || fail "$1 ended with status $status after Escape"
}

# The deb's launcher through a symlink, as /usr/games/skorvane may be; the archive's from /.
mkdir "$work/bin dir"
ln -s "$root/usr/games/skorvane" "$work/bin dir/skorvane"
play "$work/bin dir/skorvane" "$work"
play "$top/skorvane" /

# A missing data directory is named.
mv "$root/usr/share/games/skorvane" "$work/moved"
output=$("$work/bin dir/skorvane" 2>&1) && status=0 || status=$?
expected="skorvane: cannot find the show's data directory $root/usr/share/games/skorvane"
[ "$status" -eq 1 ] && [ "$output" = "$expected" ] || fail "data directory missing: status $status, $output"

if command -v lintian >/dev/null; then
    lintian --fail-on error,warning "$deb" || fail "lintian"
fi
echo "package and archive pass"
