#!/usr/bin/env bash
# Sets up, builds and plays the demo (Escape ends it).
set -euo pipefail
cd "$(dirname "$0")"
source tools/setup.sh
ensure_packages "${BUILD_PACKAGES[@]}"
build_project -DSKORVANE_TESTS=OFF -DSKORVANE_TOOLS=OFF -DSKORVANE_BENCH=OFF
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "There is no display to show the demo on (DISPLAY is not set)."
    exit 1
fi
exec build/bin/skorvane
