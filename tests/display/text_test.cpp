// Block-letter text, checked on the pixels of a software-rendered canvas.
#include "display/picture.h"

#include <string>

namespace {

using TextDrawing = CanvasTest;

// A glyph drawn as 7 rows of 5 characters, '#' for a dot, at scale 1 from (x, 0).
Picture glyph_art(int x, const char* const art[GLYPH_ROWS], int grey)
{
    Picture picture;
    for (int r = 0; r < GLYPH_ROWS; r++)
        for (int k = 0; k < GLYPH_COLUMNS; k++)
            if (art[r][k] == '#') picture.set(x + k, r, grey);
    return picture;
}

TEST_F(TextDrawing, EmptyTextSetsTheColourAndDrawsNothing)
{
    SDL_SetRenderDrawColor(renderer, 1, 2, 3, 4);
    draw_text(renderer, 10, 10, "", 2, 77);
    Uint8 r, g, b, a;
    SDL_GetRenderDrawColor(renderer, &r, &g, &b, &a);
    EXPECT_EQ(r, 77);
    EXPECT_EQ(g, 77);
    EXPECT_EQ(b, 77);
    EXPECT_EQ(a, 255);
    EXPECT_EQ(read().count(0), CANVAS_WIDTH * CANVAS_HEIGHT);
}

TEST_F(TextDrawing, ColourStaysSetAfterAText)
{
    draw_text(renderer, 0, 0, "A", 2, 150);
    Uint8 r, g, b, a;
    SDL_GetRenderDrawColor(renderer, &r, &g, &b, &a);
    EXPECT_EQ(r, 150);
    EXPECT_EQ(g, 150);
    EXPECT_EQ(b, 150);
    EXPECT_EQ(a, 255);
}

TEST_F(TextDrawing, LowerCaseDrawsExactlyAsCapitals)
{
    Picture capitals = text_alone(0, 0, "ABCDEFGHIJKLMNOPQRSTUVWXYZ", 3, 200);
    Picture lower = text_alone(0, 0, "abcdefghijklmnopqrstuvwxyz", 3, 200);
    EXPECT_GT(capitals.count(200), 0);
    EXPECT_EQ(difference(lower, capitals), "");
}

TEST_F(TextDrawing, AnUnknownCharacterIsABlankThatStillAdvances)
{
    Picture got = text_alone(0, 0, "A B", 2, 255);
    Picture want;
    want.text(0, 0, "A", 2, 255);
    want.text(24, 0, "B", 2, 255);
    EXPECT_EQ(difference(got, want), "");
    EXPECT_EQ(difference(text_alone(0, 0, "A-B", 2, 255), want), "");
}

TEST_F(TextDrawing, EveryByteOutsideTheFontDrawsNothingAndAdvances)
{
    // All such bytes (128..255 too), 90 to a line, each line ending in "I":
    // only the I is drawn, 6 pixels further on for every byte before it.
    const std::string drawn =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+./:[]|";
    std::string lines[3];
    int count = 0;
    for (int byte = 1; byte <= 255; byte++) {
        if (drawn.find(static_cast<char>(byte)) != std::string::npos) continue;
        lines[count++ / 90] += static_cast<char>(byte);
    }
    ASSERT_EQ(count, 255 - 69);
    Picture want;
    for (int k = 0; k < 3; k++) {
        draw_text(renderer, 0, 10 * k, (lines[k] + "I").c_str(), 1, 255);
        want.text(6 * static_cast<int>(lines[k].size()), 10 * k, "I", 1, 255);
    }
    EXPECT_EQ(difference(read(), want), "");
}

TEST_F(TextDrawing, CapitalIAtScaleTwoIsElevenSquares)
{
    Picture got = text_alone(0, 0, "I", 2, 255);
    Picture want;
    for (int x : {2, 4, 6}) want.fill(x, 0, 2, 2, 255);
    for (int y : {2, 4, 6, 8, 10}) want.fill(4, y, 2, 2, 255);
    for (int x : {2, 4, 6}) want.fill(x, 12, 2, 2, 255);
    EXPECT_EQ(got.count(255), 11 * 4);
    EXPECT_EQ(difference(got, want), "");
}

TEST_F(TextDrawing, BarAtScaleThreeIsSevenSquaresInTheMiddleColumn)
{
    Picture want;
    for (int y = 0; y <= 18; y += 3) want.fill(6, y, 3, 3, 255);
    EXPECT_EQ(difference(text_alone(0, 0, "|", 3, 255), want), "");
}

TEST_F(TextDrawing, PunctuationAndSampleGlyphsHaveTheirDots)
{
    struct Case {
        const char* text;
        const char* art[GLYPH_ROWS];
    };
    const Case cases[] = {
        {"+", {".....", ".....", "..#..", ".###.", "..#..", ".....", "....."}},
        {".", {".....", ".....", ".....", ".....", ".....", ".....", "..#.."}},
        {"/", {"....#", "...#.", "...#.", "..#..", ".#...", ".#...", "#...."}},
        {":", {".....", ".....", "..#..", ".....", ".....", "..#..", "....."}},
        {"[", {".###.", ".#...", ".#...", ".#...", ".#...", ".#...", ".###."}},
        {"]", {".###.", "...#.", "...#.", "...#.", "...#.", "...#.", ".###."}},
        {"A", {".###.", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"}},
        {"Q", {".###.", "#...#", "#...#", "#...#", "#.#.#", "#..#.", ".##.#"}},
        {"4", {"...#.", "..##.", ".#.#.", "#..#.", "#####", "...#.", "...#."}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(difference(text_alone(12, 0, c.text, 1, 180), glyph_art(12, c.art, 180)), "")
            << c.text;
}

TEST(TextCentring, CentresTheInkOnTheCanvas)
{
    EXPECT_EQ(centred_x(14, 3), 195);  // "PRESS A BUTTON"
    EXPECT_EQ(centred_x(17, 2), 219);  // "PICK A SOUND BANK"
    EXPECT_EQ(centred_x(20, 3), 141);  // "HOW TO WAKE THE GRID"
    EXPECT_EQ(centred_x(27, 2), 159);  // "POCKET CIRCUIT : ROUND LEAD"
    EXPECT_EQ(centred_x(4, 5), 262);   // the logo
    EXPECT_EQ(centred_x(0, 2), 320);
    EXPECT_EQ(centred_x(0, 3), 320);
}

}  // namespace
