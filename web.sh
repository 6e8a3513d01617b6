#!/usr/bin/env bash
# Builds the show for a browser (WebAssembly and WebGL 2) into build-web/, a folder any static web
# host can serve as it is, then serves it at http://127.0.0.1:8000/ until Ctrl-C.
# Usage: ./web.sh [--build]   (--build only builds)
set -euo pipefail
cd "$(dirname "$0")"
source tools/setup.sh
ensure_packages emscripten libstb-dev python3

# Debian's emcc runs its JavaScript helpers with node's own module search, which another node
# than Debian's lacks.
export NODE_PATH=/usr/share/nodejs
out=build-web
mkdir -p "$out"
# The engine and the demo; web/main.cpp stands in for the desktop's window, sound device and entry point,
# and reads the link's values as the capture tool reads its options.
sources=(web/main.cpp tools/session/Arguments.cpp $(ls src/*.cpp | grep -vE '^src/(main|GLWindow|AudioDevice)\.cpp$'))
# The music plays from its own file through the page's <audio>; the geometry stages have no use
# in WebGL 2 (see GLDialect).
em++ -std=c++17 -O2 -Wall -Isrc -Itools/session -I/usr/include/stb "${sources[@]}" -o "$out/skorvane.js" \
    -sMIN_WEBGL_VERSION=2 -sMAX_WEBGL_VERSION=2 -sALLOW_MEMORY_GROWTH=1 -sENVIRONMENT=web \
    --preload-file config.txt --preload-file data --exclude-file '*.mp3' --exclude-file '*.geom'
cp web/index.html data/velmora.mp3 tools/package/icons/skorvane-32.png tools/package/icons/skorvane-256.png "$out/"
echo "Built $out/"

[ "${1:-}" = "--build" ] && exit 0
echo "Serving Skorvane at http://127.0.0.1:8000/ (Ctrl-C stops)"
exec python3 -m http.server 8000 --bind 127.0.0.1 --directory "$out"
