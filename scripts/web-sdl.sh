#!/usr/bin/env bash
# scripts/web-sdl.sh: SDL2 for the browser, built once from Debian's own
# source package and kept; prints the folder it is installed in.
#
# The version is the one this machine's SDL2 (libsdl2-2.0-0) has, so the page
# runs the SDL the desktop program runs.  Its source is fetched with apt-get
# through a private source list and private package lists, leaving the
# machine's apt set-up as it was, then built with emscripten (static, no
# threads) with only the parts PLIM uses: video with the software renderer,
# audio, joysticks and game controllers, events and timers.  The result is
# kept in ${XDG_CACHE_HOME:-~/.cache}/plim/sdl2-web-VERSION; a later run with
# the same emscripten finds it there and neither fetches nor builds.  When a
# step fails, its log stays in sdl2-web-VERSION.work beside it.  Needs
# scripts/install-deps.sh web.
set -euo pipefail
cd "$(dirname "$0")/.." || exit 1
source scripts/common.sh

# This machine's own architecture: the ARM ports' SDL2 may be installed too.
version=$(dpkg-query -W -f='${source:Version}' "libsdl2-2.0-0:$(dpkg --print-architecture)" 2>/dev/null) || {
    echo "web-sdl: SDL2 is not installed (scripts/install-deps.sh program)" >&2
    exit 1
}
cache=$(plim_cache) || exit 1
prefix=$cache/sdl2-web-$version
use_emscripten
# What the kept build was made from; another emscripten builds it anew.
# sed, not head: emcc fails when its output is cut short (a broken pipe).
made_from="libsdl2 $version from Debian's source, $(emcc --version | sed -n 1p)"
if [[ -f $prefix/complete && $(cat "$prefix/complete") == "$made_from" ]]; then
    echo "$prefix"
    exit 0
fi

mirror=$(debian_mirror)
work=$cache/sdl2-web-$version.work
rm -rf "$work" "$prefix"
mkdir -p "$work/lists/partial" "$work/apt-cache/archives/partial" "$work/fetched"

started=$SECONDS
echo "web-sdl: fetching Debian's libsdl2 $version source" >&2
{
    echo "deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] $mirror bookworm main"
    echo "deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] $mirror bookworm-updates main"
    echo "deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] ${mirror%/debian}/debian-security bookworm-security main"
} >"$work/sources.list"
apt=(apt-get -q -o "Dir::Etc::SourceList=$work/sources.list" -o Dir::Etc::SourceParts=/dev/null
    -o "Dir::State::Lists=$work/lists" -o "Dir::Cache=$work/apt-cache" -o Acquire::Retries=3)
# apt hands downloads to its own unprivileged user, who cannot write here.
[[ $(id -u) -eq 0 ]] && apt+=(-o APT::Sandbox::User=root)
update_package_lists "$work/update.log" "${apt[@]}" &&
    (cd "$work/fetched" && "${apt[@]}" source --download-only "libsdl2=$version") >"$work/fetch.log" 2>&1 &&
    dpkg-source -x "$work/fetched"/libsdl2_*.dsc "$work/source" >>"$work/fetch.log" 2>&1 || {
    cat "$work/update.log" "$work/fetch.log" >&2 2>/dev/null
    echo "web-sdl: could not fetch the libsdl2 $version source" >&2
    exit 1
}

echo "web-sdl: configuring and building SDL2 for the browser (a few minutes, once)" >&2
# Everything PLIM does not use is left out, which also spares the configure
# step most of its checks.  Without OpenGL ES the software renderer draws the
# canvas, pixel for pixel as plim-shot does.
options=(
    -DCMAKE_BUILD_TYPE=Release -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF
    -DSDL2_DISABLE_SDL2MAIN=ON -DSDL_CCACHE=OFF -DSDL_PTHREADS=OFF
    -DSDL_HAPTIC=OFF -DSDL_HIDAPI=OFF -DSDL_POWER=OFF -DSDL_SENSOR=OFF -DSDL_LOCALE=OFF
    -DSDL_MISC=OFF -DSDL_FILESYSTEM=OFF -DSDL_OPENGL=OFF -DSDL_OPENGLES=OFF
    -DSDL_DUMMYVIDEO=OFF -DSDL_OFFSCREEN=OFF -DSDL_DISKAUDIO=OFF -DSDL_DUMMYAUDIO=OFF
)
CONFIGURE_RUNNER=(emcmake)
if ! BUILD_SOURCE=$work/source cmake_build "$work/build" all "${options[@]}" ||
    ! cmake --install "$work/build" --prefix "$prefix" >"$work/build.install.log" 2>&1; then
    echo "web-sdl: building SDL2 for the browser failed" >&2
    rm -rf "$prefix"
    exit 1
fi
echo "$made_from" >"$prefix/complete"
rm -rf "$work"
echo "web-sdl: SDL2 $version kept in $prefix ($((SECONDS - started)) s)" >&2
echo "$prefix"
