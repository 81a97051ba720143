// Separating a tool's options from its operands.
#include "tool_arguments.h"

#include "app/core/command_line.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>

int read_tool_arguments(const ToolCommand& command, int argc, char** argv, const char** operands,
                        int& count)
{
    const char* name = command.form.name;
    CommandLine line = read_command_line(argc, argv);
    switch (line.request) {
    case COMMAND_HELP: std::fputs(command.usage, stdout); return 0;
    case COMMAND_VERSION: std::printf("%s %s\n", name, PLIM_VERSION); return 0;
    case COMMAND_UNKNOWN_OPTION: refuse_unknown_option(name, line); return TOOL_EXIT_USAGE;
    case COMMAND_GO_ON: break;
    }
    if (!operands_fit(command.form, line)) return TOOL_EXIT_USAGE;
    count = line.operand_count;
    for (int i = 0; i < count; i++) operands[i] = line.operands[i];
    return TOOL_GO_ON;
}

bool read_whole_number(const char* text, int lowest, int highest, int& value)
{
    if (text[0] < '0' || text[0] > '9') return false;  // no sign, no space
    errno = 0;
    char* end = nullptr;
    long number = std::strtol(text, &end, 10);
    if (errno != 0 || *end != '\0' || number < lowest || number > highest) return false;
    value = static_cast<int>(number);
    return true;
}
