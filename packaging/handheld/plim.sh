#!/bin/sh
# Starts PLIM on a handheld Linux firmware.  Copy this script into the
# firmware's ports or apps folder, next to a folder "plim" that holds the
# program (plim) and its libraries (lib/); the song is kept in plim/conf.
here=$(cd "$(dirname "$0")" && pwd)
game="$here/plim"
conf="$game/conf"
mkdir -p "$conf"

# The firmware usually exports its pad mapping as SDL_GAMECONTROLLERCONFIG;
# otherwise take a mapping file shipped with the port or with the firmware.
if [ -z "${SDL_GAMECONTROLLERCONFIG:-}" ] && [ -z "${SDL_GAMECONTROLLERCONFIG_FILE:-}" ]; then
    for db in "$game/gamecontrollerdb.txt" "$here/gamecontrollerdb.txt" \
              /usr/share/SDL2/gamecontrollerdb.txt /etc/gamecontrollerdb.txt; do
        if [ -f "$db" ]; then
            export SDL_GAMECONTROLLERCONFIG_FILE="$db"
            break
        fi
    done
fi

# Libraries shipped with the port come before the firmware's own.
export LD_LIBRARY_PATH="$game/lib${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}"
cd "$game" || exit 1
exec ./plim "$conf"
