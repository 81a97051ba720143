// The command line of a tool: --help, --version and the operands.
#pragma once

enum ArgumentsOutcome {
    ARGUMENTS_RUN,    // operands collected: go on
    ARGUMENTS_DONE,   // --help or --version answered: exit 0
    ARGUMENTS_WRONG,  // an unknown option or a wrong number of operands: exit 2
};

constexpr int TOOL_EXIT_FAILED = 1;
constexpr int TOOL_EXIT_USAGE = 2;

struct ToolCommand {
    const char* name;   // "plim-render"
    const char* usage;  // the usage text, from "usage:" on, ending in a newline
    int min_operands;
    int max_operands;
};

// Reads argv.  --help prints the usage on standard output and --version the
// tool's name and version; any other argument starting with '-' (but "-"
// alone, an operand) is an unknown option; "--" ends the options.  For a
// wrong command line the usage goes to standard error.  Up to max_operands
// operands are stored in operands, their number in count.
ArgumentsOutcome read_tool_arguments(const ToolCommand& command, int argc, char** argv,
                                     const char** operands, int& count);
