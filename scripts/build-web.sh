#!/usr/bin/env bash
# scripts/build-web.sh: builds PLIM for the browser into build-web with
# Debian's emscripten, offline: the page (copied to dist/web/index.html, one
# self-contained file) and plim-render for Node (build-web/plim-render.js).
# SDL2 for the browser comes from scripts/web-sdl.sh, built on first use.
#
# Beside index.html, what makes the page an app that plays offline: the
# manifest (web/manifest.webmanifest), its icons drawn by this machine's
# plim-icon, and the service worker (web/service_worker.js) with the name of
# this build (a hash of every other file in dist/web) and the list of those
# files written into it.  dist/web holds this build's files and nothing else.
# Needs scripts/install-deps.sh program tools web.
set -euo pipefail
cd "$(dirname "$0")/.." || exit 1
source scripts/common.sh

use_emscripten
sdl=$(scripts/web-sdl.sh)
CONFIGURE_RUNNER=(emcmake)
cmake_build build-web "plim-page plim-render" -DCMAKE_BUILD_TYPE=Release -DSDL2_DIR="$sdl/lib/cmake/SDL2" || exit 1
native=$(scripts/cross-build.sh native plim-icon) || exit 1

out=dist/web
rm -rf "$out"
mkdir -p "$out"
cp build-web/index.html web/manifest.webmanifest "$out"/
for size in 192 512; do
    "$native/plim-icon" "$size" "$out/icon-$size.png" &&
        "$native/plim-icon" "$size" "$out/icon-maskable-$size.png" maskable || exit 1
done
mapfile -t files < <(cd "$out" && ls)
build=$(cd "$out" && sha256sum "${files[@]}" | sha256sum | cut -c 1-16)
sed -e "s/@BUILD@/$build/" -e "s/@FILES@/${files[*]}/" web/service_worker.js >"$out/service_worker.js"
echo "build-web: $out: index.html ($(stat -c %s "$out/index.html") bytes), its manifest, icons and service worker (build $build); build-web/plim-render.js" >&2
