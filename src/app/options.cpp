// plim's command line: a song directory and --keys, or one of the options --help and --version.
#include "app/options.h"

#include "app/core/command_line.h"
#include "app/core/state_file.h"

#include <cstring>
#include <iterator>

static const char USAGE[] =
    "usage: plim [--keys] [DIRECTORY]\n"
    "       plim --help | --version\n"
    "\n"
    "PLIM is a step sequencer and synthesizer played full screen with a game pad.\n"
    "DIRECTORY keeps the song as " STATE_FILE_NAME_LITERAL
    " (default: the current directory; made if missing).\n"
    "\n"
    "Connect the pad before starting: one plugged in later is not picked up.\n"
    "Without a pad, --keys plays the grid with the keyboard.\n"
    "  picker  D-pad or arrow keys choose a sound bank; A, Return or Space go on\n"
    "  guide   any button opens the grid\n"
    "  grid    D-pad moves, A places, B removes, X empties, Y wobbles,\n"
    "          L1/R1 pace, L2/R2 voice, SELECT+left/right echo, SELECT+up/down space,\n"
    "          START rests, SELECT+X fresh start\n"
    "  SELECT+START, Escape or closing the window saves and quits.\n"
    "\n"
    "  -k, --keys     play the grid with keys too, by their place on the keyboard:\n"
    "                 arrows D-pad, X A, Z B, S X, A Y, Q L1, W R1, 1 L2, 2 R2,\n"
    "                 either Shift SELECT, Return START\n"
    "  -h, --help     show this and exit\n"
    "  -V, --version  show the version and exit\n"
    "A directory whose name starts with - is given as ./-name (or after --).\n"
    "\n"
    "More in the manual page (man plim) and in README.md.\n";

// plim takes one operand at most: the song directory.
constexpr CommandForm PROGRAM_FORM = {
    "plim", {"DIRECTORY"}, 0, 1, "the song is kept in one directory; quote a name with spaces"};

// The program's own options, besides --help and --version.
enum ProgramFlag { FLAG_KEYS };
static const CommandFlag PROGRAM_FLAGS[] = {
    {"--keys", "-k"},  // FLAG_KEYS
};

ProgramCommand read_program_command(int argc, char** argv)
{
    CommandLine line =
        read_command_line(argc, argv, PROGRAM_FLAGS, static_cast<int>(std::size(PROGRAM_FLAGS)));
    switch (line.request) {
    case COMMAND_HELP: std::fputs(USAGE, stdout); return {0, nullptr, false};
    case COMMAND_VERSION: std::printf("plim %s\n", PLIM_VERSION); return {0, nullptr, false};
    case COMMAND_UNKNOWN_OPTION:
        refuse_unknown_option("plim", line);
        return {EXIT_USAGE, nullptr, false};
    case COMMAND_GO_ON: break;
    }
    if (!operands_fit(PROGRAM_FORM, line)) return {EXIT_USAGE, nullptr, false};
    bool keys = line.flags[FLAG_KEYS];
    if (line.operand_count == 0) return {-1, ".", keys};
    if (std::strcmp(line.operands[0], "-") == 0) {
        refuse_command("plim", "the song is kept in a directory, not in a stream (-)");
        return {EXIT_USAGE, nullptr, false};
    }
    return {-1, line.operands[0], keys};
}
