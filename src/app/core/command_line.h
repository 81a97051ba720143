// The command-line rules the program and every tool share.
#pragma once

// What the options ask for.  The first option decides.
enum CommandRequest {
    COMMAND_GO_ON,           // no option: do the command's work with the operands
    COMMAND_HELP,            // --help
    COMMAND_VERSION,         // --version
    COMMAND_UNKNOWN_OPTION,  // any other argument that starts with '-'
};

constexpr int MAX_OPERANDS = 16;  // more than any command takes
constexpr int MAX_FLAGS = 8;      // more than any command takes

// An option of a command's own that takes no value, in its long and short form.
struct CommandFlag {
    const char* long_name;   // "--keys"
    const char* short_name;  // "-k"
};

struct CommandLine {
    CommandRequest request = COMMAND_GO_ON;
    const char* unknown_option = nullptr;     // for COMMAND_UNKNOWN_OPTION
    const char* operands[MAX_OPERANDS] = {};  // the first MAX_OPERANDS operands, in order
    int operand_count = 0;                    // every operand, those not kept included
    bool flags[MAX_FLAGS] = {};               // flags[i]: the command's flag i was given
};

// Reads argv.  An argument that starts with '-' is an option, but for "-"
// alone, an operand (a stream, where the command writes one); "--" ends the
// options, so "--" followed by "-x" reaches a file named -x.  flags (at most
// MAX_FLAGS) are the command's own options besides --help and --version; any
// other option is unknown.
CommandLine read_command_line(int argc, char** argv, const CommandFlag* flags = nullptr,
                              int flag_count = 0);
