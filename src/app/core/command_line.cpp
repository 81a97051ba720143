// The command-line rules the program and every tool share.
#include "app/core/command_line.h"

#include <cstring>

// The index of the flag arg names, or -1.
static int flag_index(const char* arg, const CommandFlag* flags, int flag_count)
{
    for (int i = 0; i < flag_count && i < MAX_FLAGS; i++)
        if (std::strcmp(arg, flags[i].long_name) == 0 || std::strcmp(arg, flags[i].short_name) == 0)
            return i;
    return -1;
}

CommandLine read_command_line(int argc, char** argv, const CommandFlag* flags, int flag_count)
{
    CommandLine line;
    bool options_ended = false;
    for (int i = 1; i < argc; i++) {
        const char* arg = argv[i];
        bool option = !options_ended && arg[0] == '-' && arg[1] != '\0';
        if (!option) {
            if (line.operand_count < MAX_OPERANDS) line.operands[line.operand_count] = arg;
            line.operand_count++;
        } else if (std::strcmp(arg, "--") == 0) {
            options_ended = true;
        } else if (line.request == COMMAND_GO_ON) {
            if (std::strcmp(arg, "--help") == 0) {
                line.request = COMMAND_HELP;
            } else if (std::strcmp(arg, "--version") == 0) {
                line.request = COMMAND_VERSION;
            } else if (int flag = flag_index(arg, flags, flag_count); flag >= 0) {
                line.flags[flag] = true;
            } else {
                line.request = COMMAND_UNKNOWN_OPTION;
                line.unknown_option = arg;
            }
        }
    }
    return line;
}
