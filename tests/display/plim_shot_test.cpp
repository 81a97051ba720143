// plim-shot: pictures of the three screens of a saved song, and its failures.
#include "app/core/state_file.h"
#include "display/canvas_size.h"
#include "display/grid_screen.h"
#include "display/guide_screen.h"
#include "display/picker_screen.h"
#include "display/picture.h"
#include "support/files.h"
#include "support/png.h"
#include "support/programs.h"

#include <string>
#include <vector>

namespace {

const std::string DEMO_DIR = std::string(PLIM_SOURCE_DIR) + "/examples/demo";
const char* const PICTURE_NAMES[3] = {"picker.png", "guide.png", "grid.png"};

struct Png {
    bool read = false;
    int width = 0;
    int height = 0;
    Picture picture;
};

Png read_picture(const std::string& path)
{
    PngPixels rgb = read_png(path, PNG_FORMAT_RGB);
    Png png{rgb.read, rgb.width, rgb.height, {}};
    if (png.width == CANVAS_WIDTH && png.height == CANVAS_HEIGHT)
        png.picture = picture_from_rgb(rgb.bytes.data());
    return png;
}

std::string text_of(const std::string& path)
{
    std::vector<uint8_t> bytes = read_file(path);
    return std::string(bytes.begin(), bytes.end());
}

// Runs plim-shot with args in a fresh directory; returns its exit status.
int run_shot(const TempDir& dir, const std::vector<std::string>& args, std::string& errors)
{
    Child child = start_program(built_program("plim-shot"), args, {}, dir.path, dir.path);
    int status = wait_program(child, 30000);
    errors = text_of(child.err_path);
    return status;
}

class PlimShot : public CanvasTest {
protected:
    // The demo song's screens drawn here by the program's drawing code: the
    // saved voice, logo complete, grid at rest at tick 0.
    std::vector<Picture> demo_screens()
    {
        AppState state;
        EXPECT_TRUE(format_state_path(state, DEMO_DIR.c_str()));
        load_state(state);
        state.resting.store(1);
        std::vector<Picture> screens;
        draw_picker_screen(renderer, state, 1000);
        screens.push_back(read());
        draw_guide_screen(renderer);
        screens.push_back(read());
        draw_grid_screen(renderer, state, 0);
        screens.push_back(read());
        return screens;
    }
};

TEST_F(PlimShot, WritesThreePicturesOfTheExampleSong)
{
    std::vector<Picture> want = demo_screens();
    // The demo song: 17 lit cells, NIGHT WINDOW chosen, HOLLOW KEY playing.
    EXPECT_EQ(want[2].count(242), 17 * 14 * 16);
    EXPECT_EQ(want[2].at(584 + 10 + 2, 469), 235);

    TempDir dir;
    std::string errors;
    // The output directory is made with its parents.
    ASSERT_EQ(run_shot(dir, {DEMO_DIR, dir.file("new/shots")}, errors), 0) << errors;
    for (int i = 0; i < 3; i++) {
        Png png = read_picture(dir.file("new/shots/") + PICTURE_NAMES[i]);
        ASSERT_TRUE(png.read) << PICTURE_NAMES[i];
        EXPECT_EQ(png.width, 640);
        EXPECT_EQ(png.height, 480);
        EXPECT_EQ(difference(png.picture, want[i]), "") << PICTURE_NAMES[i];
        EXPECT_FALSE(file_exists(dir.file("new/shots/") + PICTURE_NAMES[i] + ".tmp"));
    }
}

TEST_F(PlimShot, ReadmePicturesShowTheExampleSongAsDrawnToday)
{
    std::vector<Picture> want = demo_screens();
    for (int i = 0; i < 3; i++) {
        Png png = read_picture(std::string(PLIM_SOURCE_DIR) + "/docs/screens/" + PICTURE_NAMES[i]);
        ASSERT_TRUE(png.read) << PICTURE_NAMES[i];
        EXPECT_EQ(difference(png.picture, want[i]), "")
            << PICTURE_NAMES[i] << ": run plim-shot examples/demo docs/screens";
    }
}

TEST(PlimShotEmptySong, DirectoryWithoutASongShowsTheEmptySong)
{
    TempDir dir;
    std::string errors;
    ASSERT_EQ(run_shot(dir, {dir.path, dir.file("shots")}, errors), 0) << errors;
    EXPECT_NE(errors.find("drawing the empty song"), std::string::npos) << errors;
    Png grid = read_picture(dir.file("shots/grid.png"));
    ASSERT_TRUE(grid.read);
    EXPECT_EQ(grid.picture.count(242), 0);
    EXPECT_EQ(grid.picture.at(584 + 2, 469), 235);  // voice 0
}

TEST(PlimShotFailures, MissingSongDirectoryIsReported)
{
    TempDir dir;
    std::string errors;
    EXPECT_EQ(run_shot(dir, {dir.file("nowhere"), dir.file("shots")}, errors), 1);
    EXPECT_NE(errors.find("nowhere: no such directory"), std::string::npos) << errors;
    EXPECT_FALSE(file_exists(dir.file("shots")));

    // A file that is no song is not drawn as the empty song.
    write_file(dir.file("plim.state"), std::vector<uint8_t>(100, 1));
    EXPECT_EQ(run_shot(dir, {dir.path, dir.file("shots")}, errors), 1);
    EXPECT_NE(errors.find("is not a song file: 100 bytes"), std::string::npos) << errors;
    EXPECT_FALSE(file_exists(dir.file("shots")));
}

TEST(PlimShotFailures, UnusableOutputDirectoryIsReported)
{
    TempDir dir;
    write_file(dir.file("plain-file"), {1, 2, 3});
    std::string errors;
    EXPECT_EQ(run_shot(dir, {DEMO_DIR, dir.file("plain-file")}, errors), 1);
    EXPECT_NE(errors.find("plain-file"), std::string::npos) << errors;
    EXPECT_EQ(read_file(dir.file("plain-file")), (std::vector<uint8_t>{1, 2, 3}));

    EXPECT_EQ(run_shot(dir, {DEMO_DIR, dir.file("plain-file/shots")}, errors), 1);
    EXPECT_NE(errors.find("plain-file/shots"), std::string::npos) << errors;
}

TEST(PlimShotFailures, WrongArgumentsAreNamedInOneLine)
{
    TempDir dir;
    std::string errors;
    EXPECT_EQ(run_shot(dir, {DEMO_DIR}, errors), 2);
    EXPECT_EQ(errors, "plim-shot: missing OUTDIR; try plim-shot --help\n");

    // Three pictures cannot go to one stream: no directory named - either.
    EXPECT_EQ(run_shot(dir, {DEMO_DIR, "-"}, errors), 2);
    EXPECT_EQ(errors,
              "plim-shot: OUTDIR must be a directory: three pictures cannot go to one stream (-); "
              "try plim-shot --help\n");
    EXPECT_FALSE(file_exists(dir.file("-")));

    EXPECT_EQ(run_shot(dir, {DEMO_DIR, dir.file("a"), dir.file("b")}, errors), 2);
    EXPECT_EQ(errors,
              "plim-shot: one operand too many: " + dir.file("b") + "; try plim-shot --help\n");
    EXPECT_FALSE(file_exists(dir.file("a")));
}

}  // namespace
