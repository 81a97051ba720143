#!/usr/bin/env bash
# make-deb.sh [ARCH]: builds PLIM's Debian package, dist/plim_VERSION_ARCH.deb.
#
# Prints the package's path, alone, on standard output; what it does goes to
# standard error.
#
# ARCH is empty for this machine, or arm64 or armhf: cross-built with
# Debian's cross compilers against a Debian 12 root for ARCH (cmake/toolchains,
# scripts/sysroot.sh, scripts/install-deps.sh port), the icons drawn under
# qemu.
# The build goes to build-deb (build-deb-ARCH): Release, with Debian's build
# flags (dpkg-buildflags: hardening, and the build's own path kept out of the
# programs), installed under /usr into a staging folder.  The package holds
# the three programs, the desktop entry, the icons, the AppStream file, the
# manual pages, and in usr/share/doc/plim README.md, CHANGELOG.md, a
# changelog in Debian's format made from CHANGELOG.md, and the copyright
# file.  Its architecture is the one the build's compiler builds for; its
# dependencies are what dpkg-shlibdeps finds the programs need.
#
# The same source gives the same bytes: every file has the source's time
# (source_date in common.sh), fixed permissions and root as owner, gzip and xz
# run without names, times or threads of their own, and the build's path is
# mapped away.  Needs dpkg-dev (scripts/install-deps.sh deb).
set -euo pipefail
cd "$(dirname "$0")/.." || exit 1
source scripts/common.sh
export LC_ALL=C

# Who answers for the package.  The project has no address of its own yet
# (README, "Packaging notes").
MAINTAINER="PLIM maintainers <plim@example.org>"

requested=${1:-$(dpkg --print-architecture)}
options=(-DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr -DPLIM_TOOLS=ON -DPLIM_TESTS=OFF
    -DPLIM_BENCH=OFF -DPLIM_FUZZ=OFF -DPLIM_SANITIZE= -DPLIM_HANDHELD=OFF)
dir=build-deb
sysroot=
if [[ $requested != "$(dpkg --print-architecture)" ]]; then
    dir=build-deb-$requested
    cross_options "$requested" "$dir" || exit $?
    options+=("${CROSS_OPTIONS[@]}")
    sysroot=$CROSS_SYSROOT
fi

SOURCE_DATE_EPOCH=$(source_date)
export SOURCE_DATE_EPOCH

# Debian's flags for the architecture, all hardening on.
flags() {
    DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-architecture -a "$requested" -c \
        dpkg-buildflags --get "$1" 2>/dev/null
}
cppflags=$(flags CPPFLAGS)
options+=("-DCMAKE_C_FLAGS=$(flags CFLAGS) $cppflags" "-DCMAKE_CXX_FLAGS=$(flags CXXFLAGS) $cppflags"
    "-DCMAKE_EXE_LINKER_FLAGS=$(flags LDFLAGS)")

echo "building PLIM for $requested in $dir/ (log: $dir.build.log)" >&2
cmake_build "$dir" "plim plim-render plim-shot plim_icons" "${options[@]}" || exit 1

version=$(plim_version)
# The architecture the build's compiler builds for.
triplet=$("$(cmake_cache_value "$dir" PLIM_CXX_COMPILER)" -dumpmachine)
arch=$(dpkg-architecture -t "$triplet" -qDEB_HOST_ARCH 2>/dev/null)
if [[ $arch != "$requested" ]]; then
    echo "make-deb.sh: the build's compiler builds for $triplet ($arch), not $requested" >&2
    exit 1
fi

stage=dist/deb-$arch
package=dist/plim_${version}_$arch.deb
rm -rf "$stage" "$package"
mkdir -p "$stage/DEBIAN"
DESTDIR=$stage cmake --install "$dir" --prefix /usr >"$dir.install.log"

# The programs without the compiler's notes (install stripped the rest).
"$(cmake_cache_value "$dir" CMAKE_STRIP)" --remove-section=.comment --remove-section=.note "$stage"/usr/bin/*

# Manual pages compressed, as Debian wants them.
find "$stage/usr/share/man" -type f -exec gzip -9 -n {} +

doc=$stage/usr/share/doc/plim
mkdir -p "$doc"
gzip -9 -n -c README.md >"$doc/README.md.gz"
gzip -9 -n -c CHANGELOG.md >"$doc/CHANGELOG.md.gz"

# Debian's changelog: one entry for each "## VERSION — DATE" release of
# CHANGELOG.md, with the paragraph under the heading.
debian_changelog() {
    awk -v maintainer="$MAINTAINER" '
        # The text as one "  * " item, wrapped at 78 columns.
        function item(text,    n, words, i, line) {
            gsub(/`/, "", text)
            n = split(text, words, " ")
            line = "  *"
            for (i = 1; i <= n; i++) {
                if (line != "  *" && length(line) + 1 + length(words[i]) > 78) {
                    print line
                    line = "   "
                }
                line = line " " words[i]
            }
            print line
        }
        function finish(    when, command) {
            if (version == "") return
            command = "date -u -R -d " date
            command | getline when
            close(command)
            printf "%splim (%s) unstable; urgency=medium\n\n", entries++ ? "\n" : "", version
            item(text)
            printf "\n -- %s  %s\n", maintainer, when
            version = ""
        }
        /^## [0-9][0-9.]* — [0-9-]+$/ { finish(); version = $2; date = $4; text = ""; next }
        version == "" { next }
        /^$/ && text == "" { next }
        /^$/ || /^#/ { finish(); next }
        { text = text == "" ? $0 : text " " $0 }
        END { finish() }
    ' CHANGELOG.md
}
debian_changelog | gzip -9 -n >"$doc/changelog.gz"

# From the year of the first release in CHANGELOG.md to the source's.
first_year=$(sed -n 's/^## [0-9][0-9.]* — \([0-9]\{4\}\)-.*/\1/p' CHANGELOG.md | tail -n 1)
year=$(date -u -d "@$SOURCE_DATE_EPOCH" +%Y)
[[ ${first_year:-$year} == "$year" ]] || year=$first_year-$year
cat >"$doc/copyright" <<EOF
PLIM, a step sequencer and synthesizer played with a game pad.

Copyright $year the PLIM developers

Licence: none chosen yet.  The project has not chosen the licence under which
PLIM is distributed; this file will name it once it has.
EOF

# The dependencies, from the libraries the programs link and the versions of
# their symbols the programs use; a cross build's libraries, and their
# packages' symbols files, are in its root.
shlibs=$(mktemp -d)
trap 'rm -rf "$shlibs"' EXIT
mkdir "$shlibs/debian"
printf 'Source: plim\n\nPackage: plim\nArchitecture: any\n' >"$shlibs/debian/control"
programs=("$PWD/$stage/usr/bin/plim" "$PWD/$stage/usr/bin/plim-render" "$PWD/$stage/usr/bin/plim-shot")
depends=$(cd "$shlibs" && dpkg-architecture -a "$arch" -c dpkg-shlibdeps ${sysroot:+"-S$sysroot"} -O "${programs[@]}" 2>/dev/null |
    sed -n 's/^shlibs:Depends=//p')
[[ -n $depends ]] || { echo "make-deb.sh: dpkg-shlibdeps found no dependencies" >&2; exit 1; }

# Fixed permissions and times.
find "$stage" -type d -exec chmod 0755 {} +
find "$stage" -type f -exec chmod 0644 {} +
chmod 0755 "$stage"/usr/bin/*

(cd "$stage" && find usr -type f | sort | xargs md5sum) >"$stage/DEBIAN/md5sums"
installed_size=$(find "$stage/usr" -type f -printf '%s\n' | awk '{ kb += int(($1 + 1023) / 1024) } END { print kb }')
cat >"$stage/DEBIAN/control" <<EOF
Package: plim
Version: $version
Architecture: $arch
Maintainer: $MAINTAINER
Installed-Size: $installed_size
Depends: $depends
Section: sound
Priority: optional
Description: step sequencer and synthesizer played with a game pad
 PLIM is a full-screen step sequencer and synthesizer. Light cells on a grid
 of 16 steps by 8 rows with the pad; a playhead sweeps the grid in a loop and
 every lit cell under it sounds a note of a C-major pentatonic scale.
 .
 Three sound banks hold three instruments each; an echo that follows the
 tempo, a space effect, a limiter and a wobble that loosens timing and
 accents shape the sound. The song is saved as it is played.
 .
 The grid is played with a game pad; the keyboard chooses the sound bank and
 quits. The package also holds plim-render, which writes what a song plays as
 a WAV file, and plim-shot, which draws the program's three screens as PNG
 pictures.
EOF
chmod 0644 "$stage/DEBIAN/control" "$stage/DEBIAN/md5sums"
find "$stage" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +

dpkg-deb --root-owner-group -Zxz --threads-max=1 --build "$stage" "$package" >/dev/null
echo "wrote $package ($(stat -c %s "$package") bytes, sha256 $(sha256sum "$package" | cut -c1-16)...)" >&2
echo "  Depends: $depends" >&2
echo "$package"
