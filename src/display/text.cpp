// Block-letter text: the punctuation marks and the dot-by-dot drawing.
#include "display/text.h"

#include "display/grey.h"

#include <cstring>

// The punctuation marks; rows they do not name stay blank.
static void punctuation_rows(unsigned char c, uint8_t rows[GLYPH_ROWS])
{
    switch (c) {
    case '+':
        rows[2] = 0x04;
        rows[3] = 0x0E;
        rows[4] = 0x04;
        break;
    case '.': rows[6] = 0x04; break;
    case '/': {
        static const uint8_t slash[GLYPH_ROWS] = {0x01, 0x02, 0x02, 0x04, 0x08, 0x08, 0x10};
        std::memcpy(rows, slash, GLYPH_ROWS);
        break;
    }
    case ':':
        rows[2] = 0x04;
        rows[5] = 0x04;
        break;
    case '[':
    case ']': {
        uint8_t side = c == '[' ? 0x08 : 0x02;
        rows[0] = 0x0E;
        for (int r = 1; r <= 5; r++) rows[r] = side;
        rows[6] = 0x0E;
        break;
    }
    case '|': std::memset(rows, 0x04, GLYPH_ROWS); break;
    default: break;
    }
}

void glyph_rows(unsigned char c, uint8_t rows[GLYPH_ROWS])
{
    std::memset(rows, 0, GLYPH_ROWS);
    if (c >= 'a' && c <= 'z') c = static_cast<unsigned char>(c - ('a' - 'A'));
    if (c >= 'A' && c <= 'Z') {
        std::memcpy(rows, FONT_GLYPHS[c - 'A'], GLYPH_ROWS);
    } else if (c >= '0' && c <= '9') {
        std::memcpy(rows, FONT_GLYPHS[26 + (c - '0')], GLYPH_ROWS);
    } else {
        punctuation_rows(c, rows);
    }
}

void draw_text(SDL_Renderer* renderer, int32_t x, int32_t y, const char* text, int32_t scale,
               uint8_t grey)
{
    set_grey(renderer, grey);
    int32_t pen = x;
    for (const char* p = text; *p != '\0'; p++) {
        uint8_t rows[GLYPH_ROWS];
        glyph_rows(static_cast<unsigned char>(*p), rows);
        for (int r = 0; r < GLYPH_ROWS; r++) {
            for (int k = 0; k < GLYPH_COLUMNS; k++) {
                if ((rows[r] & (0x10 >> k)) == 0) continue;
                SDL_Rect dot = {pen + k * scale, y + r * scale, scale, scale};
                SDL_RenderFillRect(renderer, &dot);
            }
        }
        pen += GLYPH_ADVANCE * scale;
    }
}
