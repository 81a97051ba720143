// plim-song DIR PACE VOICE BANK WOBBLE ECHO SPACE [ROW...]: writes a song file
// as PLIM saves it, for the examples and the checks that need songs of their
// own.  Not installed.
#include "tool_arguments.h"

#include "app/core/directories.h"
#include "app/core/state_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

static const char USAGE[] =
    "usage: plim-song DIR PACE VOICE BANK WOBBLE ECHO SPACE [ROW...]\n"
    "  writes DIR/" STATE_FILE_NAME_LITERAL
    " (making DIR) as PLIM saves it: the six settings in\n"
    "  the file's order, then the grid, top row first, one ROW of 16 cells each\n"
    "  (x lit, . dark); without ROWs every cell is lit.\n";

constexpr int SETTINGS = 6;
constexpr int FIRST_ROW = 1 + SETTINGS;  // operands before the rows: DIR and the settings

struct Setting {
    const char* name;
    int32_t lowest;
    int32_t highest;
};

// In the file's order.
static constexpr Setting SETTING_RANGES[SETTINGS] = {
    {"PACE", PACE_MIN, PACE_MAX},   {"VOICE", 0, VOICES_PER_BANK - 1},
    {"BANK", 0, BANK_COUNT - 1},    {"WOBBLE", 0, WOBBLE_LEVELS - 1},
    {"ECHO", 0, EFFECT_LEVELS - 1}, {"SPACE", 0, EFFECT_LEVELS - 1},
};

// The value of setting i, or false when text is no whole number in its range.
static bool read_setting(int i, const char* text, int32_t& value)
{
    const Setting& setting = SETTING_RANGES[i];
    int number = 0;
    if (!read_whole_number(text, setting.lowest, setting.highest, number)) {
        std::fprintf(stderr, "plim-song: %s must be a whole number from %d to %d, not \"%s\"\n",
                     setting.name, static_cast<int>(setting.lowest),
                     static_cast<int>(setting.highest), text);
        return false;
    }
    value = number;
    return true;
}

static bool read_row(AppState& state, int row, const char* text)
{
    bool fits = std::strlen(text) == GRID_COLS;
    for (int col = 0; fits && col < GRID_COLS; col++) {
        fits = text[col] == 'x' || text[col] == '.';
        state.grid[row][col] = text[col] == 'x' ? 1 : 0;
    }
    if (!fits)
        std::fprintf(stderr, "plim-song: a ROW is %d cells of x or ., not \"%s\"\n", GRID_COLS,
                     text);
    return fits;
}

int main(int argc, char** argv)
{
    static_assert(FIRST_ROW + GRID_ROWS <= MAX_OPERANDS);
    const ToolCommand command = {{"plim-song",
                                  {"DIR", "PACE", "VOICE", "BANK", "WOBBLE", "ECHO", "SPACE"},
                                  FIRST_ROW,
                                  FIRST_ROW + GRID_ROWS,
                                  nullptr},
                                 USAGE};
    const char* operands[FIRST_ROW + GRID_ROWS];
    int count = 0;
    int status = read_tool_arguments(command, argc, argv, operands, count);
    if (status != TOOL_GO_ON) return status;
    if (count != FIRST_ROW && count != FIRST_ROW + GRID_ROWS) {
        char reason[64];
        std::snprintf(reason, sizeof reason, "give all %d ROWs or none", GRID_ROWS);
        refuse_command("plim-song", reason);
        return TOOL_EXIT_USAGE;
    }

    static AppState state;
    Relaxed<int32_t>* settings[SETTINGS] = {&state.pace,   &state.voice, &state.bank,
                                            &state.wobble, &state.echo,  &state.space};
    for (int i = 0; i < SETTINGS; i++) {
        int32_t value = 0;
        if (!read_setting(i, operands[1 + i], value)) return TOOL_EXIT_USAGE;
        settings[i]->store(value);
    }
    for (int row = 0; row < GRID_ROWS; row++) {
        if (count == FIRST_ROW)
            for (uint8_t& cell : state.grid[row]) cell = 1;
        else if (!read_row(state, row, operands[FIRST_ROW + row]))
            return TOOL_EXIT_USAGE;
    }

    const char* dir = operands[0];
    if (!make_directories(dir) || !format_state_path(state, dir) || !save_state(state)) {
        std::fprintf(stderr, "plim-song: cannot write %s/%s (%s)\n", dir, STATE_FILE_NAME,
                     std::strerror(errno));
        return TOOL_EXIT_FAILED;
    }
    return 0;
}
