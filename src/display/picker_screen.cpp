// The bank picker: the logo revealed letter by letter and the three banks.
#include "display/picker_screen.h"

#include "display/grey.h"

#include <cstdio>
#include <cstring>

constexpr uint32_t LOGO_LETTER_MS = 95;  // one more letter every LOGO_LETTER_MS
constexpr int LOGO_DOT = 5;
constexpr int LOGO_LEFT = centred_x(LOGO_LETTERS, LOGO_DOT);
constexpr int LOGO_TOP = 62;
constexpr char PROMPT[] = "PICK A SOUND BANK";
constexpr int PROMPT_SCALE = 2;
constexpr int PROMPT_TOP = 138;
constexpr int BANK_LINE_SIZE = 40;
constexpr int BANK_LINE_SCALE = 3;
constexpr int BANK_LINE_TOP = 210;
constexpr int BANK_LINE_GAP = 68;
constexpr uint8_t GREY_BACKGROUND = 0;
constexpr uint8_t GREY_LOGO = 255;
constexpr uint8_t GREY_PROMPT = 150;
constexpr uint8_t GREY_CHOSEN = 255;
constexpr uint8_t GREY_OTHER = 125;

void draw_logo(SDL_Renderer* renderer, int left, int top, int dot, int letters)
{
    set_grey(renderer, GREY_LOGO);
    for (int i = 0; i < letters && i < LOGO_LETTERS; i++) {
        for (int r = 0; r < GLYPH_ROWS; r++) {
            for (int k = 0; k < GLYPH_COLUMNS; k++) {
                if ((logo_glyph(i)[r] & (0x10 >> k)) == 0) continue;
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
    uint32_t more = elapsed / LOGO_LETTER_MS;  // letters after the first
    constexpr uint32_t MOST_MORE = LOGO_LETTERS - 1;
    int letters = static_cast<int>(more < MOST_MORE ? more : MOST_MORE) + 1;
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
        draw_text(renderer, centred_x(length, BANK_LINE_SCALE), BANK_LINE_TOP + BANK_LINE_GAP * b,
                  line, BANK_LINE_SCALE, b == chosen ? GREY_CHOSEN : GREY_OTHER);
    }
}

void draw_picker_screen(SDL_Renderer* renderer, const AppState& state, uint32_t now)
{
    uint32_t elapsed = now - state.logo_start;  // unsigned: survives the tick counter wrapping
    set_grey(renderer, GREY_BACKGROUND);
    SDL_RenderClear(renderer);
    draw_revealed_logo(renderer, elapsed);
    draw_text(renderer, centred_x(PROMPT, PROMPT_SCALE), PROMPT_TOP, PROMPT, PROMPT_SCALE,
              GREY_PROMPT);
    draw_bank_lines(renderer, state.bank.load());
}
