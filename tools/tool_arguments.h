// The command line of a tool: --help, --version and the operands.
#pragma once

#include "app/core/command_line.h"

constexpr int TOOL_EXIT_FAILED = 1;
constexpr int TOOL_EXIT_USAGE = 2;
constexpr int TOOL_GO_ON = -1;  // the command line asks for the tool's work

struct ToolCommand {
    const char* name;   // "plim-render"
    const char* usage;  // the usage text, from "usage:" on, ending in a newline
    int min_operands;
    int max_operands;
};

// Reads argv by the rules every PLIM command shares (read_command_line):
// --help prints the usage on standard output and --version the tool's name
// and version, and the tool then exits 0; an unknown option (named) or a
// wrong number of operands prints the usage on standard error: exit
// TOOL_EXIT_USAGE.  Returns TOOL_GO_ON or the status to exit with.  The
// operands (at most max_operands, itself at most MAX_OPERANDS) are stored in
// operands, their number in count.
int read_tool_arguments(const ToolCommand& command, int argc, char** argv, const char** operands,
                        int& count);
