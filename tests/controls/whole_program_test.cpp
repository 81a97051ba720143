// The real program played headless with a virtual pad: start-up, frames,
// quitting and the song it leaves in plim.state.
#include "support/files.h"
#include "support/programs.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace {

// Virtual game-controller buttons and axes, as the driver's script names them.
constexpr int C_A = 0, C_B = 1, C_X = 2, C_Y = 3, C_BACK = 4, C_START = 6, C_L1 = 9, C_R1 = 10;
constexpr int C_UP = 11, C_DOWN = 12, C_LEFT = 13, C_RIGHT = 14;
constexpr int AXIS_LEFTY = 1, AXIS_TRIGGERRIGHT = 5;

struct Song {
    uint8_t grid[8][16] = {};
    int32_t pace = 108, voice = 0, bank = 0, wobble = 0, echo = 0, space = 0;

    std::vector<uint8_t> bytes() const
    {
        std::vector<uint8_t> out(&grid[0][0], &grid[0][0] + 128);
        for (int32_t value : {pace, voice, bank, wobble, echo, space})
            for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<uint8_t>(value >> shift));
        return out;
    }
};

struct Session {
    int status = -1;
    std::string out;            // the driver's state lines
    std::vector<uint8_t> song;  // plim.state afterwards
};

// Plays script with the driver in a fresh directory; start_song, when given,
// is the plim.state found at start-up.
Session play(const std::string& mode, const std::string& script, const std::vector<uint8_t>& start_song = {})
{
    TempDir dir;
    std::string script_path = dir.file("script");
    write_file(script_path, std::vector<uint8_t>(script.begin(), script.end()));
    if (!start_song.empty()) write_file(dir.file("plim.state"), start_song);
    Child child = start_program(built_program("pad_driver"), {mode, script_path, dir.path},
                                headless_env(dir.file("out.raw")), dir.path, dir.path);
    Session run;
    run.status = wait_program(child, 60000);
    std::vector<uint8_t> out = read_file(child.out_path);
    run.out.assign(out.begin(), out.end());
    run.song = read_file(dir.file("plim.state"));
    return run;
}

std::string tap(int button) { return "tap " + std::to_string(button) + "\n"; }
std::string taps(int button, int count)
{
    std::string text;
    for (int i = 0; i < count; i++) text += tap(button);
    return text;
}

// The n-th state line the driver printed (0 first).
std::string state_line(const Session& run, int n)
{
    size_t start = 0;
    for (int i = 0; i < n && start != std::string::npos; i++) {
        start = run.out.find('\n', start);
        if (start != std::string::npos) start++;
    }
    if (start == std::string::npos || start >= run.out.size()) return "";
    return run.out.substr(start, run.out.find('\n', start) - start);
}

bool has(const std::string& line, const std::string& part) { return line.find(part) != std::string::npos; }

}  // namespace

TEST(WholeProgram, ControllerPlaysFromThePickerToASavedSong)
{
    std::string script = tap(C_DOWN)                     // bank 1
                         + tap(C_A) + "show\n"           // guide
                         + tap(C_A) + "show\n"           // grid; this A places nothing
                         + tap(C_A)                      // (0,0)
                         + taps(C_RIGHT, 4) + tap(C_A)   // (0,4)
                         + "axis " + std::to_string(AXIS_LEFTY) + " 30000\nframes 1\naxis 1 0\n"  // stick: row 1
                         + tap(C_DOWN) + tap(C_A)        // (2,4)
                         + taps(C_DOWN, 2)               // drag from (4,4) to (4,6) with A held
                         + "down 0\n" + taps(C_RIGHT, 2) + "up 0\n"
                         + tap(C_B)                      // (4,6) off again
                         + taps(C_R1, 4) + tap(C_L1)     // pace 120
                         + "axis 5 32767\naxis 5 -32768\n"  // right trigger: voice 1
                         + tap(C_Y)                      // wobble 1
                         + "down 4\n" + taps(C_RIGHT, 2) + tap(C_UP) + "up 4\n"  // echo 2, space 1
                         + tap(C_START) + "show\n" + tap(C_START) + "show\n"
                         + "down 4\ndown 6\n";           // SELECT + START
    Session run = play("controller", script);
    ASSERT_EQ(run.status, 0) << run.out;

    EXPECT_TRUE(has(state_line(run, 0), "screen=1 bank=1 voice=0")) << run.out;
    EXPECT_TRUE(has(state_line(run, 1), "screen=2 bank=1")) << run.out;
    EXPECT_TRUE(has(state_line(run, 1), "lit=0 message=ROUND LEAD")) << run.out;
    EXPECT_TRUE(has(state_line(run, 2), "resting=1")) << run.out;
    EXPECT_TRUE(has(state_line(run, 2), "message=PLIM IS LISTENING")) << run.out;
    EXPECT_TRUE(has(state_line(run, 3), "resting=0")) << run.out;
    EXPECT_TRUE(has(state_line(run, 3), "message=AWAKE")) << run.out;
    EXPECT_TRUE(has(state_line(run, 4), "row=4 col=6")) << run.out;

    Song song;
    song.grid[0][0] = song.grid[0][4] = song.grid[2][4] = song.grid[4][4] = song.grid[4][5] = 1;
    song.pace = 120;
    song.bank = 1;
    song.voice = 1;
    song.wobble = 1;
    song.echo = 2;
    song.space = 1;
    EXPECT_EQ(run.song, song.bytes());
}

TEST(WholeProgram, SelectAndXStartsTheSongOver)
{
    std::string script = tap(C_RIGHT) + tap(C_RIGHT)     // bank 2
                         + tap(C_A) + tap(C_X)           // guide, then grid
                         + tap(C_A) + tap(C_DOWN) + tap(C_A) + tap(C_X) + tap(C_A)  // EMPTY, then (1,0)
                         + taps(C_L1, 3) + tap(C_Y)
                         + "down 4\n" + tap(C_RIGHT) + tap(C_X) + "show\nup 4\n"
                         + tap(C_LEFT) + tap(C_A)        // one cell in the fresh song: (0,15)
                         + "down 6\ndown 4\n";           // START then SELECT: rest, then quit
    Session run = play("controller", script);
    ASSERT_EQ(run.status, 0) << run.out;
    EXPECT_TRUE(has(state_line(run, 0), "screen=2 bank=0 voice=0 pace=108 wobble=0 echo=0 space=0"))
        << run.out;
    EXPECT_TRUE(has(state_line(run, 0), "row=0 col=0 lit=0 message=FRESH START")) << run.out;
    EXPECT_TRUE(has(state_line(run, 1), "resting=1")) << run.out;

    Song song;
    song.grid[0][15] = 1;
    EXPECT_EQ(run.song, song.bytes());
}

TEST(WholeProgram, RawJoystickPlaysWithButtons16And40)
{
    Song start;
    start.grid[7][7] = 2;  // a lit byte that is not 1
    start.grid[6][0] = 1;
    start.pace = 100;
    start.voice = 2;  // the picker always starts on voice 0
    std::string script = tap(9) + tap(1) + "show\n"      // bank 1, guide
                         + tap(40) + "show\n"            // grid
                         + "tap 16\nshow\n"              // FRESH START on the grid
                         + tap(1) + tap(11) + tap(1) + taps(5, 2) + tap(7) + tap(7) + tap(6)
                         + "axis 0 -20000\nframes 1\naxis 0 0\n" + tap(1)  // stick left to (0,0), A darkens it
                         + "down 12\ndown 13\n";
    Session run = play("joystick", script, start.bytes());
    ASSERT_EQ(run.status, 0) << run.out;
    EXPECT_TRUE(has(state_line(run, 0), "screen=1 bank=1 voice=0 pace=100")) << run.out;
    EXPECT_TRUE(has(state_line(run, 0), "lit=2")) << run.out;
    EXPECT_TRUE(has(state_line(run, 1), "screen=2")) << run.out;
    EXPECT_TRUE(has(state_line(run, 2), "screen=2 bank=0 voice=0 pace=108 wobble=0")) << run.out;
    EXPECT_TRUE(has(state_line(run, 2), "lit=0 message=FRESH START")) << run.out;

    Song song;
    song.grid[0][1] = 1;
    song.pace = 116;
    song.voice = 1;
    EXPECT_EQ(run.song, song.bytes());
}

TEST(WholeProgram, ALoadedSongKeepsItsBytesAndGainsItsCells)
{
    Song start;
    start.grid[0][0] = 2;  // PLACE makes this 3
    start.grid[3][9] = 7;  // never written: stays 7
    start.echo = 3;
    std::string script = tap(C_A) + tap(C_A) + tap(C_A) + tap(C_RIGHT) + "down 4\ndown 6\n";
    Session run = play("controller", script, start.bytes());
    ASSERT_EQ(run.status, 0) << run.out;
    Song song = start;
    song.grid[0][0] = 3;
    EXPECT_EQ(run.song, song.bytes());
}

TEST(WholeProgram, TheKeyboardLeadsToTheGridAndEscapeQuits)
{
    Session run = play("controller", "key Right\nkey Right\nkey Left\nkey Return\nshow\nkey A\nshow\n"
                                 "key Escape\n");
    ASSERT_EQ(run.status, 0) << run.out;
    EXPECT_TRUE(has(state_line(run, 0), "screen=1 bank=1")) << run.out;
    EXPECT_TRUE(has(state_line(run, 1), "screen=2 bank=1")) << run.out;
    Song song;
    song.bank = 1;
    EXPECT_EQ(run.song, song.bytes());
}

TEST(WholeProgram, TheDriverNoticesAScriptThatNeverQuits)
{
    // Guards the tests above: a run that does not quit must not pass as one that did.
    Session run = play("controller", tap(C_A) + tap(C_B));
    EXPECT_EQ(run.status, 20);
    EXPECT_EQ(run.song.size(), 152u);
}
