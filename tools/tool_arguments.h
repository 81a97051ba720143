// The command line of a tool: --help, --version and the operands.
#pragma once

#include "app/core/command_line.h"

constexpr int TOOL_EXIT_FAILED = 1;
constexpr int TOOL_EXIT_USAGE = 2;
constexpr int TOOL_GO_ON = -1;  // the command line asks for the tool's work

struct ToolCommand {
    CommandForm form;   // the tool's name and operands
    const char* usage;  // the usage text, from "usage:" on, ending in a newline
};

// Reads argv by the rules every PLIM command shares (read_command_line):
// --help (-h) prints the usage on standard output and --version (-V) the
// tool's name and version, and the tool then exits 0; an unknown option, a
// missing operand or one too many is named in one line on standard error
// (refuse_command): exit TOOL_EXIT_USAGE.  Returns TOOL_GO_ON or the status
// to exit with.  The operands (at most form.max_operands) are stored in
// operands, their number in count.
int read_tool_arguments(const ToolCommand& command, int argc, char** argv, const char** operands,
                        int& count);

// The whole number text names, written with digits alone, if it lies in
// lowest..highest (lowest at least 0); false otherwise.
bool read_whole_number(const char* text, int lowest, int highest, int& value);
