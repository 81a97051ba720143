// The bank picker and the guide, compared pixel by pixel with exact pictures.
#include "display/canvas_size.h"
#include "display/grid_screen.h"
#include "display/guide_screen.h"
#include "display/picker_screen.h"
#include "display/picture.h"

#include <string>

namespace {

using PickerScreen = CanvasTest;
using GuideScreen = CanvasTest;

// The whole picker: the first letters of the logo (5-pixel dots from
// (262, 62)), the prompt and the three bank lines.
Picture picker_picture(int letters, int bank)
{
    const std::string logo = std::string("PLIM").substr(0, letters);
    const char* lines[3][2] = {
        {"  RAIN GLASS  ", "[ RAIN GLASS ]"},
        {"  POCKET CIRCUIT  ", "[ POCKET CIRCUIT ]"},
        {"  NIGHT WINDOW  ", "[ NIGHT WINDOW ]"},
    };
    const int xs[3] = {195, 159, 177};
    Picture picture;
    picture.text(262, 62, logo.c_str(), 5, 255);
    picture.text(219, 138, "PICK A SOUND BANK", 2, 150);
    for (int b = 0; b < 3; b++)
        picture.text(xs[b], 210 + 68 * b, lines[b][b == bank], 3, b == bank ? 255 : 125);
    return picture;
}

TEST_F(PickerScreen, LogoShowsOneMoreLetterEvery95Milliseconds)
{
    AppState state;
    state.logo_start = 5000;
    const struct {
        uint32_t elapsed;
        int letters;
    } cases[] = {{0, 1}, {94, 1}, {95, 2}, {189, 2}, {190, 3}, {284, 3}, {285, 4}, {600000, 4}};
    for (const auto& c : cases) {
        draw_picker_screen(renderer, state, 5000 + c.elapsed);
        EXPECT_EQ(difference(read(), picker_picture(c.letters, 0)), "") << c.elapsed << " ms";
    }
}

TEST_F(PickerScreen, LogoTimingIsUnsignedAcrossTheTickWrap)
{
    AppState state;
    state.logo_start = 0xFFFFFFC0u;            // 64 ms before the counter wraps
    draw_picker_screen(renderer, state, 126);  // 190 ms later
    EXPECT_EQ(difference(read(), picker_picture(3, 0)), "");

    state.logo_start = 0;
    draw_picker_screen(renderer, state, 0x80000000u);  // half the counter's range later
    EXPECT_EQ(difference(read(), picker_picture(4, 0)), "");
}

TEST_F(PickerScreen, ChosenBankIsBracketedAndBrightWhileNamesStandStill)
{
    AppState state;
    for (int bank = 0; bank < 3; bank++) {
        state.bank.store(bank);
        draw_picker_screen(renderer, state, 1000);
        EXPECT_EQ(difference(read(), picker_picture(4, bank)), "") << "bank " << bank;
    }
}

TEST_F(PickerScreen, BankTwoDimsTheFirstTwoLines)
{
    AppState state;
    state.bank.store(2);
    draw_picker_screen(renderer, state, 1000);
    Picture got = read();
    // The "R" of RAIN at x 195 + 2 x 18 and the "P" of POCKET at 159 + 36 in
    // grey 125, each after two blank cells; the "[" of NIGHT WINDOW at 177 in 255.
    EXPECT_EQ(got.at(231, 210), 125);
    EXPECT_EQ(got.at(195, 210), 0);
    EXPECT_EQ(got.at(159 + 36, 278), 125);
    EXPECT_EQ(got.at(177 + 3, 346), 255);
    EXPECT_EQ(got.count(125) + got.count(255) + got.count(150) + got.count(0),
              CANVAS_WIDTH * CANVAS_HEIGHT);
}

Picture guide_picture()
{
    const char* rows[12][2] = {
        {"D PAD", "MOVE"},
        {"SELECT + L R", "ECHO"},
        {"SELECT + U D", "SPACE"},
        {"A", "PLACE"},
        {"B", "REMOVE"},
        {"X", "EMPTY"},
        {"Y", "WOBBLE"},
        {"L1 R1", "PACE"},
        {"L2 R2", "VOICE"},
        {"START", "REST"},
        {"SELECT + X", "FRESH START"},
        {"SELECT + START", "LEAVE"},
    };
    Picture picture;
    picture.text(141, 28, "HOW TO WAKE THE GRID", 3, 255);
    picture.line_h(68, 80, 560, 90);
    for (int k = 0; k < 12; k++) {
        picture.text(76, 78 + 25 * k, rows[k][0], 2, 235);
        picture.text(390, 78 + 25 * k, rows[k][1], 2, 160);
    }
    picture.text(195, 414, "PRESS A BUTTON", 3, 255);
    return picture;
}

TEST_F(GuideScreen, DrawsTitleRuleTableAndPrompt)
{
    draw_guide_screen(renderer);
    EXPECT_EQ(difference(read(), guide_picture()), "");
}

TEST_F(GuideScreen, LooksTheSameWhateverCameBefore)
{
    AppState state;
    state.bank.store(1);
    state.grid[0][0] = 1;
    state.flash[3][3].store(1.0f);
    draw_grid_screen(renderer, state, 1234);
    SDL_SetRenderDrawColor(renderer, 200, 10, 10, 255);
    draw_guide_screen(renderer);
    EXPECT_EQ(difference(read(), guide_picture()), "");
}

}  // namespace
