#!/usr/bin/env bash
# scripts/web-check.sh [PART...]: PLIM in the browser does exactly what it does
# on this machine.
#
# Builds the browser build (scripts/build-web.sh) and this machine's Release
# build (scripts/cross-build.sh native) and checks the PARTs (all when none is
# named):
#   sound  build-web/plim-render.js, run by Node, writes the very same WAV
#          bytes as this machine's plim-render for the demo song (four
#          passes) and the nine busy songs the cross check plays too (every
#          cell lit, one for each instrument; two passes)
#   page   tests/web/page_test.js drives dist/web/index.html in Debian's
#          headless Chromium with a stand-in pad (puppeteer-core from npm, as
#          pinned by tests/web/package-lock.json; no browser is downloaded)
# Exits 0 when every check passes.  Needs scripts/install-deps.sh program
# tools web.
set -uo pipefail
cd "$(dirname "$0")/.." || exit 1
source scripts/common.sh
choose_parts "sound page" "$@" || exit 2
tally_start

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

echo "=== building (browser, native) ==="
scripts/build-web.sh || exit 1
native=$(scripts/cross-build.sh native plim-render plim-shot plim-song) || exit 1
elapsed build

if wants sound; then
    echo "=== sound: plim-render under Node and native ==="
    make_busy_songs "$native/plim-song" "$work/songs" || exit 1
    for song_dir in "$PWD/examples/demo" "$work"/songs/busy-*; do
        name=$(basename "$song_dir")
        passes=$(song_passes "$name")
        "$native/plim-render" "$song_dir" "$work/$name-native.wav" "$passes" >/dev/null 2>&1 ||
            fail "native plim-render $name"
        if ! node build-web/plim-render.js "$song_dir" "$work/$name-node.wav" "$passes" >/dev/null 2>&1; then
            fail "plim-render.js $name"
        elif cmp -s "$work/$name-native.wav" "$work/$name-node.wav"; then
            pass "under Node plim-render writes $name exactly as native ($(stat -c %s "$work/$name-node.wav") bytes)"
        else
            fail "under Node plim-render writes $name differently: $(cmp -l "$work/$name-native.wav" "$work/$name-node.wav" | wc -l) bytes differ"
        fi
    done
    elapsed sound
fi

if wants page; then
    echo "=== page: index.html in headless Chromium ==="
    # The test's own packages, installed again only when the lock file changed.
    if ! cmp -s tests/web/package-lock.json tests/web/node_modules/.plim-installed-lock; then
        (cd tests/web && npm ci --no-audit --no-fund --loglevel=error >/dev/null) || {
            echo "web-check: npm ci in tests/web failed" >&2
            exit 1
        }
        cp tests/web/package-lock.json tests/web/node_modules/.plim-installed-lock
    fi
    if node tests/web/page_test.js dist/web "$native"; then
        pass "the page in headless Chromium"
    else
        fail "the page in headless Chromium"
    fi
    elapsed page
fi

tally_end "web check"
