#!/usr/bin/env bash
# run-plim.sh PROGRAM DIR [OPTION...]: `make run`'s last step.  Starts
# PROGRAM (plim) with the OPTIONs on the song directory DIR and exits with its
# status.
#
# plim says itself, in one line on standard error, what failed and what to
# try (the manual page's EXIT STATUS lists the statuses).  Only what plim
# cannot say is added here: a signal that stopped it, or a status it does
# not document.
set -uo pipefail
[[ $# -ge 2 ]] || { echo "usage: scripts/run-plim.sh PROGRAM DIR [OPTION...]" >&2; exit 2; }

"$1" "${@:3}" -- "$2"
status=$?
case $status in
0 | 1 | 2 | 3 | 4 | 5 | 6 | 64) exit $status ;;
esac
if ((status > 128)); then
    why="plim was stopped by signal $((status - 128)) ($(kill -l $((status - 128)) 2>/dev/null || echo unknown))"
else
    why="an exit status plim does not document"
fi
echo "plim stopped with status $status: $why" >&2
exit $status
