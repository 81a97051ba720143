// The command line: a song directory, or one of the options --help and --version.
#include "app/options.h"

#include <cstring>

CommandLine parse_command_line(int argc, char** argv)
{
    CommandLine line = {COMMAND_RUN, nullptr};
    for (int i = 1; i < argc; i++) {
        const char* arg = argv[i];
        if (arg[0] != '-') {
            if (!line.dir) line.dir = arg;
            continue;
        }
        if (std::strcmp(arg, "--help") == 0) return {COMMAND_HELP, nullptr};
        if (std::strcmp(arg, "--version") == 0) return {COMMAND_VERSION, nullptr};
        return {COMMAND_UNKNOWN_OPTION, nullptr};
    }
    if (!line.dir) line.dir = ".";
    return line;
}

static const char USAGE[] =
    "usage: plim [DIRECTORY]\n"
    "       plim --help | --version\n"
    "\n"
    "PLIM is a step sequencer and synthesizer played full screen with a game pad.\n"
    "DIRECTORY keeps the song as plim.state (default: the current directory; made if missing).\n"
    "\n"
    "Connect the pad before starting: one plugged in later is not picked up.\n"
    "  picker  D-pad or arrow keys choose a sound bank; A, Return or Space go on\n"
    "  guide   any button opens the grid\n"
    "  grid    D-pad moves, A places, B removes, X empties, Y wobbles,\n"
    "          L1/R1 pace, L2/R2 voice, SELECT+left/right echo, SELECT+up/down space,\n"
    "          START rests, SELECT+X fresh start\n"
    "  SELECT+START, Escape or closing the window saves and quits.\n"
    "\n"
    "  --help     show this and exit\n"
    "  --version  show the version and exit\n"
    "A directory whose name starts with - is given as ./-name.\n"
    "\n"
    "More in the manual page (man plim) and in README.md.\n";

void print_usage(FILE* out) { std::fputs(USAGE, out); }

void print_version(FILE* out) { std::fprintf(out, "plim %s\n", PLIM_VERSION); }
