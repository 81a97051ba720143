// The command-line rules the program and every tool share.
#include "app/core/command_line.h"

#include <cstdio>
#include <cstring>

// The options every command answers, by either name.
struct OptionName {
    const char* long_name;
    const char* short_name;
    CommandRequest request;
};
constexpr OptionName OPTION_NAMES[] = {
    {"--help", "-h", COMMAND_HELP},
    {"--version", "-V", COMMAND_VERSION},
};

static CommandRequest request_of(const char* arg)
{
    for (const OptionName& option : OPTION_NAMES) {
        if (std::strcmp(arg, option.long_name) == 0 || std::strcmp(arg, option.short_name) == 0)
            return option.request;
    }
    return COMMAND_UNKNOWN_OPTION;
}

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
            if (CommandRequest request = request_of(arg); request != COMMAND_UNKNOWN_OPTION) {
                line.request = request;
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

void refuse_command(const char* name, const char* reason)
{
    std::fprintf(stderr, "%s: %s; try %s --help\n", name, reason, name);
}

void refuse_unknown_option(const char* name, const CommandLine& line)
{
    char reason[160];
    std::snprintf(reason, sizeof reason, "unknown option %s", line.unknown_option);
    refuse_command(name, reason);
}

bool operands_fit(const CommandForm& form, const CommandLine& line)
{
    char reason[256];
    if (line.operand_count > form.max_operands) {
        // Operands beyond MAX_OPERANDS are not kept, but the first extra one
        // is, as long as the form takes fewer.
        int extra = line.operand_count - form.max_operands;
        const char* first =
            form.max_operands < MAX_OPERANDS ? line.operands[form.max_operands] : "";
        const char* hint = form.too_many_hint ? form.too_many_hint : "";
        const char* hint_joint = form.too_many_hint ? " (" : "";
        const char* hint_end = form.too_many_hint ? ")" : "";
        if (extra == 1)
            std::snprintf(reason, sizeof reason, "one operand too many: %s%s%s%s", first,
                          hint_joint, hint, hint_end);
        else
            std::snprintf(reason, sizeof reason, "%d operands too many, from %s on%s%s%s", extra,
                          first, hint_joint, hint, hint_end);
        refuse_command(form.name, reason);
        return false;
    }
    if (line.operand_count >= form.min_operands) return true;
    int length = std::snprintf(reason, sizeof reason, "missing");
    for (int i = line.operand_count; i < form.min_operands; i++) {
        const char* joint = i == line.operand_count      ? " "
                            : i == form.min_operands - 1 ? " and "
                                                         : ", ";
        if (length > 0 && length < static_cast<int>(sizeof reason))
            length += std::snprintf(reason + length, sizeof reason - static_cast<size_t>(length),
                                    "%s%s", joint, form.operand_names[i]);
    }
    refuse_command(form.name, reason);
    return false;
}
