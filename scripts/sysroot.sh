#!/usr/bin/env bash
# sysroot.sh ARCH: the root of a Debian 12 system for ARCH (arm64 or armhf),
# holding what PLIM's cross builds take from their target, made once and
# kept; prints its folder.
#
# The root holds SDL2 and libpng for building (libsdl2-dev, libpng-dev, and
# all they depend on, the C library's development files among them) and the
# C++ run-time library (libstdc++6) that plim-render and plim-shot link.
# The cross compilers build against it (--sysroot, cmake/toolchains) and
# qemu runs what they build with it (qemu-ARCH-static -L ROOT).  The packages
# come from Debian 12's main archive on the mirror debian_mirror (common.sh)
# names, fetched by apt-get with a private source list, private package
# lists and an empty package database for the one architecture: the
# machine's own apt set-up and dpkg architectures are left as they were, and
# the package lists of other suites and architectures never matter.  Each
# package is unpacked with dpkg-deb into the root, laid out with merged /usr
# as Debian 12 is (/lib, /bin and /sbin lead to /usr), and every symbolic
# link to an absolute path is made relative, so that it leads into the root
# (libm.so -> /lib/... would otherwise name this machine's file).  The
# root's DEBIAN/symbols and DEBIAN/shlibs are its packages' own, together,
# for dpkg-shlibdeps -S ROOT to find the packages a cross-built program
# depends on (scripts/make-deb.sh).
#
# Kept in ${XDG_CACHE_HOME:-~/.cache}/plim/sysroot-bookworm-ARCH with a note of
# what it was made from (the packages asked for and this script); another
# list, or another version of this script, makes it anew.  Fetching is tried
# three times; when the root cannot be made, the script says why and exits
# 1.  Needs apt-get, dpkg-deb and the Debian archive's keyring, which every
# Debian has, and no root.
set -euo pipefail
cd "$(dirname "$0")/.." || exit 1
source scripts/common.sh

arch=${1:-}
[[ $arch == arm64 || $arch == armhf ]] || {
    echo "usage: scripts/sysroot.sh arm64|armhf" >&2
    exit 2
}
suite=bookworm
packages=(libsdl2-dev libpng-dev libstdc++6)
keyring=/usr/share/keyrings/debian-archive-keyring.gpg

say() { echo "sysroot: $*" >&2; }
cannot_make() {
    say "$1"
    say "the $arch root for the cross builds could not be made"
    exit 1
}

cache=$(plim_cache) || cannot_make "no cache folder to keep it in"
root=$cache/sysroot-$suite-$arch
made_from="Debian $suite main $arch: ${packages[*]}; $(sha256sum scripts/sysroot.sh | cut -c1-16)"
if [[ -f $root/.made-from && $(cat "$root/.made-from") == "$made_from" ]]; then
    echo "$root"
    exit 0
fi

mkdir -p "$cache" || cannot_make "cannot make $cache"
# One maker at a time; a second waits, then finds the root made.
exec 9>"$root.lock"
flock -w 900 9 || cannot_make "another sysroot.sh has been making $root for 15 minutes"
if [[ -f $root/.made-from && $(cat "$root/.made-from") == "$made_from" ]]; then
    echo "$root"
    exit 0
fi

for tool in apt-get dpkg-deb tar flock; do
    command -v "$tool" >/dev/null || cannot_make "$tool is missing"
done
[[ -f $keyring ]] || cannot_make "$keyring is missing (apt-get install debian-archive-keyring)"

work=$root.work
rm -rf "$work"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/lists/partial" "$work/archives/partial" "$work/root/DEBIAN"
touch "$work/status"
mirror=$(debian_mirror)
echo "deb [arch=$arch signed-by=$keyring] $mirror $suite main" >"$work/sources.list"
apt=(apt-get -q -o "Dir::Etc::SourceList=$work/sources.list" -o Dir::Etc::SourceParts=/dev/null
    -o Dir::Etc::Preferences=/dev/null -o Dir::Etc::PreferencesParts=/dev/null
    -o "Dir::State::Lists=$work/lists" -o "Dir::State::status=$work/status"
    -o "Dir::Cache=$work" -o "Dir::Cache::archives=$work/archives"
    -o "APT::Architecture=$arch" -o "APT::Architectures=$arch"
    -o APT::Install-Recommends=false -o Acquire::Retries=3)
# apt hands downloads to its own unprivileged user, who cannot write here.
[[ $(id -u) -eq 0 ]] && apt+=(-o APT::Sandbox::User=root)

started=$SECONDS
say "fetching Debian $suite's ${packages[*]} for $arch from $mirror"
if ! update_package_lists "$work/fetch.log" "${apt[@]}" --error-on=any ||
    ! three_tries "$work/fetch.log" "fetching the packages" "${apt[@]}" install -y --download-only "${packages[@]}"; then
    tail -n 20 "$work/fetch.log" >&2
    cannot_make "fetching from $mirror failed 3 times (above, apt's last words)"
fi

say "unpacking $(ls "$work/archives" | grep -c '\.deb$') packages"
mkdir -p "$work/root/usr/bin" "$work/root/usr/lib" "$work/root/usr/sbin"
ln -s usr/bin "$work/root/bin"
ln -s usr/lib "$work/root/lib"
ln -s usr/sbin "$work/root/sbin"
for deb in "$work"/archives/*.deb; do
    # Into the links above rather than over them.
    dpkg-deb --fsys-tarfile "$deb" | tar -x --keep-directory-symlink -C "$work/root" ||
        cannot_make "could not unpack $(basename "$deb")"
    for file in symbols shlibs; do
        dpkg-deb --ctrl-tarfile "$deb" | tar -xO "./$file" >>"$work/root/DEBIAN/$file" 2>/dev/null || true
    done
done
while IFS= read -r link; do
    target=$(readlink "$link")
    ln -sfn "$(realpath -m -s --relative-to="$(dirname "$link")" "$work/root$target")" "$link"
done < <(find "$work/root" -type l -lname '/*')
for file in usr/include/SDL2/SDL.h usr/include/png.h 'lib/ld-linux-*.so.*' 'usr/lib/*/libSDL2.so'; do
    compgen -G "$work/root/$file" >/dev/null || cannot_make "the unpacked root has no $file"
done

echo "$made_from" >"$work/root/.made-from"
rm -rf "$root"
mv "$work/root" "$root"
say "made $root ($(du -sm "$root" | cut -f1) MB) in $((SECONDS - started)) s"
echo "$root"
