#!/usr/bin/env bash
# tools/build-web.sh: builds PLIM for the browser into build-web with
# Debian's emscripten, offline: the page (copied to dist/web/index.html, one
# self-contained file) and plim-render for Node (build-web/plim-render.js).
# SDL2 for the browser comes from tools/web-sdl.sh, built on first use.
# Needs tools/install-deps.sh program web.
set -euo pipefail
cd "$(dirname "$0")/.." || exit 1
source tools/build-steps.sh

export NODE_PATH=/usr/share/nodejs  # emcc's own modules, whichever node is first on PATH
sdl=$(tools/web-sdl.sh)
log=build-web.build.log
forget_moved_build build-web
if ! {
    emcmake cmake -S . -B build-web -DCMAKE_BUILD_TYPE=Release -DSDL2_DIR="$sdl/lib/cmake/SDL2" &&
        cmake --build build-web -j"${JOBS:-2}" --target plim-page plim-render
} >"$log" 2>&1; then
    tail -n 40 "$log" >&2
    echo "build-web: building the page failed (whole log: $log)" >&2
    exit 1
fi
mkdir -p dist/web
cp build-web/index.html dist/web/index.html
echo "build-web: dist/web/index.html ($(stat -c %s dist/web/index.html) bytes) and build-web/plim-render.js" >&2
