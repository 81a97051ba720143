// The grid screen, compared pixel by pixel with exact pictures.
#include "display/grid_screen.h"
#include "display/canvas_size.h"
#include "display/guide_screen.h"
#include "display/picker_screen.h"
#include "display/picture.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace {

using GridScreen = CanvasTest;

struct Look {
    const char* status = "RAIN GLASS : SOFT MALLET";
    int status_grey = 150;
    int lit_bars = 3;
    int playhead_x = -1;  // none
};

// The grid screen with lit blocks at rest and no flashes.
Picture grid_picture(const AppState& state, const Look& look = {})
{
    Picture p;
    for (int k = 0; k <= 16; k++) p.line_v(32 + 36 * k, 56, 392, 58);
    for (int k = 0; k <= 8; k++) p.line_h(56 + 42 * k, 32, 608, 58);
    if (look.playhead_x >= 0) p.line_v(look.playhead_x, 44, 404, 150);
    for (int r = 0; r < 8; r++) {
        for (int c = 0; c < 16; c++) {
            if (state.grid[r][c]) p.fill(43 + 36 * c, 69 + 42 * r, 14, 16, 242);
            if (c == state.cursor_col && r == state.cursor_row)
                p.outline(36 + 36 * c, 61 + 42 * r, 28, 32, 255);
        }
    }
    p.text((642 - 12 * static_cast<int>(std::strlen(look.status))) / 2, 428, look.status, 2,
           look.status_grey);
    for (int i = 0; i < 7; i++) p.fill(32 + 12 * i, 470, 7, 2, i < look.lit_bars ? 220 : 58);
    for (int j = 0; j < 3; j++) p.fill(584 + 10 * j, 467, 5, 5, j == state.voice.load() ? 235 : 58);
    return p;
}

void light(AppState& state, std::initializer_list<std::pair<int, int>> cells)
{
    for (auto [c, r] : cells) state.grid[r][c] = 1;
}

// How far the lit block of cell (c, r) stands from its rest position; the
// block must be one whole 14 x 16 rectangle inside the cell.
int block_sway(const Picture& p, int c, int r)
{
    int top = 69 + 42 * r;
    int left = -1;
    for (int x = 33 + 36 * c; x < 32 + 36 * (c + 1); x++) {
        if (p.at(x, top + 8) == 242) {
            left = x;
            break;
        }
    }
    if (left < 0) return INT_MIN;
    for (int y = top - 1; y <= top + 16; y++) {
        for (int x = left - 1; x <= left + 14; x++) {
            bool inside = y >= top && y < top + 16 && x >= left && x < left + 14;
            if ((p.at(x, y) == 242) != inside) return INT_MIN;
        }
    }
    return left - (43 + 36 * c);
}

TEST_F(GridScreen, AtRestDrawsLinesBlocksCursorStatusPaceAndVoice)
{
    AppState state;
    state.resting.store(1);
    light(state, {{0, 0}, {15, 0}, {7, 3}, {0, 7}, {15, 7}});
    state.grid[2][9] = 7;  // any nonzero byte is lit
    for (int32_t now : {0, 777, 123456, -5}) {
        draw_grid_screen(renderer, state, now);
        EXPECT_EQ(difference(read(), grid_picture(state)), "") << "at " << now;
    }
}

TEST_F(GridScreen, CursorOutlinesTheCellInWhite)
{
    AppState state;
    state.resting.store(1);
    state.cursor_col = 15;
    state.cursor_row = 7;
    draw_grid_screen(renderer, state, 0);
    Picture got = read();
    EXPECT_EQ(difference(got, grid_picture(state)), "");
    EXPECT_EQ(got.at(576, 355), 255);
    EXPECT_EQ(got.at(603, 386), 255);
    EXPECT_EQ(got.at(577, 356), 0);

    state.cursor_col = 0;
    state.cursor_row = 0;
    draw_grid_screen(renderer, state, 0);
    got = read();
    EXPECT_EQ(got.at(36, 61), 255);
    EXPECT_EQ(got.at(63, 92), 255);
    EXPECT_EQ(got.at(35, 61), 0);
}

TEST_F(GridScreen, PlayheadStandsAtThePartOfTheStepPlayed)
{
    AppState state;  // pace 108, wobble 0: a step is 6666.67 samples
    const struct {
        int step;
        double pos;
        int x;
    } cases[] = {{0, 0.0, 32}, {15, 6666.0, 607}, {4, 5000.0, 203}, {4, 3333.33, 193}};
    for (const auto& c : cases) {
        state.step.store(c.step);
        state.step_pos.store(c.pos);
        draw_grid_screen(renderer, state, 0);
        Look look;
        look.playhead_x = c.x;
        EXPECT_EQ(difference(read(), grid_picture(state, look)), "") << c.step << " " << c.pos;
    }
}

TEST_F(GridScreen, PlayheadIsNotHeldInsideItsColumnAfterThePaceRose)
{
    AppState state;
    state.pace.store(180);  // a step of 4000 samples
    state.step.store(3);
    state.step_pos.store(6000.0);  // left from the slower pace
    draw_grid_screen(renderer, state, 0);
    Look look;
    look.lit_bars = 7;
    look.playhead_x = 32 + 162;
    EXPECT_EQ(difference(read(), grid_picture(state, look)), "");
}

TEST_F(GridScreen, NoPlayheadWhileResting)
{
    AppState state;
    state.resting.store(1);
    state.step.store(4);
    state.step_pos.store(5000.0);
    draw_grid_screen(renderer, state, 0);
    Picture got = read();
    EXPECT_EQ(difference(got, grid_picture(state)), "");
    for (int x = 0; x < CANVAS_WIDTH; x++) ASSERT_EQ(got.at(x, 44), 0) << x;
}

TEST_F(GridScreen, BlocksSwayByTheCutSineOfTheirPhase)
{
    AppState state;
    state.resting.store(1);
    light(state, {{0, 0}, {2, 0}, {0, 4}});
    // At tick 0 the phase is 0.8 c + r: sin 0 = 0, sin 1.6 = 0.9996 and
    // sin 4 = -0.7568; the product is cut toward zero.
    const struct {
        int wobble;
        int sways[3];
    } cases[] = {{0, {0, 0, 0}}, {1, {0, 3, -3}}, {2, {0, 6, -5}}};
    for (const auto& c : cases) {
        state.wobble.store(c.wobble);
        draw_grid_screen(renderer, state, 0);
        Picture got = read();
        EXPECT_EQ(block_sway(got, 0, 0), c.sways[0]) << "wobble " << c.wobble;
        EXPECT_EQ(block_sway(got, 2, 0), c.sways[1]) << "wobble " << c.wobble;
        EXPECT_EQ(block_sway(got, 0, 4), c.sways[2]) << "wobble " << c.wobble;
    }
    // 1000 ms on, cell (0, 0) has the phase 4.
    state.wobble.store(2);
    draw_grid_screen(renderer, state, 1000);
    EXPECT_EQ(block_sway(read(), 0, 0), -5);
}

TEST_F(GridScreen, SwayStaysWithinItsAmplitudeAndDarkCellsNeverMove)
{
    for (int wobble : {1, 2}) {
        const int amplitude = wobble == 1 ? 4 : 7;
        AppState state;
        state.resting.store(1);
        state.wobble.store(wobble);
        std::memset(state.grid, 1, sizeof state.grid);
        state.grid[3][6] = 0;  // one dark cell with a flash and the cursor
        state.cursor_col = 6;
        state.cursor_row = 3;
        int lowest = 0, highest = 0;
        for (int32_t now = 0; now < 1600; now += 80) {
            state.flash[3][6].store(1.0f);
            draw_grid_screen(renderer, state, now);
            Picture got = read();
            for (int r = 0; r < 8; r++) {
                for (int c = 0; c < 16; c++) {
                    if (!state.grid[r][c]) continue;
                    int sway = block_sway(got, c, r);
                    ASSERT_LE(std::abs(sway), amplitude) << c << "," << r << " at " << now;
                    lowest = std::min(lowest, sway);
                    highest = std::max(highest, sway);
                }
            }
            // The dark cell's flash outline and cursor stand where they always do.
            Picture want;
            want.outline(32 + 36 * 6 + 7, 56 + 42 * 3 + 8, 22, 26, 235);
            want.outline(32 + 36 * 6 + 4, 56 + 42 * 3 + 5, 28, 32, 255);
            for (int y = 56 + 42 * 3 + 1; y < 56 + 42 * 4; y++)
                for (int x = 32 + 36 * 6 + 1; x < 32 + 36 * 7; x++)
                    ASSERT_EQ(got.at(x, y), want.at(x, y)) << x << "," << y << " at " << now;
        }
        EXPECT_EQ(lowest, -(amplitude - 1)) << "wobble " << wobble;
        EXPECT_EQ(highest, amplitude - 1) << "wobble " << wobble;
    }
}

TEST_F(GridScreen, SwayRunsOnSmoothlyWhenTheSignedTickTurnsNegative)
{
    AppState state;
    state.resting.store(1);
    state.wobble.store(2);
    std::memset(state.grid, 1, sizeof state.grid);
    draw_grid_screen(renderer, state, INT32_MAX);
    Picture before = read();
    draw_grid_screen(renderer, state, INT32_MIN);  // 1 ms later for SDL's unsigned counter
    Picture after = read();
    for (int r = 0; r < 8; r++)
        for (int c = 0; c < 16; c++)
            EXPECT_LE(std::abs(block_sway(after, c, r) - block_sway(before, c, r)), 1)
                << c << "," << r;
}

TEST_F(GridScreen, FlashShowsOnExactly24FramesInFadingGreys)
{
    const int greys[24] = {235, 214, 197, 182, 169, 158, 148, 140, 133, 127, 122, 117,
                           113, 110, 107, 105, 102, 101, 99,  98,  97,  96,  95,  94};
    AppState state;
    state.resting.store(1);  // flashes under way fade while resting too
    state.flash[2][5].store(1.0f);
    float level_after_24 = 0.0f;
    for (int frame = 0; frame < 30; frame++) {
        draw_grid_screen(renderer, state, 0);
        Picture want = grid_picture(state);
        if (frame < 24) want.outline(39 + 36 * 5, 64 + 42 * 2, 22, 26, greys[frame]);
        EXPECT_EQ(difference(read(), want), "") << "frame " << frame;
        if (frame == 23) level_after_24 = state.flash[2][5].load();
    }
    EXPECT_LT(level_after_24, 0.03f);
    EXPECT_GT(level_after_24, 0.026f);
    EXPECT_EQ(state.flash[2][5].load(), level_after_24);  // no longer fades
}

TEST_F(GridScreen, FlashAtExactlyTheFloorIsNeitherDrawnNorFaded)
{
    AppState state;
    state.resting.store(1);
    state.flash[0][3].store(0.03f);
    state.flash[1][3].store(0.0300001f);
    draw_grid_screen(renderer, state, 0);
    Picture want = grid_picture(state);
    want.outline(39 + 36 * 3, 64 + 42, 22, 26, 94);
    EXPECT_EQ(difference(read(), want), "");
    EXPECT_EQ(state.flash[0][3].load(), 0.03f);
    EXPECT_EQ(state.flash[1][3].load(), 0.0300001f * 0.86f);
}

TEST_F(GridScreen, FlashesNeitherDrawnNorFadedOnTheOtherScreens)
{
    AppState state;
    state.flash[4][4].store(1.0f);
    draw_picker_screen(renderer, state, 0);
    draw_guide_screen(renderer);
    EXPECT_EQ(state.flash[4][4].load(), 1.0f);
}

TEST_F(GridScreen, LaterDrawingCoversEarlier)
{
    AppState state;
    state.step.store(0);
    state.step_pos.store(1300.0);  // playhead at x 39, under cell (0, 0)'s flash edge
    state.flash[0][0].store(1.0f);
    draw_grid_screen(renderer, state, 0);
    Picture got = read();
    EXPECT_EQ(got.at(39, 56), 150);  // playhead over the grid line
    EXPECT_EQ(got.at(39, 63), 150);
    EXPECT_EQ(got.at(39, 64), 235);  // flash outline over the playhead

    state.step_pos.store(750.0);  // playhead at x 36, the cursor's left edge
    draw_grid_screen(renderer, state, 0);
    got = read();
    EXPECT_EQ(got.at(36, 60), 150);
    EXPECT_EQ(got.at(36, 61), 255);
    EXPECT_EQ(got.at(36, 92), 255);
    EXPECT_EQ(got.at(36, 93), 150);

    state.resting.store(1);
    state.wobble.store(2);
    light(state, {{0, 4}});  // swayed 5 left at tick 0, over its flash's left edge
    state.flash[4][0].store(1.0f);
    draw_grid_screen(renderer, state, 0);
    got = read();
    EXPECT_EQ(got.at(39, 233), 235);  // the flash outline of (0, 4)
    EXPECT_EQ(got.at(39, 240), 242);  // the lit block over it
}

TEST_F(GridScreen, MessageShowsUntilItsTickThenTheNamesReturn)
{
    AppState state;
    state.resting.store(1);
    std::strcpy(state.message, "Echo 2");  // lower case is drawn in capitals
    state.message_until = 1001;
    Look message;
    message.status = "ECHO 2";
    message.status_grey = 235;
    draw_grid_screen(renderer, state, 1000);
    EXPECT_EQ(difference(read(), grid_picture(state, message)), "");
    draw_grid_screen(renderer, state, 1001);
    EXPECT_EQ(difference(read(), grid_picture(state)), "");

    // Ticks compared as signed 32-bit differences, across the wrap.
    state.message_until = INT32_MIN + 10;
    draw_grid_screen(renderer, state, INT32_MAX - 10);
    EXPECT_EQ(difference(read(), grid_picture(state, message)), "");
    draw_grid_screen(renderer, state, INT32_MIN + 10);
    EXPECT_EQ(difference(read(), grid_picture(state)), "");

    state.message[0] = '\0';
    state.message_until = 5000;
    draw_grid_screen(renderer, state, 1000);
    EXPECT_EQ(difference(read(), grid_picture(state)), "");
}

TEST_F(GridScreen, FallbackNamesTheBankAndInstrument)
{
    AppState state;
    state.resting.store(1);
    state.bank.store(1);
    draw_grid_screen(renderer, state, 0);
    Look look;
    look.status = "POCKET CIRCUIT : ROUND LEAD";
    Picture want = grid_picture(state, look);
    EXPECT_EQ(difference(read(), want), "");
    EXPECT_EQ(want.at(159, 428), 150);  // the P's top-left dot

    state.bank.store(2);
    state.voice.store(2);
    draw_grid_screen(renderer, state, 0);
    look.status = "NIGHT WINDOW : METAL CHIME";
    EXPECT_EQ(difference(read(), grid_picture(state, look)), "");
}

TEST_F(GridScreen, PaceMeterLightsABarPer18StepsAndTheVoiceDotFollows)
{
    const struct {
        int pace;
        int bars;
    } cases[] = {{60, 1}, {77, 1}, {78, 2}, {108, 3}, {167, 6}, {168, 7}, {180, 7}};
    const char* names[3] = {"RAIN GLASS : SOFT MALLET", "RAIN GLASS : GLASS BELL",
                            "RAIN GLASS : MUTED PLUCK"};
    AppState state;
    state.resting.store(1);
    int voice = 0;
    for (const auto& c : cases) {
        state.pace.store(c.pace);
        state.voice.store(voice);  // the voice dots and names go round with it
        draw_grid_screen(renderer, state, 0);
        Look look;
        look.lit_bars = c.bars;
        look.status = names[voice];
        EXPECT_EQ(difference(read(), grid_picture(state, look)), "") << "pace " << c.pace;
        voice = (voice + 1) % 3;
    }
}

}  // namespace
