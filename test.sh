#!/usr/bin/env bash
# Sets up, builds and runs every test under a private Xvfb display.
set -euo pipefail
cd "$(dirname "$0")"
source tools/setup.sh
ensure_packages "${BUILD_PACKAGES[@]}" libgtest-dev libgmock-dev libbenchmark-dev xvfb xdotool \
    glslang-tools lame sox ffmpeg fonts-dejavu-core clang libclang-rt-14-dev valgrind \
    weston x11-utils dpkg-dev file desktop-file-utils lintian mesa-vulkan-drivers emscripten chromium nodejs
build_project -DSKORVANE_TESTS=ON -DSKORVANE_TOOLS=ON -DSKORVANE_SLOW_TESTS=ON

display=90
while [ -e "/tmp/.X${display}-lock" ] || [ -e "/tmp/.X11-unix/X${display}" ]; do display=$((display + 1)); done
# -noreset: by default Xvfb resets when its last client disconnects, and a test process that
# connects during the reset finds no X server; SDL then falls back to its offscreen driver,
# whose context GLEW cannot initialise ("glewInit failed: Unknown error").
Xvfb ":${display}" -screen 0 1280x720x24 -nolisten tcp -noreset >/dev/null 2>&1 &
xvfb_pid=$!
trap 'kill "$xvfb_pid" 2>/dev/null || true' EXIT
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X${display}" ] && break; sleep 0.1; done
# SKORVANE_NO_MESSAGE_BOX: a failing start-up of skorvane prints its line without waiting in a box.
export DISPLAY=":${display}" SDL_AUDIODRIVER=dummy SKORVANE_NO_MESSAGE_BOX=1

# Every test, the slow ones included: the real binary, the tools, the whole show.
status=0
(cd build && ctest --output-on-failure -j2) | tee build/ctest.log || status=1

# Sanitizer build of the suite, fuzzing of the readers, and a valgrind run of the program.
hardening="passed"
tests/hardening.sh | tee build/hardening.log || { hardening="FAILED"; status=1; }

summary=$(grep -E "tests passed, [0-9]+ tests failed out of" build/ctest.log | tail -1 || true)
passed=$(sed -nE 's/.*tests passed, ([0-9]+) tests failed out of ([0-9]+).*/\2 \1/p' <<<"$summary")
if [ -n "$passed" ]; then
    read -r total failed <<<"$passed"
    echo "Skorvane tests: $((total - failed)) passed, ${failed} failed, ${total} in all; hardening ${hardening}."
else
    echo "Skorvane tests: ctest did not run to the end; hardening ${hardening}."
    status=1
fi
exit $status
