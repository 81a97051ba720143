// The real program played headless with a virtual pad: start-up, frames,
// what it plays, quitting and the song it leaves in plim.state.
//
// Scripts name virtual buttons by number.  On the game controller: 0 A, 1 B,
// 2 X, 3 Y, 4 BACK (SELECT), 6 START, 9 L1, 10 R1, 11 up, 12 down, 13 left,
// 14 right; axes 0 and 1 the left stick, 5 the right trigger.  On the plain
// joystick buttons are pad numbers: 0 B, 1 A, 5 R1, 6 L2, 7 R2, 8..11 up,
// down, left, right, 12 SELECT, 13 START, 16 FRESH START.
#include "support/files.h"
#include "support/programs.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

struct Song {
    uint8_t grid[8][16] = {};
    int32_t pace = 108, voice = 0, bank = 0, wobble = 0, echo = 0, space = 0;

    std::vector<uint8_t> bytes() const
    {
        std::vector<uint8_t> out(&grid[0][0], &grid[0][0] + 128);
        for (int32_t value : {pace, voice, bank, wobble, echo, space})
            for (int shift = 0; shift < 32; shift += 8)
                out.push_back(static_cast<uint8_t>(value >> shift));
        return out;
    }
};

struct Session {
    int status = -1;
    std::vector<std::string> lines;  // the driver's state lines
    std::string out;                 // all of them, for failure messages
    std::vector<uint8_t> song;       // plim.state afterwards
    std::vector<int16_t> left;       // the left channel of everything the program played
};

// Plays script with the driver in a fresh directory; start_song, when given,
// is the plim.state found at start-up.
Session play(const std::string& mode, const std::string& script,
             const std::vector<uint8_t>& start_song = {})
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
    size_t start = 0;
    for (size_t end; (end = run.out.find('\n', start)) != std::string::npos; start = end + 1)
        run.lines.push_back(run.out.substr(start, end - start));
    run.song = read_file(dir.file("plim.state"));
    // The disk driver writes the callback's output as it is: 16-bit
    // little-endian stereo, left first.
    std::vector<uint8_t> audio = read_file(dir.file("out.raw"));
    for (size_t i = 0; i + 3 < audio.size(); i += 4)
        run.left.push_back(static_cast<int16_t>(audio[i] | audio[i + 1] << 8));
    return run;
}

// Where notes start: the first nonzero sample after at least 4000 samples of
// exact silence.  Between two notes far enough apart the output falls to
// zero, and a note's first sample is already off zero.
std::vector<size_t> note_onsets(const std::vector<int16_t>& samples)
{
    constexpr size_t QUIET_BEFORE = 4000;
    std::vector<size_t> onsets;
    size_t quiet = 0;
    for (size_t i = 0; i < samples.size(); i++) {
        if (samples[i] == 0) {
            quiet++;
            continue;
        }
        if (quiet >= QUIET_BEFORE) onsets.push_back(i);
        quiet = 0;
    }
    return onsets;
}

// Whether state line n (0 first) holds every one of parts.
bool line_has(const Session& run, size_t n, std::initializer_list<const char*> parts)
{
    if (n >= run.lines.size()) return false;
    for (const char* part : parts)
        if (run.lines[n].find(part) == std::string::npos) return false;
    return true;
}

}  // namespace

TEST(WholeProgram, ControllerPlaysFromThePickerToASavedSong)
{
    Session run = play("controller", R"(
tap 12          # picker: bank 1
tap 0           # A: the guide
show
tap 0           # A: the grid, placing nothing
show
tap 0           # (0,0)
tap 14 4
tap 0           # (0,4)
axis 1 30000    # stick down: one step to row 1
frames 1
axis 1 0
tap 12
tap 0           # (2,4)
tap 12 2
down 0          # hold A on (4,4) and drag right to (4,6)
tap 14 2
up 0
tap 1           # B: (4,6) dark again
tap 10 4        # pace 124
tap 9           # pace 120
axis 5 32767    # right trigger: voice 1
axis 5 -32768
tap 3           # wobble 1
down 4          # SELECT held: echo 2, space 1
tap 14 2
tap 11
up 4
tap 6           # START: rest
show
tap 6           # and wake
show
down 4          # SELECT + START
down 6
)");
    ASSERT_EQ(run.status, 0) << run.out;
    EXPECT_TRUE(line_has(run, 0, {"screen=1 bank=1 voice=0"})) << run.out;
    EXPECT_TRUE(line_has(run, 1, {"screen=2 bank=1", "lit=0 message=ROUND LEAD"})) << run.out;
    EXPECT_TRUE(line_has(run, 2, {"resting=1", "message=PLIM IS LISTENING"})) << run.out;
    EXPECT_TRUE(line_has(run, 3, {"resting=0", "message=AWAKE"})) << run.out;
    EXPECT_TRUE(line_has(run, 4, {"row=4 col=6"})) << run.out;

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
    Session run = play("controller", R"(
tap 14 2        # picker: bank 2
tap 0           # the guide
tap 2           # X: the grid
tap 0           # (0,0)
tap 12
tap 0           # (1,0)
tap 2           # EMPTY
tap 0           # (1,0) again
tap 9 3         # pace 96
tap 3           # wobble 1
down 4
tap 14          # echo 1
tap 2           # SELECT + X: FRESH START
show
up 4
tap 13
tap 0           # the fresh song's one cell: (0,15)
down 6          # START then SELECT: rest, then quit
down 4
)");
    ASSERT_EQ(run.status, 0) << run.out;
    EXPECT_TRUE(line_has(run, 0,
                         {"screen=2 bank=0 voice=0 pace=108 wobble=0 echo=0 space=0",
                          "row=0 col=0 lit=0 message=FRESH START"}))
        << run.out;
    EXPECT_TRUE(line_has(run, 1, {"resting=1"})) << run.out;

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
    Session run = play("joystick", R"(
tap 9           # picker: bank 1
tap 1           # A: the guide
show
tap 40          # a button without a name: the grid
show
tap 16          # FRESH START
show
tap 1           # (0,0)
tap 11
tap 1           # (0,1)
tap 5 2         # pace 116
tap 7 2         # voice 2
tap 6           # voice 1
axis 0 -20000   # stick left to (0,0)
frames 1
axis 0 0
tap 1           # A darkens it
down 12
down 13
)",
                       start.bytes());
    ASSERT_EQ(run.status, 0) << run.out;
    EXPECT_TRUE(line_has(run, 0, {"screen=1 bank=1 voice=0 pace=100", "lit=2"})) << run.out;
    EXPECT_TRUE(line_has(run, 1, {"screen=2"})) << run.out;
    EXPECT_TRUE(line_has(
        run, 2, {"screen=2 bank=0 voice=0 pace=108 wobble=0", "lit=0 message=FRESH START"}))
        << run.out;

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
    Session run = play("controller", "tap 0 3\ntap 14\ndown 4\ndown 6\n", start.bytes());
    ASSERT_EQ(run.status, 0) << run.out;
    Song song = start;
    song.grid[0][0] = 3;
    EXPECT_EQ(run.song, song.bytes());
}

TEST(WholeProgram, TheKeyboardLeadsToTheGridAndEscapeQuits)
{
    Session run = play("controller", R"(
key Right
key Right
key Left
key Return
show
key A
show
key Escape
)");
    ASSERT_EQ(run.status, 0) << run.out;
    EXPECT_TRUE(line_has(run, 0, {"screen=1 bank=1"})) << run.out;
    EXPECT_TRUE(line_has(run, 1, {"screen=2 bank=1"})) << run.out;
    Song song;
    song.bank = 1;
    EXPECT_EQ(run.song, song.bytes());
}

TEST(WholeProgram, WithoutAPadKeysAndTheTouchPadPlayTheGridAsAPadWould)
{
    // Keys by position: arrows D-pad, X A, Z B, S X, A Y, Q L1, W R1, 1 L2,
    // 2 R2, Shift SELECT, Return START; touch N is the page's pad button N.
    Session run = play("keys", R"(
hold Right      # picker: one bank step, no pad press besides
show
let Right
type Return     # the guide
hold X          # the grid, nothing placed
again X         # nor by its auto-repeat there
show
let X           # let go on the grid: nothing
hold X          # (0,0), painting
hold Right      # (0,1)
again Right     # the keyboard's own repeat: no step
let Right
hold Down       # (1,1)
let Down
let X
hold Right      # (1,2), not painted
let Right
show
type X          # pressed and released between two frames: (1,2)
type W          # pace 112
hold Left_Shift
type S          # SELECT + X: FRESH START
let Left_Shift
show
type W          # pace 112
type W          # pace 116
type Q          # pace 112
type 2          # voice 1
type 1          # voice 0
type 2          # voice 1
type A          # wobble 1
type Down       # (1,0)
touch 1         # the touch pad's A: (1,0)
hold X          # A held by a key as well: no second press
show
lift 1
let X
hold Right_Shift
touch 11        # SELECT + right: echo 1
lift 11
let Right_Shift
touch 11        # (1,1)
lift 11
hold Left_Shift # SELECT + START
hold Return
)");
    ASSERT_EQ(run.status, 0) << run.out;
    EXPECT_TRUE(line_has(run, 0, {"screen=0 bank=1"})) << run.out;
    EXPECT_TRUE(line_has(run, 1, {"screen=2 bank=1", "row=0 col=0 lit=0"})) << run.out;
    EXPECT_TRUE(line_has(run, 2, {"row=1 col=2 lit=3"})) << run.out;
    EXPECT_TRUE(line_has(run, 3,
                         {"bank=0 voice=0 pace=108 wobble=0 echo=0 space=0 resting=0",
                          "row=0 col=0 lit=0 message=FRESH START"}))
        << run.out;
    EXPECT_TRUE(line_has(run, 4, {"wobble=1 echo=0", "row=1 col=0 lit=1"})) << run.out;
    EXPECT_TRUE(line_has(run, 5, {"resting=0 row=1 col=1 lit=1"})) << run.out;

    Song song;
    song.grid[1][0] = 1;
    song.pace = 112;
    song.voice = 1;
    song.wobble = 1;
    song.echo = 1;
    EXPECT_EQ(run.song, song.bytes());
}

TEST(WholeProgram, PlacedCellsSoundEightStepsApartAtTheSetPaceUntilRest)
{
    // The waits count frames of sound written, not time: on a slow machine
    // the sound only comes later.
    Session run = play("controller", R"(
tap 0 2         # picker, guide, grid
tap 0           # (0,0)
tap 14 8
tap 0           # (0,8)
tap 10 3        # pace 120: 6000 samples a step
mark
audio 240000    # five loops of the two cells
tap 6           # rest
mark
audio 96000     # two seconds
down 4
down 6
)");
    ASSERT_EQ(run.status, 0) << run.out;
    ASSERT_TRUE(line_has(run, 0, {"mark="}) && line_has(run, 1, {"mark="})) << run.out;
    size_t paced = std::stoul(run.lines[0].substr(5));
    size_t rested = std::stoul(run.lines[1].substr(5));
    // Sound reaches the file a few buffers after it is played, so the new
    // pace holds for every note started a step or more after the mark.
    std::vector<size_t> onsets;
    for (size_t onset : note_onsets(run.left))
        if (onset > paced + 6000) onsets.push_back(onset);
    ASSERT_GE(onsets.size(), 4u) << "heard " << onsets.size() << " notes at the new pace in "
                                 << run.left.size() << " samples";
    for (size_t i = 1; i < onsets.size() && onsets[i] < rested; i++) {
        long gap = static_cast<long>(onsets[i] - onsets[i - 1]);
        EXPECT_NEAR(gap, 48000, 2) << "between notes " << i - 1 << " and " << i;
    }
    // Resting stopped the clock: two seconds without a note before the end.
    EXPECT_LT(onsets.back(), rested + 6000);
    EXPECT_GE(run.left.size() - onsets.back(), 72000u);
}

TEST(WholeProgram, TheDriverNoticesAScriptThatNeverQuits)
{
    // Guards the tests above: a run that does not quit must not pass as one that did.
    Session run = play("controller", "tap 0\ntap 1\n");
    EXPECT_EQ(run.status, 20);
    EXPECT_EQ(run.song.size(), 152u);
}
