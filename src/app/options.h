// plim's command line: a song directory and --keys, or one of the options --help and --version.
#pragma once

#include <cstdio>

// plim's own status for a command line it cannot follow (an unknown option,
// a second directory, or "-" where a directory belongs): apart from the
// statuses of a run, 1 to 6.
constexpr int EXIT_USAGE = 64;

struct ProgramCommand {
    int exit_status;  // -1: play; else exit with this at once
    const char* dir;  // the song directory when playing: the first operand, or "."
    bool keys;        // --keys: keys play the grid as a pad would
};

// Reads the command line by the rules every PLIM command shares (--help and
// --version, or -h and -V, answer on standard output; an unknown option, a
// second directory, or "-" given as the directory, is refused with a line
// on standard error that gives the reason and points to --help).
ProgramCommand read_program_command(int argc, char** argv);
