#!/usr/bin/env bash
# Hardening checks, each bounded in time:
#   asan-suite  the fast test suite built with AddressSanitizer and UBSan (build-asan/);
#   fuzz-*      the config.txt and OBJ fuzz targets, half a minute each, on a copy of their seed corpus;
#   valgrind    skorvane's start-up and a ten-second track under memcheck (the build/ that
#               ./test.sh has just made).
# The caller sets DISPLAY (an X server such as Xvfb) and SDL_AUDIODRIVER (dummy on CI). Exits
# non-zero when any check fails; the last line sums up.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD
: "${DISPLAY:?needs an X display}" "${SDL_AUDIODRIVER:?needs SDL_AUDIODRIVER, e.g. dummy}"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=()

# Runs one check with its output kept in $work/<name>.log, and shows the log's end when it fails.
check() {
    local name=$1 begin=$SECONDS
    shift
    if "$@" >"$work/$name.log" 2>&1; then
        echo "ok      $name ($((SECONDS - begin)) s)"
    else
        echo "FAILED  $name ($((SECONDS - begin)) s)"
        tail -n 80 "$work/$name.log"
        failed+=("$name")
    fi
}

asan_suite() {
    cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSKORVANE_SANITIZE=ON -DSKORVANE_BENCH=OFF \
        -DSKORVANE_TOOLS=OFF && cmake --build build-asan -j2 || return 1
    # Timings mean nothing under the sanitizers. Leaks are not checked: the GL driver keeps memory
    # until exit, and so do the show's objects by design.
    (cd build-asan && ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
        ctest -j2 --output-on-failure)
}

fuzz_build() {
    CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSKORVANE_FUZZ=ON \
        -DSKORVANE_TESTS=OFF -DSKORVANE_TOOLS=OFF -DSKORVANE_BENCH=OFF &&
        cmake --build build-fuzz -j2 --target ConfigFuzz ObjFuzz
}

# An input that crashes is kept as build-fuzz/<target>-crash-...: add it to the corpus once fixed.
fuzz() {
    local target=$1 corpus=$2
    cp -r "tests/fuzz/corpus/$corpus" "$work/$corpus" &&
        "build-fuzz/bin/$target" -max_total_time=30 -max_len=4096 -timeout=10 -print_final_stats=1 \
            -artifact_prefix="$root/build-fuzz/$target-" "$work/$corpus" &&
        echo "corpus: $(ls "$work/$corpus" | wc -l) inputs"
}

# The real assets with a short generated track, whose end ends the show. Memory errors fail the
# run; leaks are not checked, since the show keeps its objects until exit by design.
valgrind_show() {
    local show="$work/show"
    tests/support/show-dir.sh "$show" 10 || return 1
    (cd "$show" && LIBGL_ALWAYS_SOFTWARE=1 LP_NUM_THREADS=0 timeout 600 valgrind --error-exitcode=3 \
        --leak-check=no --keep-debuginfo=yes --num-callers=40 \
        --suppressions="$root/tests/sanitizers/valgrind.supp" "$root/build/bin/skorvane")
}

check asan-suite asan_suite
check fuzz-build fuzz_build
if [[ ! " ${failed[*]} " =~ " fuzz-build " ]]; then
    check fuzz-config fuzz ConfigFuzz config
    check fuzz-obj fuzz ObjFuzz obj
fi
check valgrind valgrind_show

if [ ${#failed[@]} -eq 0 ]; then
    echo "Skorvane hardening: all checks passed in $SECONDS s."
else
    echo "Skorvane hardening: FAILED ${failed[*]} (after $SECONDS s)."
    exit 1
fi
