#!/usr/bin/env bash
# Rebuilds the asset generators and writes their output over data/.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DSKORVANE_TOOLS=ON >/dev/null
cmake --build build -j"$(nproc)" --target gen-models gen-images gen-music
build/bin/gen-models data/models
build/bin/gen-images data/images
build/bin/gen-images --icons tools/package/icons
build/bin/gen-music data/velmora.mp3
