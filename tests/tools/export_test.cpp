// The song export: the WAV header, its length, samples equal to the callback's, and plim-render's
// failures.
#include "sound/engine_fixture.h"

#include "app/core/state_file.h"
#include "song_export.h"
#include "support/files.h"
#include "support/programs.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <string>

struct SongSettings {
    int32_t pace = 180, bank = 1, voice = 2, wobble = 1, echo = 1, space = 2;
};

// Saves a song with a few lit cells in dir, as the program would.
static void save_song(const std::string& dir, const SongSettings& song, bool cells = true)
{
    AppState state;
    ASSERT_TRUE(format_state_path(state, dir.c_str()));
    if (cells) {
        state.grid[0][0] = 1;
        state.grid[3][4] = 1;
        state.grid[7][9] = 1;
        state.grid[5][15] = 1;
    }
    state.pace.store(song.pace);
    state.bank.store(song.bank);
    state.voice.store(song.voice);
    state.wobble.store(song.wobble);
    state.echo.store(song.echo);
    state.space.store(song.space);
    ASSERT_TRUE(save_state(state));
}

static uint32_t u32_at(const std::vector<uint8_t>& bytes, size_t at)
{
    return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 |
           static_cast<uint32_t>(bytes[at + 3]) << 24;
}

static uint16_t u16_at(const std::vector<uint8_t>& bytes, size_t at)
{
    return static_cast<uint16_t>(bytes[at] | bytes[at + 1] << 8);
}

static Samples wav_samples(const std::vector<uint8_t>& bytes)
{
    Samples samples((bytes.size() - WAV_HEADER_SIZE) / 2);
    for (size_t i = 0; i < samples.size(); i++)
        samples[i] = static_cast<int16_t>(u16_at(bytes, WAV_HEADER_SIZE + 2 * i));
    return samples;
}

// The engine as the export starts it, for the same song.
static void start_like_export(AppState& state, const std::string& dir)
{
    ASSERT_TRUE(format_state_path(state, dir.c_str()));
    load_state(state);
    state.screen.store(SCREEN_GRID);
    limiter_env = 0.0;
}

// The frame on which the clock, running from the grid's opening, starts step
// 0 for the (loops + 1)th time: where the export stops it.
static int clock_stop_frame(const std::string& dir, int loops)
{
    Engine probe;
    start_like_export(probe.state, dir);
    Uint8 frame[4];
    int step_zero_starts = 0;
    for (int frames = 0;; frames++) {
        int32_t before = probe.state.step.load();
        audio_callback(&probe.state, frame, sizeof frame);
        if (probe.state.step.load() == 0 && before == 15 && ++step_zero_starts == loops + 1)
            return frames;
    }
}

TEST(Export, TheHeaderDescribes16BitStereoAt48kHz)
{
    TempDir dir;
    save_song(dir.path, SongSettings{});
    std::string out = dir.file("song.wav");
    ExportResult result = export_song(dir.path.c_str(), out.c_str(), 1);
    ASSERT_EQ(result.status, EXPORT_DONE);
    std::vector<uint8_t> bytes = read_file(out);
    ASSERT_GT(bytes.size(), 44u);
    uint32_t data_bytes = static_cast<uint32_t>(bytes.size()) - 44;
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "RIFF");
    EXPECT_EQ(u32_at(bytes, 4), 36 + data_bytes);
    EXPECT_EQ(std::string(bytes.begin() + 8, bytes.begin() + 16), "WAVEfmt ");
    EXPECT_EQ(u32_at(bytes, 16), 16u);
    EXPECT_EQ(u16_at(bytes, 20), 1);  // PCM
    EXPECT_EQ(u16_at(bytes, 22), 2);  // channels
    EXPECT_EQ(u32_at(bytes, 24), 48000u);
    EXPECT_EQ(u32_at(bytes, 28), 192000u);
    EXPECT_EQ(u16_at(bytes, 32), 4);
    EXPECT_EQ(u16_at(bytes, 34), 16);
    EXPECT_EQ(std::string(bytes.begin() + 36, bytes.begin() + 40), "data");
    EXPECT_EQ(u32_at(bytes, 40), data_bytes);
    EXPECT_EQ(data_bytes, result.frames * 4);
    EXPECT_FALSE(file_exists(out + ".tmp"));
}

// Lead-in, two passes and the tail, sample for sample what the callback plays
// for the same song, with the instrument the player last chose (voice 2).
TEST(Export, SamplesEqualTheCallbacksThroughTheLoopsAndTheTail)
{
    TempDir dir;
    save_song(dir.path, SongSettings{});
    int stop = clock_stop_frame(dir.path, 2);
    // Step 15 of bank 1 at wobble 1 is 3608 samples, so step 0 starts on frame
    // 3607; two passes of 16 x 4000 samples follow.
    EXPECT_NEAR(stop, 3607 + 2 * 16 * 4000, 1);

    limiter_env = 0.0;
    std::string out = dir.file("song.wav");
    ExportResult result = export_song(dir.path.c_str(), out.c_str(), 2);
    ASSERT_EQ(result.status, EXPORT_DONE);
    Samples wav = wav_samples(read_file(out));
    ASSERT_EQ(static_cast<int64_t>(wav.size()), result.frames * 2);
    EXPECT_EQ(result.frames - result.tail_frames, stop);
    EXPECT_GT(result.tail_frames, 8000);  // at least the echo's first return

    Engine engine;
    start_like_export(engine.state, dir.path);
    EXPECT_EQ(engine.state.voice.load(), 2);
    Samples played = render(engine.state, stop);
    engine.state.resting.store(1);  // the clock stops; the rest rings out
    Samples tail = render(engine.state, static_cast<int>(result.tail_frames) + 48000);
    played.insert(played.end(), tail.begin(), tail.end());

    for (size_t i = 0; i < wav.size(); i++) ASSERT_EQ(wav[i], played[i]) << "sample " << i;
    EXPECT_TRUE(wav[wav.size() - 2] != 0 || wav[wav.size() - 1] != 0);  // silence trimmed
    for (size_t i = wav.size(); i < played.size(); i++) ASSERT_EQ(played[i], 0) << "sample " << i;
}

TEST(Export, AnEmptySongIsTheLeadInAndThePassesWithNoTail)
{
    TempDir dir;
    save_song(dir.path, SongSettings{}, false);
    int stop = clock_stop_frame(dir.path, 1);
    std::string out = dir.file("empty.wav");
    ExportResult result = export_song(dir.path.c_str(), out.c_str(), 1);
    ASSERT_EQ(result.status, EXPORT_DONE);
    EXPECT_EQ(result.frames, stop);
    EXPECT_EQ(result.tail_frames, 0);
    EXPECT_EQ(peak_magnitude(wav_samples(read_file(out))), 0);
}

TEST(Export, ALongEchoIsCutAfterTenSecondsOfTail)
{
    TempDir dir;
    SongSettings song;
    song.pace = 60;
    song.echo = 3;  // returns every 72000 samples, 0.37 times weaker each time
    song.space = 0;
    save_song(dir.path, song);
    int stop = clock_stop_frame(dir.path, 1);
    limiter_env = 0.0;
    std::string out = dir.file("long.wav");
    ExportResult result = export_song(dir.path.c_str(), out.c_str(), 1);
    ASSERT_EQ(result.status, EXPORT_DONE);
    EXPECT_LE(result.tail_frames, EXPORT_TAIL_LIMIT);
    EXPECT_GT(result.tail_frames, 5 * 72000);  // several returns are kept

    // The engine would still have been heard after the ten seconds.
    Engine engine;
    start_like_export(engine.state, dir.path);
    render(engine.state, stop);
    engine.state.resting.store(1);
    Samples tail = render(engine.state, EXPORT_TAIL_LIMIT + 3 * 72000);
    Samples cut(tail.begin() + 2 * EXPORT_TAIL_LIMIT, tail.end());
    EXPECT_GT(peak_magnitude(cut), 0);
    Samples wav = wav_samples(read_file(out));
    ASSERT_EQ(wav.size(), static_cast<size_t>(result.frames) * 2);
    for (size_t i = 0; i < static_cast<size_t>(result.tail_frames) * 2; i++)
        ASSERT_EQ(wav[static_cast<size_t>(stop) * 2 + i], tail[i]) << i;
}

// The page exports while its program plays: the export's engine starts from
// a limiter at rest, and the program's limiter is left as it was, whether the
// export is written or refused.
TEST(Export, LeavesThePlayingLimiterAsItFoundIt)
{
    TempDir dir;
    save_song(dir.path, SongSettings{});
    limiter_env = 0.0;
    ASSERT_EQ(export_song(dir.path.c_str(), dir.file("at_rest.wav").c_str(), 1).status,
              EXPORT_DONE);
    EXPECT_EQ(limiter_env, 0.0);

    limiter_env = 0.75;  // a loud passage of the playing program
    ASSERT_EQ(export_song(dir.path.c_str(), dir.file("beside.wav").c_str(), 1).status, EXPORT_DONE);
    EXPECT_EQ(limiter_env, 0.75);
    EXPECT_EQ(read_file(dir.file("beside.wav")), read_file(dir.file("at_rest.wav")));

    std::string nowhere = dir.file("nowhere");
    EXPECT_EQ(export_song(nowhere.c_str(), dir.file("none.wav").c_str(), 1).status,
              EXPORT_BAD_SONG);
    EXPECT_EQ(limiter_env, 0.75);
    limiter_env = 0.0;
}

// --- plim-render on the command line --------------------------------------------

struct ToolRun {
    int status;
    std::string err;
};

static ToolRun run_render(const TempDir& dir, const std::vector<std::string>& args)
{
    Child child = start_program(built_program("plim-render"), args, {}, dir.path, dir.path);
    int status = wait_program(child, 60000);
    std::vector<uint8_t> err = read_file(child.err_path);
    return ToolRun{status, std::string(err.begin(), err.end())};
}

TEST(RenderTool, WritesTheSameFileAsTheLibraryWithFourLoopsByDefault)
{
    TempDir dir;
    save_song(dir.path, SongSettings{});
    ToolRun plain = run_render(dir, {dir.path, dir.file("default.wav")});
    ASSERT_EQ(plain.status, 0) << plain.err;
    ToolRun four = run_render(dir, {dir.path, dir.file("four.wav"), "4"});
    ASSERT_EQ(four.status, 0) << four.err;
    limiter_env = 0.0;
    ASSERT_EQ(export_song(dir.path.c_str(), dir.file("library.wav").c_str(), 4).status,
              EXPORT_DONE);
    std::vector<uint8_t> wav = read_file(dir.file("default.wav"));
    EXPECT_EQ(wav, read_file(dir.file("four.wav")));
    EXPECT_EQ(wav, read_file(dir.file("library.wav")));
    EXPECT_GT(wav.size(), 44u + 4u * (4000 + 4 * 16 * 4000));
}

TEST(RenderTool, AcceptsTheOlderShorterSongFiles)
{
    TempDir dir;
    save_song(dir.path, SongSettings{});
    std::vector<uint8_t> image = read_file(dir.file("plim.state"));
    image.resize(136);
    write_file(dir.file("plim.state"), image);
    ToolRun run = run_render(dir, {dir.path, dir.file("old.wav"), "1"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(file_exists(dir.file("old.wav")));
}

TEST(RenderTool, RefusesAMissingDirectoryOrSongAndAnInvalidSongFile)
{
    TempDir dir;
    ToolRun missing_dir = run_render(dir, {dir.file("nowhere"), dir.file("a.wav")});
    EXPECT_EQ(missing_dir.status, 1);
    EXPECT_NE(missing_dir.err.find("nowhere: no such directory"), std::string::npos)
        << missing_dir.err;

    ToolRun no_song = run_render(dir, {dir.path, dir.file("a.wav")});
    EXPECT_EQ(no_song.status, 1);
    EXPECT_NE(no_song.err.find("no song"), std::string::npos) << no_song.err;

    write_file(dir.file("plim.state"), std::vector<uint8_t>(100, 1));
    ToolRun the_file = run_render(dir, {dir.file("plim.state"), dir.file("a.wav")});
    EXPECT_EQ(the_file.status, 1);
    EXPECT_NE(the_file.err.find("give the directory"), std::string::npos) << the_file.err;
    ToolRun bad_size = run_render(dir, {dir.path, dir.file("a.wav")});
    EXPECT_EQ(bad_size.status, 1);
    EXPECT_NE(bad_size.err.find("100 bytes"), std::string::npos) << bad_size.err;

    std::remove(dir.file("plim.state").c_str());
    mkdir(dir.file("plim.state").c_str(), 0755);
    ToolRun unreadable = run_render(dir, {dir.path, dir.file("a.wav")});
    EXPECT_EQ(unreadable.status, 1);
    EXPECT_NE(unreadable.err.find("cannot read"), std::string::npos) << unreadable.err;
    EXPECT_FALSE(file_exists(dir.file("a.wav")));
}

TEST(RenderTool, RefusesAnUnwritableOutputAndLeavesNoPartialFile)
{
    TempDir dir;
    save_song(dir.path, SongSettings{});
    // Missing folders on the way are made; a file in the way is not replaced.
    ToolRun new_dir = run_render(dir, {dir.path, dir.file("missing/deeper/out.wav"), "1"});
    EXPECT_EQ(new_dir.status, 0) << new_dir.err;
    EXPECT_GT(read_file(dir.file("missing/deeper/out.wav")).size(), 44u);
    write_file(dir.file("plain"), {1, 2, 3});
    ToolRun no_dir = run_render(dir, {dir.path, dir.file("plain/out.wav"), "1"});
    EXPECT_EQ(no_dir.status, 1);
    EXPECT_EQ(no_dir.err,
              "plim-render: cannot write " + dir.file("plain/out.wav") + " (Not a directory)\n");
    EXPECT_EQ(read_file(dir.file("plain")), (std::vector<uint8_t>{1, 2, 3}));
    // A song that cannot be rendered makes no folder.
    ToolRun no_song = run_render(dir, {dir.file("nowhere"), dir.file("unmade/out.wav")});
    EXPECT_EQ(no_song.status, 1);
    EXPECT_FALSE(file_exists(dir.file("unmade")));

    // Nothing but a file is ever replaced: a directory is refused before any
    // rendering, and a full device reports its error and stays a device.
    mkdir(dir.file("taken.wav").c_str(), 0755);
    ToolRun taken = run_render(dir, {dir.path, dir.file("taken.wav"), "1"});
    EXPECT_EQ(taken.status, 1);
    EXPECT_NE(taken.err.find("taken.wav is a directory"), std::string::npos) << taken.err;
    EXPECT_FALSE(file_exists(dir.file("taken.wav.tmp")));
    struct stat info;
    ASSERT_EQ(stat(dir.file("taken.wav").c_str(), &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));

    ToolRun full = run_render(dir, {dir.path, "/dev/full", "1"});
    EXPECT_EQ(full.status, 1);
    EXPECT_NE(full.err.find("cannot write /dev/full"), std::string::npos) << full.err;
    ASSERT_EQ(stat("/dev/full", &info), 0);
    EXPECT_TRUE(S_ISCHR(info.st_mode));
}

// Standard output, a pipe and a symbolic link all get the very bytes a plain
// file gets; the link still points where it did.
TEST(RenderTool, StreamsToStandardOutputAndPipesAndFollowsLinks)
{
    TempDir dir;
    save_song(dir.path, SongSettings{});
    ASSERT_EQ(run_render(dir, {dir.path, dir.file("file.wav"), "1"}).status, 0);
    std::vector<uint8_t> wav = read_file(dir.file("file.wav"));
    ASSERT_GT(wav.size(), 44u);

    Child to_stdout =
        start_program(built_program("plim-render"), {dir.path, "-", "1"}, {}, dir.path, dir.path);
    ASSERT_EQ(wait_program(to_stdout, 60000), 0);
    EXPECT_EQ(read_file(to_stdout.out_path), wav);
    std::vector<uint8_t> said = read_file(to_stdout.err_path);
    EXPECT_EQ(std::string(said.begin(), said.end())
                  .rfind("plim-render: wrote standard output: 1 loop,", 0),
              0u)
        << std::string(said.begin(), said.end());

    // /dev/stdout into a pipe: its link leads to no path, yet it is a stream,
    // and the summary must stay out of it.
    Child through_stdout =
        start_program("/bin/sh",
                      {"-c", "\"$0\" \"$1\" /dev/stdout 1 | cat >\"$1/piped.wav\"",
                       built_program("plim-render"), dir.path},
                      {}, dir.path, dir.path);
    ASSERT_EQ(wait_program(through_stdout, 60000), 0);
    EXPECT_EQ(read_file(dir.file("piped.wav")), wav);

    ASSERT_EQ(mkfifo(dir.file("pipe").c_str(), 0644), 0);
    Child to_pipe = start_program(built_program("plim-render"), {dir.path, dir.file("pipe"), "1"},
                                  {}, dir.path, dir.path);
    std::vector<uint8_t> piped = read_file(dir.file("pipe"));  // until the writer closes it
    EXPECT_EQ(wait_program(to_pipe, 60000), 0);
    EXPECT_EQ(piped, wav);

    write_file(dir.file("target.wav"), {1, 2, 3});
    ASSERT_EQ(symlink("target.wav", dir.file("link.wav").c_str()), 0);
    ASSERT_EQ(run_render(dir, {dir.path, dir.file("link.wav"), "1"}).status, 0);
    EXPECT_EQ(read_file(dir.file("target.wav")), wav);
    char target[64] = {};
    ASSERT_GT(readlink(dir.file("link.wav").c_str(), target, sizeof target - 1), 0);
    EXPECT_STREQ(target, "target.wav");
}

TEST(RenderTool, AFailedExportKeepsTheEarlierFile)
{
    TempDir dir;
    write_file(dir.file("song.wav"), {1, 2, 3});
    ToolRun run = run_render(dir, {dir.path, dir.file("song.wav")});  // no plim.state
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(read_file(dir.file("song.wav")), (std::vector<uint8_t>{1, 2, 3}));
}

TEST(RenderTool, RefusesBadArguments)
{
    TempDir dir;
    save_song(dir.path, SongSettings{});
    for (std::string loops : {"0", "abc", "4x", "", "1000", "99999999999"}) {
        ToolRun run = run_render(dir, {dir.path, dir.file("a.wav"), loops});
        EXPECT_EQ(run.status, 2) << loops;
        EXPECT_NE(run.err.find("LOOPS"), std::string::npos) << run.err;
    }
    // A negative number reads as an option.
    ToolRun negative = run_render(dir, {dir.path, dir.file("a.wav"), "-1"});
    EXPECT_EQ(negative.status, 2);
    EXPECT_EQ(negative.err, "plim-render: unknown option -1; try plim-render --help\n");
    // Each refusal is one line: what is missing or too much, and where to look.
    ToolRun too_few = run_render(dir, {dir.path});
    EXPECT_EQ(too_few.status, 2);
    EXPECT_EQ(too_few.err, "plim-render: missing OUT.wav; try plim-render --help\n");
    ToolRun none = run_render(dir, {});
    EXPECT_EQ(none.status, 2);
    EXPECT_EQ(none.err, "plim-render: missing DIR and OUT.wav; try plim-render --help\n");
    ToolRun too_many = run_render(dir, {dir.path, dir.file("a.wav"), "1", "extra"});
    EXPECT_EQ(too_many.status, 2);
    EXPECT_EQ(too_many.err, "plim-render: one operand too many: extra; try plim-render --help\n");
    ToolRun unknown = run_render(dir, {"--loud", dir.path, dir.file("a.wav")});
    EXPECT_EQ(unknown.status, 2);
    EXPECT_EQ(unknown.err, "plim-render: unknown option --loud; try plim-render --help\n");
    EXPECT_FALSE(file_exists(dir.file("a.wav")));

    // --help and --version (-h, -V) answer on standard output, whatever else is given.
    for (const char* option : {"--help", "--version", "-h", "-V"}) {
        Child child =
            start_program(built_program("plim-render"), {dir.path, option}, {}, dir.path, dir.path);
        EXPECT_EQ(wait_program(child, 60000), 0) << option;
        std::vector<uint8_t> out = read_file(child.out_path);
        std::string text(out.begin(), out.end());
        bool help = option[1] == 'h' || option[2] == 'h';
        EXPECT_EQ(text.find(help ? "usage: plim-render" : "plim-render " PLIM_VERSION), 0u) << text;
    }
}
