#!/usr/bin/env bash
# deb-check.sh: PLIM's Debian package is sound, installs on a fresh Debian 12
# and leaves nothing behind.  CI runs it (`make deb-check`).
#
#   build     make-deb.sh writes dist/plim_VERSION_ARCH.deb; make-dist.sh
#             writes the same source archive twice, and the package built
#             again from that archive, unpacked elsewhere, has the same bytes
#             (skipped when the checkout has changes not committed)
#   lint      lintian finds no error and no warning
#   metadata  appstreamcli validates the AppStream file (also with
#             screenshots listed) and the installed tree, and
#             desktop-file-validate the desktop entry, without a complaint
#   install   in a fresh Debian 12 made by debootstrap (minbase), apt-get
#             installs the package with its dependencies; the installed
#             plim --version answers; plim-render writes for the demo song
#             the very WAV the build machine writes, and plim-shot the
#             pictures in docs/screens; apt-get remove takes away every
#             file and folder the package brought
# Exits 0 when every check passes.  Needs root (debootstrap, chroot), the
# Debian mirror, and scripts/install-deps.sh deb-check.
set -uo pipefail
cd "$(dirname "$0")/.." || exit 1
export LC_ALL=C
source scripts/common.sh
tally_start

work=$(mktemp -d)
root=$work/root
# Nothing may stay mounted in the throw-away root when it is removed.
cleanup() {
    if [[ -d $root ]]; then
        findmnt -rn -o TARGET | grep "^$root/" | sort -r | xargs -r umount -l 2>/dev/null
        rm -rf --one-file-system "$root"
    fi
    rm -rf "$work"
}
trap cleanup EXIT

echo "=== build: the package, the source archive, the package again from it ==="
if ! package=$(scripts/make-deb.sh); then
    fail "make-deb.sh"
    tally_end "deb check"
    exit 1
fi
arch=$(dpkg-deb -f "$package" Architecture)
version=$(plim_version)
stage=dist/deb-$arch

if ! in_checkout; then
    echo "skipped: the source archive (this is not a git checkout)"
elif [[ -n $(git status --porcelain --untracked-files=no) ]]; then
    echo "skipped: the package from the source archive (the checkout has changes not committed)"
else
    scripts/make-dist.sh >/dev/null && cp "dist/plim-$version.tar.gz" "$work/first.tar.gz" &&
        scripts/make-dist.sh >/dev/null
    if cmp -s "dist/plim-$version.tar.gz" "$work/first.tar.gz"; then
        pass "the source archive is the same when made again"
    else
        fail "the source archive differs when made again"
    fi
    mkdir "$work/source"
    tar -xzf "dist/plim-$version.tar.gz" -C "$work/source"
    if again=$("$work/source/plim-$version/scripts/make-deb.sh" 2>&1 >"$work/again"); then
        if cmp -s "$package" "$work/source/plim-$version/$(cat "$work/again")"; then
            pass "the package built from the source archive, elsewhere, has the same bytes"
        else
            fail "the package built from the source archive differs from $package"
        fi
    else
        echo "$again"
        fail "make-deb.sh in the unpacked source archive"
    fi
fi
elapsed build

echo "=== lint: lintian ==="
lintian --fail-on error,warning --display-info "$package" >"$work/lintian.log" 2>&1
code=$?
grep -v 'running with root privileges' "$work/lintian.log"
if [[ $code == 0 ]]; then
    pass "lintian: no error, no warning"
else
    fail "lintian reports errors or warnings (above)"
fi
elapsed lint

echo "=== metadata: AppStream and the desktop entry ==="
metainfo=$(ls "$stage"/usr/share/metainfo/*.metainfo.xml)
entry=$(ls "$stage"/usr/share/applications/*.desktop)
if out=$(appstreamcli validate --no-net --explain "$metainfo" 2>&1); then
    pass "appstreamcli validates $(basename "$metainfo")"
else
    echo "$out"
    fail "appstreamcli finds fault with $(basename "$metainfo")"
fi
# The same file as it is written once the pictures have a web address.
if cmake_configure "$work/shots" -DPLIM_TOOLS=OFF -DPLIM_TESTS=OFF -DPLIM_BENCH=OFF \
    -DPLIM_SCREENSHOTS_URL=https://example.org/plim/screens 2>/dev/null &&
    grep -q '<screenshot type="default">' "$work/shots/metainfo/$(basename "$metainfo")" &&
    out=$(appstreamcli validate --no-net --explain "$work/shots/metainfo/$(basename "$metainfo")" 2>&1); then
    pass "appstreamcli validates it with the three screenshots listed"
else
    echo "${out:-$(cat "$work/shots.configure.log")}"
    fail "the AppStream file with screenshots does not validate"
fi
if out=$(appstreamcli validate-tree --no-net "$stage" 2>&1); then
    pass "appstreamcli validates the installed tree (metadata, desktop entry, icons)"
else
    echo "$out"
    fail "appstreamcli finds fault with the installed tree"
fi
if out=$(desktop-file-validate "$entry" 2>&1) && [[ -z $out ]]; then
    pass "desktop-file-validate passes $(basename "$entry")"
else
    echo "$out"
    fail "desktop-file-validate finds fault with $(basename "$entry")"
fi
elapsed metadata

echo "=== install: a fresh Debian 12, apt-get install, run, apt-get remove ==="
# The mirror this machine's apt uses.
mirror=$(debian_mirror)

in_root() { chroot "$root" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin DEBIAN_FRONTEND=noninteractive "$@"; }

if ! debootstrap --variant=minbase bookworm "$root" "$mirror" >"$work/debootstrap.log" 2>&1; then
    tail -n 20 "$work/debootstrap.log"
    fail "debootstrap could not make a Debian 12 from $mirror"
elif ! { cp /etc/resolv.conf "$root/etc/resolv.conf" && update_package_lists "$work/update.log" in_root apt-get -q; }; then
    cat "$work/update.log"
    fail "apt-get update in the fresh Debian 12"
else
    pass "a fresh Debian 12 (minbase) from $mirror"
    # What of the package's paths the fresh system holds before the install.
    dpkg-deb --fsys-tarfile "$package" | tar -t | sed 's|^\./|/|; s|/$||' | grep -v '^$' |
        sort >"$work/paths"
    while IFS= read -r path; do
        [[ -e $root$path ]] && echo "$path"
    done <"$work/paths" >"$work/before"

    cp "$package" "$root/tmp/"
    if in_root apt-get -q install -y "/tmp/$(basename "$package")" >"$work/install.log" 2>&1; then
        pass "apt-get install ./$(basename "$package") with $(grep -c '^Setting up' "$work/install.log") packages"
    else
        tail -n 30 "$work/install.log"
        fail "apt-get install ./$(basename "$package")"
    fi

    answer=$(in_root plim --version 2>&1)
    if [[ $answer == "plim $version" ]]; then
        pass "the installed plim --version says \"$answer\""
    else
        fail "the installed plim --version says \"$answer\", not \"plim $version\""
    fi

    mkdir -p "$root/tmp/demo" "$work/demo"
    cp examples/demo/plim.state "$root/tmp/demo/"
    "$stage/usr/bin/plim-render" examples/demo "$work/demo.wav" 1 >/dev/null 2>&1
    if in_root plim-render /tmp/demo /tmp/demo.wav 1 >"$work/render.log" 2>&1 &&
        cmp -s "$root/tmp/demo.wav" "$work/demo.wav"; then
        pass "the installed plim-render plays the demo song as on this machine ($(stat -c %s "$work/demo.wav") bytes)"
    else
        cat "$work/render.log"
        fail "the installed plim-render: no demo WAV, or not this machine's"
    fi
    shots_ok=yes
    in_root plim-shot /tmp/demo /tmp/shots >"$work/shot.log" 2>&1 || shots_ok=no
    for picture in picker guide grid; do
        cmp -s "$root/tmp/shots/$picture.png" "docs/screens/$picture.png" || shots_ok=no
    done
    if [[ $shots_ok == yes ]]; then
        pass "the installed plim-shot draws the demo song's screens as docs/screens shows them"
    else
        cat "$work/shot.log"
        fail "the installed plim-shot does not draw docs/screens' pictures"
    fi

    if in_root apt-get -q remove -y plim >"$work/remove.log" 2>&1; then
        while IFS= read -r path; do
            [[ -e $root$path || -L $root$path ]] && echo "$path"
        done <"$work/paths" >"$work/after"
        if cmp -s "$work/before" "$work/after"; then
            pass "apt-get remove plim took away all $(($(wc -l <"$work/paths") - $(wc -l <"$work/before"))) files and folders it brought"
        else
            fail "apt-get remove plim left behind: $(comm -13 "$work/before" "$work/after" | tr '\n' ' ')"
        fi
    else
        tail -n 20 "$work/remove.log"
        fail "apt-get remove plim"
    fi
fi
elapsed install

tally_end "deb check"
