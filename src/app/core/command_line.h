// The command-line rules the program and every tool share.
#pragma once

// What the options ask for.  The first option decides.
enum CommandRequest {
    COMMAND_GO_ON,           // no option: do the command's work with the operands
    COMMAND_HELP,            // --help or -h
    COMMAND_VERSION,         // --version or -V
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

// The operands a command takes, for saying what is missing or too much.
struct CommandForm {
    const char* name;                         // "plim-render"
    const char* operand_names[MAX_OPERANDS];  // in order ("DIR", "OUT.wav"): the required ones
    int min_operands;                         // the first min_operands are required
    int max_operands;                         // below MAX_OPERANDS
    const char* too_many_hint;                // said after too many operands, or null
};

// Prints the one line of a refused command line on standard error:
// "<name>: <reason>; try <name> --help".
void refuse_command(const char* name, const char* reason);

// refuse_command for the unknown option line holds: "unknown option -x".
void refuse_unknown_option(const char* name, const CommandLine& line);

// Whether line has as many operands as form takes.  When it has not, the
// missing ones are named ("missing DIR and OUT.wav"), or the first one too
// many is (with the form's hint), in the line refuse_command prints, and
// false is returned.
bool operands_fit(const CommandForm& form, const CommandLine& line);
