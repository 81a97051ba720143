// Separating a tool's options from its operands.
#include "tool_arguments.h"

#include "app/core/command_line.h"

#include <cstdio>

int read_tool_arguments(const ToolCommand& command, int argc, char** argv, const char** operands,
                        int& count)
{
    CommandLine line = read_command_line(argc, argv);
    switch (line.request) {
    case COMMAND_HELP: std::fputs(command.usage, stdout); return 0;
    case COMMAND_VERSION: std::printf("%s %s\n", command.name, PLIM_VERSION); return 0;
    case COMMAND_UNKNOWN_OPTION:
        std::fprintf(stderr, "%s: unknown option %s\n%s", command.name, line.unknown_option,
                     command.usage);
        return TOOL_EXIT_USAGE;
    case COMMAND_GO_ON: break;
    }
    if (line.operand_count < command.min_operands || line.operand_count > command.max_operands) {
        std::fputs(command.usage, stderr);
        return TOOL_EXIT_USAGE;
    }
    count = line.operand_count;
    for (int i = 0; i < count; i++) operands[i] = line.operands[i];
    return TOOL_GO_ON;
}
