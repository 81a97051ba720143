// The command line: a song directory, or one of the options --help and --version.
#pragma once

#include <cstdio>

// What the command line asks for.
enum CommandAction {
    COMMAND_RUN,             // play, with the song in dir
    COMMAND_HELP,            // --help: the usage on standard output, exit 0
    COMMAND_VERSION,         // --version: the version on standard output, exit 0
    COMMAND_UNKNOWN_OPTION,  // any other option: the usage on standard error, exit 2
};

constexpr int EXIT_UNKNOWN_OPTION = 2;

struct CommandLine {
    CommandAction action;
    const char* dir;  // the first argument that is not an option, or "."
};

// Every argument that starts with '-' is an option, the first deciding; the
// first other argument is the song directory and any further ones are
// ignored.  A directory named "-x" is reached as "./-x".
CommandLine parse_command_line(int argc, char** argv);

void print_usage(FILE* out);
void print_version(FILE* out);
