// Separating a tool's options from its operands.
#include "tool_arguments.h"

#include <cstdio>
#include <cstring>

int read_tool_arguments(const ToolCommand& command, int argc, char** argv, const char** operands,
                        int& count)
{
    count = 0;
    bool options_ended = false;
    bool fits = true;
    for (int i = 1; i < argc; i++) {
        const char* arg = argv[i];
        bool option = !options_ended && arg[0] == '-' && arg[1] != '\0';
        if (option && std::strcmp(arg, "--") == 0) {
            options_ended = true;
        } else if (option && std::strcmp(arg, "--help") == 0) {
            std::fputs(command.usage, stdout);
            return 0;
        } else if (option && std::strcmp(arg, "--version") == 0) {
            std::printf("%s %s\n", command.name, PLIM_VERSION);
            return 0;
        } else if (option) {
            std::fprintf(stderr, "%s: unknown option %s\n%s", command.name, arg, command.usage);
            return TOOL_EXIT_USAGE;
        } else if (count < command.max_operands) {
            operands[count++] = arg;
        } else {
            fits = false;
        }
    }
    if (fits && count >= command.min_operands) return TOOL_GO_ON;
    std::fputs(command.usage, stderr);
    return TOOL_EXIT_USAGE;
}
