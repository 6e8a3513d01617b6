#!/usr/bin/env bash
# Makes the reference frames of tests/velmora/ScenesTest again with skorvane-capture, after a
# deliberate change of the picture. Look at every changed frame before committing it.
# Usage: tools/approve-references.sh [build folder, default build]
# 18.01 s: the planet's cube cameras stand where a terrain triangle crosses their near plane (the
# page's wireframe.web.vert clips it). 82 and 94 s: late in the star stream, where its stars'
# brightness and overlaps are the first to drift between drivers.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
times=(2.999 3.0 9.0 15.0 18.01 19.6 26.0 32.0 39.0 44.0 49.9 53.0 58.0 64.5 72.0 82.0 94.0)
args=()
for t in "${times[@]}"; do args+=(--time "$t"); done
rm -f tests/velmora/reference/frame-*.png
mkdir -p tests/velmora/reference
"$build/bin/skorvane-capture" --size 320x180 "${args[@]}" --out tests/velmora/reference/frame.png
git status --short tests/velmora/reference
