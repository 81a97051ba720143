// Pixel checks for the display tests: a canvas drawn by SDL's software
// renderer read back as greys, and an exact picture painted by hand to
// compare it with.  Painting follows SDL's coverage: a line includes both
// ends, a w x h rectangle or outline covers x..x+w-1, y..y+h-1.
#pragma once

#include "display/canvas.h"
#include "display/text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

struct Picture {
    std::vector<int> greys = std::vector<int>(CANVAS_WIDTH * CANVAS_HEIGHT, 0);  // -1: not a grey

    int at(int x, int y) const { return greys[y * CANVAS_WIDTH + x]; }
    void set(int x, int y, int grey)
    {
        if (x >= 0 && x < CANVAS_WIDTH && y >= 0 && y < CANVAS_HEIGHT)
            greys[y * CANVAS_WIDTH + x] = grey;
    }
    void fill(int x, int y, int w, int h, int grey)
    {
        for (int j = y; j < y + h; j++)
            for (int i = x; i < x + w; i++) set(i, j, grey);
    }
    void outline(int x, int y, int w, int h, int grey)
    {
        fill(x, y, w, 1, grey);
        fill(x, y + h - 1, w, 1, grey);
        fill(x, y, 1, h, grey);
        fill(x + w - 1, y, 1, h, grey);
    }
    void line_h(int y, int x0, int x1, int grey) { fill(x0, y, x1 - x0 + 1, 1, grey); }
    void line_v(int x, int y0, int y1, int grey) { fill(x, y0, 1, y1 - y0 + 1, grey); }
    // Block letters, square by square from the font's dot rows.
    void text(int x, int y, const char* text, int scale, int grey)
    {
        for (int n = 0; text[n] != '\0'; n++) {
            uint8_t rows[GLYPH_ROWS];
            glyph_rows(static_cast<unsigned char>(text[n]), rows);
            for (int r = 0; r < GLYPH_ROWS; r++)
                for (int k = 0; k < GLYPH_COLUMNS; k++)
                    if (rows[r] & (0x10 >> k))
                        fill(x + 6 * scale * n + k * scale, y + r * scale, scale, scale, grey);
        }
    }
    int count(int grey) const
    {
        int n = 0;
        for (int g : greys) n += g == grey;
        return n;
    }
};

// "" when the pictures are equal, else how many pixels differ and the first.
inline std::string difference(const Picture& got, const Picture& want)
{
    int differing = 0;
    std::string first;
    for (int i = 0; i < CANVAS_WIDTH * CANVAS_HEIGHT; i++) {
        if (got.greys[i] == want.greys[i]) continue;
        if (differing++ == 0)
            first = "first at (" + std::to_string(i % CANVAS_WIDTH) + ", " +
                    std::to_string(i / CANVAS_WIDTH) + "): got " + std::to_string(got.greys[i]) +
                    ", want " + std::to_string(want.greys[i]);
    }
    return differing == 0 ? "" : std::to_string(differing) + " pixels differ, " + first;
}

inline Picture picture_from_rgb(const uint8_t* rgb)
{
    Picture picture;
    for (int i = 0; i < CANVAS_WIDTH * CANVAS_HEIGHT; i++) {
        const uint8_t* p = rgb + 3 * i;
        picture.greys[i] = p[0] == p[1] && p[1] == p[2] ? p[0] : -1;
    }
    return picture;
}

// A fresh 640 x 480 software-rendered canvas per test, cleared to black.
class CanvasTest : public ::testing::Test {
protected:
    Canvas canvas;
    SDL_Renderer* renderer = nullptr;

    void SetUp() override
    {
        ASSERT_TRUE(canvas_open(canvas)) << SDL_GetError();
        renderer = canvas.renderer;
        clear();
    }
    void TearDown() override { canvas_close(canvas); }

    void clear()
    {
        SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
        SDL_RenderClear(renderer);
    }
    Picture read()
    {
        std::vector<uint8_t> rgb(CANVAS_RGB_BYTES);
        EXPECT_TRUE(canvas_read(canvas, SDL_PIXELFORMAT_RGB24, rgb.data())) << SDL_GetError();
        return picture_from_rgb(rgb.data());
    }
    // The canvas after clearing and drawing only this text.
    Picture text_alone(int x, int y, const char* text, int scale, uint8_t grey)
    {
        clear();
        draw_text(renderer, x, y, text, scale, grey);
        return read();
    }
};
