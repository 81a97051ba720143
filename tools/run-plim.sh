#!/usr/bin/env bash
# run-plim.sh PROGRAM DIR: `make run`'s last step.  Starts PROGRAM (plim) on
# the song directory DIR and, when it fails, says in one line what its exit
# status means and what to try; exits with that status.
#
# plim itself prints nothing when it fails: its exit status is its report
# (the manual page's EXIT STATUS).  A status this script does not know is
# passed on with a line naming it.
set -uo pipefail
[[ $# -eq 2 ]] || { echo "usage: tools/run-plim.sh PROGRAM DIR" >&2; exit 2; }

"$1" "$2"
status=$?
case $status in
0) exit 0 ;;
1) why="SDL could not start or found no display: run it from a desktop session; if SDL_VIDEODRIVER or SDL_AUDIODRIVER is set, check that it names a driver SDL has" ;;
2) why="the window could not be made: check that the desktop session's display works (DISPLAY or WAYLAND_DISPLAY)" ;;
3) why="no renderer could be made: the graphics driver offers none; SDL_RENDER_DRIVER=software uses SDL's own" ;;
4) why="the sound buffers could not be allocated: the machine is short of memory" ;;
5) why="the audio device could not be opened: check that the sound server runs and the device is free, or choose a driver with SDL_AUDIODRIVER (pipewire, pulseaudio, alsa)" ;;
64) why="plim refused an option: a song directory whose name starts with - is given as ./-name" ;;
*)
    if ((status > 128)); then
        why="plim was stopped by signal $((status - 128)) ($(kill -l $((status - 128)) 2>/dev/null || echo unknown))"
    else
        why="an exit status plim does not document"
    fi
    ;;
esac
echo "plim stopped with status $status: $why" >&2
exit $status
