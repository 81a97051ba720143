// The bank picker: the logo revealed letter by letter and the three banks.
#include "display/picker_screen.h"

#include <cstdio>
#include <cstring>

constexpr uint32_t LOGO_LETTER_MS = 95;  // one more letter every 95 ms
constexpr int LOGO_DOT = 5;
constexpr int LOGO_LEFT = 262;  // centred_x(4, 5)
constexpr int LOGO_TOP = 62;
constexpr int BANK_LINE_SIZE = 40;
constexpr int BANK_LINE_TOP = 210;
constexpr int BANK_LINE_GAP = 68;
constexpr uint8_t GREY_CHOSEN = 255;
constexpr uint8_t GREY_OTHER = 125;

const uint8_t LOGO_GLYPHS[LOGO_LETTERS][GLYPH_ROWS] = {
    {0x1E, 0x11, 0x11, 0x1E, 0x10, 0x10, 0x10},  // P
    {0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x1F},  // L
    {0x0E, 0x04, 0x04, 0x04, 0x04, 0x04, 0x0E},  // I
    {0x11, 0x1B, 0x15, 0x15, 0x11, 0x11, 0x11},  // M
};

void draw_logo(SDL_Renderer* renderer, int left, int top, int dot, int letters)
{
    SDL_SetRenderDrawColor(renderer, 255, 255, 255, 255);
    for (int i = 0; i < letters && i < LOGO_LETTERS; i++) {
        for (int r = 0; r < GLYPH_ROWS; r++) {
            for (int k = 0; k < GLYPH_COLUMNS; k++) {
                if ((LOGO_GLYPHS[i][r] & (0x10 >> k)) == 0) continue;
                SDL_Rect square = {left + GLYPH_ADVANCE * dot * i + dot * k, top + dot * r, dot,
                                   dot};
                SDL_RenderFillRect(renderer, &square);
            }
        }
    }
}

// One more letter every LOGO_LETTER_MS from the picker's start.
static void draw_revealed_logo(SDL_Renderer* renderer, uint32_t elapsed)
{
    uint32_t shown = elapsed / LOGO_LETTER_MS;
    int letters = static_cast<int>(shown < 3 ? shown : 3) + 1;
    draw_logo(renderer, LOGO_LEFT, LOGO_TOP, LOGO_DOT, letters);
}

// The chosen bank is bracketed and bright; both patterns add four
// characters, so a name stands still whichever bank is chosen.
static void draw_bank_lines(SDL_Renderer* renderer, int32_t chosen)
{
    for (int b = 0; b < BANK_COUNT; b++) {
        char line[BANK_LINE_SIZE];
        std::snprintf(line, sizeof line, b == chosen ? "[ %s ]" : "  %s  ", BANK_NAMES[b]);
        int32_t length = static_cast<int32_t>(std::strlen(line));
        draw_text(renderer, centred_x(length, 3), BANK_LINE_TOP + BANK_LINE_GAP * b, line, 3,
                  b == chosen ? GREY_CHOSEN : GREY_OTHER);
    }
}

void draw_picker_screen(SDL_Renderer* renderer, const AppState& state, uint32_t now)
{
    uint32_t elapsed = now - state.logo_start;  // unsigned: survives the tick counter wrapping
    SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
    SDL_RenderClear(renderer);
    draw_revealed_logo(renderer, elapsed);
    draw_text(renderer, 219, 138, "PICK A SOUND BANK", 2, 150);
    draw_bank_lines(renderer, state.bank.load());
}
