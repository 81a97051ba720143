#!/bin/bash
# Starts PLIM from a handheld firmware's ports menu.
#
# The port: this script beside the port folder "plim", which holds the
# programs plim.aarch64 and plim.armhf (the processor, as `uname -m` names it,
# chooses) and keeps the song in plim/conf.  Libraries shipped with the port
# go in plim/libs.aarch64 or plim/libs.armhf and come before the firmware's.
# Each start writes plim/log.txt: what the program printed and its exit
# status (the port's README says what each status means), where a player
# looks when the port drops back to the menu.
here=$(cd "$(dirname "$0")" && pwd)
game="$here/plim"
conf="$game/conf"
log="$game/log.txt"

case "$(uname -m)" in
    aarch64 | arm64) arch=aarch64 ;;
    armv6* | armv7* | armv8l | armhf) arch=armhf ;;
    *)
        echo "PLIM: no program for this processor ($(uname -m))" | tee "$log" >&2
        exit 1
        ;;
esac

# The pad mapping, first found of: the firmware's own (SDL_GAMECONTROLLERCONFIG
# or SDL_GAMECONTROLLERCONFIG_FILE already set), the one the port manager's
# control folder works out for this device, a gamecontrollerdb.txt shipped
# with the port or the firmware.
if [ -z "${SDL_GAMECONTROLLERCONFIG:-}" ] && [ -z "${SDL_GAMECONTROLLERCONFIG_FILE:-}" ]; then
    data_home=${XDG_DATA_HOME:-$HOME/.local/share}
    for control in /opt/system/Tools/PortMaster /opt/tools/PortMaster \
                   "$data_home/PortMaster" /roms/ports/PortMaster; do
        if [ -f "$control/control.txt" ]; then
            # control.txt and get_controls read the folder from controlfolder.
            # shellcheck disable=SC2034
            controlfolder=$control
            # shellcheck disable=SC1091
            source "$control/control.txt"
            if command -v get_controls >/dev/null 2>&1; then get_controls; fi
            [ -n "${sdl_controllerconfig:-}" ] && export SDL_GAMECONTROLLERCONFIG="$sdl_controllerconfig"
            break
        fi
    done
fi
if [ -z "${SDL_GAMECONTROLLERCONFIG:-}" ] && [ -z "${SDL_GAMECONTROLLERCONFIG_FILE:-}" ]; then
    for db in "$game/gamecontrollerdb.txt" "$here/gamecontrollerdb.txt" \
              /usr/share/SDL2/gamecontrollerdb.txt /etc/gamecontrollerdb.txt; do
        if [ -f "$db" ]; then
            export SDL_GAMECONTROLLERCONFIG_FILE="$db"
            break
        fi
    done
fi

mkdir -p "$conf"
export LD_LIBRARY_PATH="$game/libs.$arch${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}"
cd "$game" || exit 1
{
    echo "PLIM: starting plim.$arch $conf"
    "./plim.$arch" "$conf"
    status=$?
    echo "PLIM: plim.$arch exited with status $status"
} >"$log" 2>&1
exit $status
