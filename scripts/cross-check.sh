#!/usr/bin/env bash
# cross-check.sh [PART...]: PLIM on ARM does exactly what it does on this machine.
#
# Builds PLIM in Release for this machine and, with the handheld port's
# settings, for aarch64 and armhf (scripts/cross-build.sh), runs the ARM builds
# under Debian's qemu-user-static with the libraries of the Debian 12 root
# each was built against (scripts/sysroot.sh), and checks the PARTs (all when none is named):
#   sound     plim-render's WAV of the demo song and of the nine busy songs
#             (make_busy_songs in common.sh: every cell lit, one for each
#             instrument) is byte-identical from all three builds: the sound
#             engine is built so that no processor or compiler choice
#             (contracted multiply-adds and the like) can change a sample
#   pictures  plim-shot draws byte-identical pictures of the demo song and of
#             a full grid on all three
#   program   each ARM plim starts with SDL's dummy video and disk audio
#             drivers, plays (the audio it writes is not silent), and on
#             SIGTERM exits 0 leaving the same 152-byte song as this
#             machine's plim; each links only SDL2, libm and libc, and needs
#             no newer C library than the port promises
#   port      make-port.sh writes the same archive twice, with every entry
#             in place, under the name port.json gives it; unpacked over an
#             installed port, it keeps the song in plim/conf
# Exits 0 when every check passes.  Needs scripts/install-deps.sh program
# tools port.
set -uo pipefail
cd "$(dirname "$0")/.." || exit 1
source scripts/common.sh
choose_parts "sound pictures program port" "$@" || exit 2

# The newest C library version each port program may need: the first release
# for the processor.  Anything newer shuts out older firmwares.
declare -A glibc_promise=([aarch64]=2.17 [armhf]=2.4)
declare -A qemu=([aarch64]=qemu-aarch64-static [armhf]=qemu-arm-static)
arches=(native aarch64 armhf)
export SDL_VIDEODRIVER=dummy
tally_start

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

echo "=== building (native, aarch64, armhf) ==="
declare -A dir sysroot
for arch in "${arches[@]}"; do
    extra=()
    [[ $arch == native ]] && extra=(plim-song)  # writes the songs below
    dir[$arch]=$(scripts/cross-build.sh "$arch" plim plim-render plim-shot "${extra[@]}") || exit 1
    # The root the build was made against, whose libraries it runs with.
    [[ $arch == native ]] || sysroot[$arch]=$(cmake_cache_value "${dir[$arch]}" PLIM_SYSROOT)
done
elapsed build

# run ARCH PROGRAM ARGS...: a program of ARCH's build, under qemu for ARM
# (the program itself, or qemu running it, takes the place of the shell).
run() {
    local arch=$1 program=$2
    shift 2
    [[ $arch == native ]] && exec "${dir[$arch]}/$program" "$@"
    exec "${qemu[$arch]}" -L "${sysroot[$arch]}" "${dir[$arch]}/$program" "$@"
}

make_busy_songs "${dir[native]}/plim-song" "$work/songs" || exit 1
songs=("$PWD/examples/demo" "$work"/songs/busy-*)

if wants sound; then
    echo "=== sound: plim-render on native, aarch64, armhf ==="
    for arch in "${arches[@]}"; do
        (
            mkdir -p "$work/wav-$arch"
            for song_dir in "${songs[@]}"; do
                name=$(basename "$song_dir")
                (run "$arch" plim-render "$song_dir" "$work/wav-$arch/$name.wav" "$(song_passes "$name")" >/dev/null 2>&1) ||
                    echo "FAILED: $arch plim-render $name"
            done
        ) &
    done
    wait
    for song_dir in "${songs[@]}"; do
        name=$(basename "$song_dir")
        reference=$work/wav-native/$name.wav
        for arch in aarch64 armhf; do
            wav=$work/wav-$arch/$name.wav
            if [[ ! -s $reference || ! -s $wav ]]; then
                fail "$arch: no render of $name"
            elif cmp -s "$reference" "$wav"; then
                pass "$arch renders $name exactly as native ($(stat -c %s "$wav") bytes)"
            else
                fail "$arch renders $name differently: $(cmp -l "$reference" "$wav" | wc -l) of $(stat -c %s "$reference") bytes differ, first at byte $(cmp "$reference" "$wav" | awk '{ print $5 }' | tr -d ,)"
            fi
        done
    done
    elapsed sound
fi

if wants pictures; then
    echo "=== pictures: plim-shot on native, aarch64, armhf ==="
    for song_dir in "$PWD/examples/demo" "$work/songs/busy-00"; do
        name=$(basename "$song_dir")
        for arch in "${arches[@]}"; do
            (run "$arch" plim-shot "$song_dir" "$work/shots-$arch-$name" >/dev/null 2>&1) || fail "$arch plim-shot $name"
        done
        for picture in picker guide grid; do
            for arch in aarch64 armhf; do
                if cmp -s "$work/shots-native-$name/$picture.png" "$work/shots-$arch-$name/$picture.png"; then
                    pass "$arch draws the $picture of $name exactly as native"
                else
                    fail "$arch draws the $picture of $name differently"
                fi
            done
        done
    done
    elapsed pictures
fi

if wants program; then
    echo "=== program: plim on aarch64 and armhf, and what it needs ==="
    # play ARCH: starts plim on a copy of the demo song, lets it play until it
    # has written a second of sound (at most 60 s), sends SIGTERM; prints the
    # exit status.
    play() {
        local arch=$1 song=$work/play-$1 audio=$work/play-$1.raw pid
        mkdir -p "$song"
        cp examples/demo/plim.state "$song/"
        (SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=$audio run "$arch" plim "$song" >/dev/null 2>&1) &
        pid=$!
        for ((tick = 0; tick < 600; tick++)); do
            [[ $(stat -c %s "$audio" 2>/dev/null || echo 0) -ge 192000 ]] && break
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.1
        done
        kill -TERM "$pid" 2>/dev/null
        for ((tick = 0; tick < 300; tick++)); do
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.1
        done
        kill -KILL "$pid" 2>/dev/null
        wait "$pid"
        echo $?
    }
    native_status=$(play native)
    [[ $native_status == 0 ]] || fail "native plim exited $native_status"
    for arch in aarch64 armhf; do
        status=$(play "$arch")
        audio=$work/play-$arch.raw
        saved=$work/play-$arch/plim.state
        if [[ $status == 0 ]]; then
            pass "$arch plim quit on SIGTERM with status 0"
        else
            fail "$arch plim exited with status $status on SIGTERM"
        fi
        if [[ $(tr -d '\0' <"$audio" 2>/dev/null | head -c 1 | wc -c) -eq 1 ]]; then
            pass "$arch plim played ($(stat -c %s "$audio") bytes of sound)"
        else
            fail "$arch plim wrote no sound"
        fi
        if [[ $(stat -c %s "$saved" 2>/dev/null) == 152 ]] && cmp -s "$saved" "$work/play-native/plim.state"; then
            pass "$arch plim left the same 152-byte song as native"
        else
            fail "$arch plim did not leave the native plim's 152-byte song"
        fi

        if needs=$(scripts/binary-needs.sh "${dir[$arch]}/plim"); then
            pass "$arch plim links only SDL2, libm and libc"
        else
            fail "$arch plim links more than SDL2, libm and libc"
        fi
        glibc=$(awk '$2 == "glibc" { print $3 }' <<<"$needs")
        if [[ $(printf '%s\n' "$glibc" "${glibc_promise[$arch]}" | sort -V | tail -n 1) == "${glibc_promise[$arch]}" ]]; then
            pass "$arch plim needs C library GLIBC_$glibc (at most GLIBC_${glibc_promise[$arch]})"
        else
            fail "$arch plim needs C library GLIBC_$glibc, newer than GLIBC_${glibc_promise[$arch]}: $(grep ' glibc ' <<<"$needs")"
        fi
    done
    elapsed program
fi

if wants port; then
    echo "=== port: dist/plim.zip ==="
    archive=dist/plim.zip
    if scripts/make-port.sh >"$work/port.log" 2>&1 && cp "$archive" "$work/first.zip" &&
        scripts/make-port.sh >>"$work/port.log" 2>&1; then
        if cmp -s "$archive" "$work/first.zip"; then
            pass "the port archive is the same when made again"
        else
            fail "the port archive differs when made again"
        fi
        listing=$(zip -sf "$archive" | sed -n 's/^  //p' | tr '\n' ' ')
        expected="PLIM.sh plim/ plim/README.md plim/plim.aarch64 plim/plim.armhf plim/port.json plim/screenshot.png "
        if [[ $listing == "$expected" ]]; then
            pass "the port archive holds $listing"
        else
            fail "the port archive holds $listing, not $expected"
        fi
        # Port managers install the archive by the name port.json gives it.
        if [[ $(unzip -p "$archive" plim/port.json | jq -r .name) == "$(basename "$archive")" ]]; then
            pass "port.json names the archive $(basename "$archive")"
        else
            fail "port.json does not name the archive $(basename "$archive")"
        fi
        # Installing again over an installed port keeps its song.
        mkdir -p "$work/ports/plim/conf"
        printf 'song' >"$work/ports/plim/conf/plim.state"
        if unzip -o -q "$archive" -d "$work/ports" && [[ $(cat "$work/ports/plim/conf/plim.state") == song ]]; then
            pass "unpacking the archive over an installed port keeps plim/conf/plim.state"
        else
            fail "unpacking the archive over an installed port loses plim/conf/plim.state"
        fi
    else
        cat "$work/port.log"
        fail "make-port.sh failed"
    fi
    elapsed port
fi

tally_end "cross check"
