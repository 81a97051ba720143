#!/usr/bin/env bash
# binary-needs.sh PROGRAM...: what each program needs from the machine it runs on.
#
# For each PROGRAM prints three lines, "NAME: " followed by
#   needs LIB...        the shared libraries it links (ELF NEEDED entries)
#   glibc VERSION N/M SYMBOL...
#                       the newest C library symbol version it imports
#                       (GLIBC_VERSION) and the N of its M C library imports
#                       that carry it
#   sdl VERSION N/M FUNCTION...
#                       the newest SDL2 function it imports, as SDL's headers
#                       date it ("available since SDL x.y.z"; functions
#                       without a note date from 2.0.0), and the N of its M
#                       SDL imports from that version
# Exits 1 if a program links anything but libSDL2-2.0.so.0, libm and libc
# (no C++ runtime, no libgcc_s): the handheld firmwares carry no other.
# Needs readelf (binutils) and SDL2's headers (libsdl2-dev).
set -euo pipefail
export LC_ALL=C

sdl_headers=${SDL_HEADERS:-/usr/include/SDL2}
allowed="libSDL2-2.0.so.0 libm.so.6 libc.so.6"

# "FUNCTION VERSION" for every function SDL's headers declare: the version in
# the note of the comment just before the declaration, 2.0.0 without one.  Of
# a function declared more than once (per-platform variants), the oldest
# dated declaration counts.
sdl_dates() {
    awk '
        /^[ \t]*(\/\*\*|#)/ { since = "" }
        /since SDL [0-9]+\.[0-9]+\.[0-9]+/ {
            match($0, /since SDL [0-9]+\.[0-9]+\.[0-9]+/)
            since = substr($0, RSTART + 10, RLENGTH - 10)
        }
        /extern DECLSPEC/ { declaring = 1; text = "" }
        declaring {
            text = text " " $0
            if (index(text, "(")) {
                sub(/[ \t]*\(.*/, "", text)
                n = split(text, words, /[ \t*]+/)
                print words[n], (since == "" ? "2.0.0 undated" : since " dated")
                declaring = 0; since = ""
            }
        }
    ' "$sdl_headers"/SDL*.h | sort -k1,1 -k3,3 -k2,2V | sort -u -k1,1 | cut -d' ' -f1,2
}

count() { grep -c . <<<"$1" || true; }
words() { tr '\n' ' ' <<<"$1" | sed 's/ *$//'; }

status=0
dates=$(sdl_dates)
for program in "$@"; do
    name=$(basename "$program")
    needed=$(readelf -d "$program" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p' | tr '\n' ' ')
    echo "$name: needs ${needed% }"
    for lib in $needed; do
        if [[ " $allowed " != *" $lib "* ]]; then
            echo "$name: links $lib; a handheld port may link only $allowed" >&2
            status=1
        fi
    done

    # Imported symbols: "NAME@VERSION" for the C library, plain names for SDL.
    imports=$(readelf --dyn-syms -W "$program" | awk '$7 == "UND" && $8 != "" { print $8 }')
    libc=$(grep '@GLIBC_' <<<"$imports" || true)
    newest=$(grep -o '[0-9.]*$' <<<"$libc" | sort -uV | tail -n 1)
    symbols=$(grep "@GLIBC_$newest\$" <<<"$libc" | cut -d@ -f1 | sort || true)
    echo "$name: glibc ${newest:-none} $(count "$symbols")/$(count "$libc") $(words "$symbols")"

    sdl=$(grep '^SDL_' <<<"$imports" | sort -u | join - <(echo "$dates") || true)
    newest_sdl=$(awk '{ print $2 }' <<<"$sdl" | sort -uV | tail -n 1)
    functions=$(awk -v v="$newest_sdl" '$2 == v { print $1 }' <<<"$sdl")
    echo "$name: sdl ${newest_sdl:-none} $(count "$functions")/$(count "$sdl") $(words "$functions")"
done
exit $status
