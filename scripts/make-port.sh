#!/usr/bin/env bash
# make-port.sh: builds the handheld port and writes dist/plim.zip.
#
# The archive is named as port.json names it (port managers install it by that
# name) and holds, in the layout the handheld port manager installs from:
#   PLIM.sh                 the launcher (packaging/handheld/PLIM.sh)
#   plim/plim.aarch64       plim for 64-bit ARM, Release, stripped
#   plim/plim.armhf         plim for 32-bit ARM with hardware floating point
#   plim/port.json          the manager's description of the port
#   plim/README.md          controls, the song's place, what the programs need
#   plim/screenshot.png     the grid screen (docs/screens/grid.png)
# Prints what each program needs (libraries, newest C library symbol version,
# newest SDL2 function) and writes the same into the README.  The archive is
# reproducible: every entry has the source's time (source_date in
# common.sh), fixed permissions, no owner, in a fixed order, so one commit
# gives the same bytes.  It holds no plim/conf, so unpacking it over an
# installed port keeps the song.  Needs the cross compilers, qemu, zip and jq
# (scripts/install-deps.sh port); the ARM SDL2 comes from the roots
# scripts/sysroot.sh makes.
set -euo pipefail
cd "$(dirname "$0")/.." || exit 1
source scripts/common.sh

for tool in zip jq; do
    command -v $tool >/dev/null || { echo "make-port.sh: needs $tool (apt-get install $tool)" >&2; exit 1; }
done

stage=dist/port
archive=dist/$(jq -r .name packaging/handheld/port.json)
[[ $archive == dist/*.zip ]] || { echo "make-port.sh: port.json names no .zip archive" >&2; exit 1; }
rm -rf "$stage" "$archive"
mkdir -p "$stage/plim"

declare -A processor=([aarch64]="64-bit ARM (aarch64)" [armhf]="32-bit ARM, hard float (armhf)")
for arch in aarch64 armhf; do
    dir=$(scripts/cross-build.sh "$arch" plim)
    "$(cmake_cache_value "$dir" CMAKE_STRIP)" --strip-all -o "$stage/plim/plim.$arch" "$dir/plim"
done
version=$(plim_version)

# What each program needs, for the console and the README.
needs=$(scripts/binary-needs.sh "$stage/plim/plim.aarch64" "$stage/plim/plim.armhf")
field() { awk -v p="$1: $2" 'index($0, p " ") == 1 { print substr($0, length(p) + 2) }' <<<"$needs"; }
# "VERSION N/M NAME..." -> "VERSION (NAME, NAME)" or "VERSION (all M imports)".
newest() {
    local version counts names
    read -r version counts names <<<"$1"
    if [[ ${counts%/*} == "${counts#*/}" && ${counts%/*} -gt 2 ]]; then
        echo "$version (all ${counts#*/} imports)"
    else
        echo "$version (${names// /, })"
    fi
}
table="| Program | Processor | Links | C library | SDL2 |
|---|---|---|---|---|"
echo "PLIM $version handheld port"
for arch in aarch64 armhf; do
    program=plim.$arch
    links=$(field "$program" needs)
    glibc=$(newest "$(field "$program" glibc)")
    sdl=$(newest "$(field "$program" sdl)")
    echo "  $program: links $links"
    echo "  $program: needs C library GLIBC_$glibc"
    echo "  $program: needs SDL $sdl"
    table+="
| \`$program\` | ${processor[$arch]} | ${links// /, } | GLIBC_${glibc%% *} or newer | ${sdl%% *} or newer |"
    notes+="- \`$program\`: newest C library symbol version GLIBC_$glibc; newest SDL2 function from SDL $sdl.
"
done
needs_text="$table

${notes%$'\n'}"

cp packaging/handheld/PLIM.sh "$stage/PLIM.sh"
sed "s/@VERSION@/$version/" packaging/handheld/port.json >"$stage/plim/port.json"
awk -v version="$version" -v needs="$needs_text" '
    { gsub(/@VERSION@/, version) }
    $0 == "@NEEDS@" { print needs; next }
    { print }
' packaging/handheld/README.md >"$stage/plim/README.md"
cp docs/screens/grid.png "$stage/plim/screenshot.png"

# Fixed times (UTC), modes and order; zip -X leaves out owners and extra times.
when=$(source_date)
entries=(PLIM.sh plim/ plim/README.md plim/plim.aarch64 plim/plim.armhf plim/port.json plim/screenshot.png)
(
    cd "$stage"
    chmod 755 PLIM.sh plim plim/plim.aarch64 plim/plim.armhf
    chmod 644 plim/README.md plim/port.json plim/screenshot.png
    touch -h -d "@$when" "${entries[@]}"
    TZ=UTC zip -X -9 -q "../${archive#dist/}" "${entries[@]}"
)
echo "  wrote $archive ($(stat -c %s "$archive") bytes, sha256 $(sha256sum "$archive" | cut -c1-16)...)"
