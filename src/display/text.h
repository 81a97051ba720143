// Block-letter text: a 5 x 7 dot font drawn one filled square per dot.
#pragma once

#include <SDL.h>

#include <cstdint>

constexpr int GLYPH_ROWS = 7;
constexpr int GLYPH_COLUMNS = 5;  // bit 0x10 is the leftmost column
constexpr int GLYPH_ADVANCE = 6;  // cell width plus one empty column, in dots
constexpr int FONT_GLYPH_COUNT = 36;

// The glyphs of "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789" in that order.  One
// byte per dot row, top row first; only the low five bits are used.
extern const uint8_t FONT_GLYPHS[FONT_GLYPH_COUNT][GLYPH_ROWS];

// The dot rows of one byte of text: capitals, digits and "+ . / : [ ] |";
// lower case folds to capitals; anything else (bytes 128..255 too) is blank.
void glyph_rows(unsigned char c, uint8_t rows[GLYPH_ROWS]);

// Draws text from (x, y), the top-left corner of its first cell, with dots of
// scale x scale pixels in (grey, grey, grey).  The draw colour is set first,
// also for an empty text, and stays set.  Every byte advances the pen by
// 6 x scale pixels.  Main thread, between clearing and presenting a frame.
void draw_text(SDL_Renderer* renderer, int32_t x, int32_t y, const char* text, int32_t scale,
               uint8_t grey);

// The x that centres the ink of a line of length characters on the 640-pixel
// canvas: (640 + scale - 6 x scale x length) / 2, fraction dropped; 320 for
// an empty line.
int32_t centred_x(int32_t length, int32_t scale);
