// Loading, saving and the debounced save of the song file.
#include "app/core/state_file.h"

#include "app/core/ticks.h"
#include "support/files.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdint>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr size_t PACE_AT = 128, VOICE_AT = 132, BANK_AT = 136, WOBBLE_AT = 140, ECHO_AT = 144,
                 SPACE_AT = 148;

void put_i32(std::vector<uint8_t>& bytes, size_t offset, int32_t value)
{
    uint32_t v = static_cast<uint32_t>(value);
    for (int i = 0; i < 4; i++) bytes[offset + i] = static_cast<uint8_t>(v >> (8 * i));
}

int32_t get_i32(const std::vector<uint8_t>& bytes, size_t offset)
{
    uint32_t v = 0;
    for (int i = 0; i < 4; i++) v |= static_cast<uint32_t>(bytes[offset + i]) << (8 * i);
    return static_cast<int32_t>(v);
}

// An image of the given size with a recognisable grid and every setting away
// from its default; one shorter than the grid is all zeros.
std::vector<uint8_t> song_image(size_t size)
{
    std::vector<uint8_t> bytes(size, 0);
    if (size < 128) return bytes;
    bytes[0] = 1;    // row 0, column 0
    bytes[127] = 1;  // row 7, column 15
    bytes[37] = 7;   // row 2, column 5: a lit byte that is not 1
    if (size >= 136) {
        put_i32(bytes, PACE_AT, 140);
        put_i32(bytes, VOICE_AT, 2);
    }
    if (size >= 144) {
        put_i32(bytes, BANK_AT, 1);
        put_i32(bytes, WOBBLE_AT, 2);
    }
    if (size >= 152) {
        put_i32(bytes, ECHO_AT, 3);
        put_i32(bytes, SPACE_AT, 1);
    }
    return bytes;
}

struct Loaded {
    int grid_00, grid_7f, grid_25;
    int32_t pace, voice, bank, wobble, echo, space;
};

constexpr size_t NO_FILE = SIZE_MAX;

// A song file: song_image(size) with some settings then overwritten, or no
// file at all; and everything loading it must give.
struct LoadCase {
    const char* name;
    size_t size;
    std::vector<std::pair<size_t, int32_t>> puts;
    Loaded want;
};

// The grid song_image draws, and the start values of the settings.
// A failing case is shown by its name.
void PrintTo(const LoadCase& c, std::ostream* out) { *out << c.name; }

constexpr Loaded IMAGE_GRID_AND_DEFAULTS = {1, 1, 7, 108, 0, 0, 0, 0, 0};
constexpr Loaded ALL_DEFAULTS = {0, 0, 0, 108, 0, 0, 0, 0, 0};

const LoadCase LOAD_CASES[] = {
    // --- Sizes ---
    {"A152ByteFileLoadsGridAndAllSixSettings", 152, {}, {1, 1, 7, 140, 2, 1, 2, 3, 1}},
    {"A144ByteFileKeepsEchoAndSpaceAtZero", 144, {}, {1, 1, 7, 140, 2, 1, 2, 0, 0}},
    {"A136ByteFileHoldsGridPaceAndVoiceOnly", 136, {}, {1, 1, 7, 140, 2, 0, 0, 0, 0}},
    // Other sizes and missing files are ignored whole.
    {"A151ByteFileIsIgnored", 151, {}, ALL_DEFAULTS},
    {"A153ByteFileIsIgnored", 153, {}, ALL_DEFAULTS},
    {"AnEmptyFileIsIgnored", 0, {}, ALL_DEFAULTS},
    {"NoFileGivesTheDefaults", NO_FILE, {}, ALL_DEFAULTS},
    // --- Ranges ---
    // Each setting out of range keeps its own default; its neighbours are
    // taken regardless.
    {"EachSettingOutOfRangeKeepsItsOwnDefault",
     152,
     {{PACE_AT, 200}, {ECHO_AT, 2}},
     {1, 1, 7, 108, 2, 1, 2, 2, 1}},
    {"NegativeValuesReadAsUnsignedAreOutOfRange",
     152,
     {{PACE_AT, -2147483647 - 1},
      {VOICE_AT, -1},
      {BANK_AT, -1},
      {WOBBLE_AT, -1},
      {ECHO_AT, -1},
      {SPACE_AT, -1}},
     IMAGE_GRID_AND_DEFAULTS},
    {"TheLimitsOfEachRangeAreAccepted",
     152,
     {{PACE_AT, 60}, {ECHO_AT, 3}, {SPACE_AT, 3}},
     {1, 1, 7, 60, 2, 1, 2, 3, 3}},
    {"JustPastTheLimitsIsOutOfRange",
     152,
     {{PACE_AT, 180}, {VOICE_AT, 3}, {ECHO_AT, 3}, {SPACE_AT, 4}},
     {1, 1, 7, 180, 0, 1, 2, 3, 0}},
};

}  // namespace

struct StateFileLoad : ::testing::TestWithParam<LoadCase> {};

TEST_P(StateFileLoad, GivesGridAndSettings)
{
    const LoadCase& load = GetParam();
    TempDir dir;
    if (load.size != NO_FILE) {
        std::vector<uint8_t> bytes = song_image(load.size);
        for (auto [offset, value] : load.puts) put_i32(bytes, offset, value);
        write_file(dir.file("plim.state"), bytes);
    }
    AppState state;
    ASSERT_TRUE(format_state_path(state, dir.path.c_str()));
    load_state(state);
    EXPECT_EQ(state.grid[0][0], load.want.grid_00);
    EXPECT_EQ(state.grid[7][15], load.want.grid_7f);
    EXPECT_EQ(state.grid[2][5], load.want.grid_25);
    EXPECT_EQ(state.pace.load(), load.want.pace);
    EXPECT_EQ(state.voice.load(), load.want.voice);
    EXPECT_EQ(state.bank.load(), load.want.bank);
    EXPECT_EQ(state.wobble.load(), load.want.wobble);
    EXPECT_EQ(state.echo.load(), load.want.echo);
    EXPECT_EQ(state.space.load(), load.want.space);
}

INSTANTIATE_TEST_SUITE_P(Files, StateFileLoad, ::testing::ValuesIn(LOAD_CASES),
                         [](const ::testing::TestParamInfo<LoadCase>& info) {
                             return std::string(info.param.name);
                         });

TEST(StateFileSizes, AnOlderFileIsWrittenBackAtFullSize)
{
    TempDir dir;
    write_file(dir.file("plim.state"), song_image(144));
    AppState state;
    ASSERT_TRUE(format_state_path(state, dir.path.c_str()));
    load_state(state);
    ASSERT_TRUE(save_state(state));

    std::vector<uint8_t> saved = read_file(dir.file("plim.state"));
    ASSERT_EQ(saved.size(), 152u);
    EXPECT_EQ(get_i32(saved, WOBBLE_AT), 2);
    EXPECT_EQ(get_i32(saved, ECHO_AT), 0);
    EXPECT_EQ(get_i32(saved, SPACE_AT), 0);
}

TEST(StateFileGrid, ByteSevenIsLitAndWrittenBackAsSeven)
{
    TempDir dir;
    write_file(dir.file("plim.state"), song_image(152));
    AppState state;
    ASSERT_TRUE(format_state_path(state, dir.path.c_str()));
    load_state(state);
    EXPECT_EQ(state.grid[2][5], 7);

    state.grid[0][0] = 0;  // a different cell changes
    ASSERT_TRUE(save_state(state));
    std::vector<uint8_t> saved = read_file(dir.file("plim.state"));
    ASSERT_EQ(saved.size(), 152u);
    EXPECT_EQ(saved[37], 7);
    EXPECT_EQ(saved[0], 0);
}

TEST(StateFileSave, ImageLayoutPutsVoiceBeforeBank)
{
    TempDir dir;
    AppState state;
    ASSERT_TRUE(format_state_path(state, dir.path.c_str()));
    state.grid[3][4] = 1;
    state.pace.store(96);
    state.bank.store(2);
    state.voice.store(1);
    state.wobble.store(1);
    state.echo.store(2);
    state.space.store(3);
    ASSERT_TRUE(save_state(state));

    std::vector<uint8_t> saved = read_file(dir.file("plim.state"));
    ASSERT_EQ(saved.size(), 152u);
    EXPECT_EQ(saved[3 * 16 + 4], 1);
    EXPECT_EQ(get_i32(saved, PACE_AT), 96);
    EXPECT_EQ(get_i32(saved, VOICE_AT), 1);
    EXPECT_EQ(get_i32(saved, BANK_AT), 2);
    EXPECT_EQ(get_i32(saved, WOBBLE_AT), 1);
    EXPECT_EQ(get_i32(saved, ECHO_AT), 2);
    EXPECT_EQ(get_i32(saved, SPACE_AT), 3);
    EXPECT_FALSE(file_exists(dir.file("plim.state.tmp")));
}

TEST(StateFileSave, AFailedSaveLeavesTheOldFileWhole)
{
    TempDir dir;
    std::vector<uint8_t> old_song = song_image(152);
    write_file(dir.file("plim.state"), old_song);
    // The temporary file cannot be created where a directory stands, even for root.
    ASSERT_EQ(mkdir(dir.file("plim.state.tmp").c_str(), 0755), 0);

    AppState state;
    ASSERT_TRUE(format_state_path(state, dir.path.c_str()));
    state.pace.store(72);
    EXPECT_FALSE(save_state(state));
    EXPECT_EQ(read_file(dir.file("plim.state")), old_song);
}

TEST(StateFileSave, ADirectoryNobodyCanWriteSavesNothing)
{
    // /proc takes no new files, whatever the user.
    AppState state;
    ASSERT_TRUE(format_state_path(state, "/proc"));
    EXPECT_FALSE(save_state(state));
    EXPECT_FALSE(file_exists("/proc/plim.state"));
    EXPECT_FALSE(file_exists("/proc/plim.state.tmp"));
}

TEST(StateFileSave, ADirectoryTooLongForThePathIsNeverCutShort)
{
    // Nested folders whose path plus "/plim.state" overflows the 1024-byte
    // buffer by four bytes: cut short it would read "<dir>/plim.st".
    TempDir top;
    std::string dir = top.path;
    while (dir.size() < 1016 - 101) {
        dir += "/" + std::string(100, 'd');
        ASSERT_EQ(mkdir(dir.c_str(), 0755), 0);
    }
    dir += "/" + std::string(1016 - dir.size() - 1, 'e');
    ASSERT_EQ(mkdir(dir.c_str(), 0755), 0);
    ASSERT_EQ(dir.size(), 1016u);
    std::vector<uint8_t> bystander = {'k', 'e', 'e', 'p'};
    write_file(dir + "/plim.st", bystander);

    AppState state;
    EXPECT_FALSE(format_state_path(state, dir.c_str()));
    EXPECT_STREQ(state.state_path, "");
    load_state(state);
    EXPECT_FALSE(save_state(state));
    EXPECT_EQ(read_file(dir + "/plim.st"), bystander);
    EXPECT_FALSE(file_exists(dir + "/plim.st.tmp"));

    // One byte shorter fits exactly and works.
    AppState fits;
    std::string shorter = dir.substr(0, dir.size() - 4);
    ASSERT_EQ(mkdir(shorter.c_str(), 0755), 0);
    EXPECT_TRUE(format_state_path(fits, shorter.c_str()));
    EXPECT_EQ(std::string(fits.state_path), shorter + "/plim.state");
    EXPECT_TRUE(save_state(fits));
}

TEST(StateFileDebounce, FourChangesAHundredMsApartGiveOneWriteHalfASecondAfterTheLast)
{
    TempDir dir;
    AppState state;
    ASSERT_TRUE(format_state_path(state, dir.path.c_str()));
    std::vector<int32_t> writes;
    const int32_t start = 5000;
    for (int32_t now = start; now <= start + 3000; now++) {
        if (now == start || now == start + 100 || now == start + 200 || now == start + 300) {
            state.pace.store(state.pace.load() + 4);
            mark_dirty(state, now);
        }
        save_if_due(state, now);
        if (file_exists(dir.file("plim.state"))) {
            writes.push_back(now);
            std::remove(dir.file("plim.state").c_str());
        }
    }
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_EQ(writes[0], start + 800);
    EXPECT_EQ(state.dirty, 0);
}

TEST(StateFileDebounce, TheDeadlineSurvivesTheTickCounterWrapping)
{
    TempDir dir;
    AppState state;
    ASSERT_TRUE(format_state_path(state, dir.path.c_str()));
    const int32_t now = 2147483647 - 100;  // 400 ms after this the signed counter wraps
    mark_dirty(state, now);
    save_if_due(state, ticks_after(now, 499));
    EXPECT_FALSE(file_exists(dir.file("plim.state")));
    save_if_due(state, ticks_after(now, 500));
    EXPECT_TRUE(file_exists(dir.file("plim.state")));
}

TEST(StateFileDebounce, AFailedSaveIsNotRetriedUntilTheNextChange)
{
    TempDir dir;
    ASSERT_EQ(mkdir(dir.file("plim.state.tmp").c_str(), 0755), 0);
    AppState state;
    ASSERT_TRUE(format_state_path(state, dir.path.c_str()));
    mark_dirty(state, 0);
    save_if_due(state, 500);
    EXPECT_EQ(state.dirty, 0);
    EXPECT_FALSE(file_exists(dir.file("plim.state")));

    ASSERT_EQ(rmdir(dir.file("plim.state.tmp").c_str()), 0);
    save_if_due(state, 2000);
    EXPECT_FALSE(file_exists(dir.file("plim.state")));
    mark_dirty(state, 2000);
    save_if_due(state, 2500);
    EXPECT_EQ(read_file(dir.file("plim.state")).size(), 152u);
}
