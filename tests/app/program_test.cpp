// The whole program started headless: start-up, quitting on SIGTERM, the
// last save, the song directory made when missing, the options and the
// start-up failures.
#include "support/files.h"
#include "support/programs.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>

namespace {

constexpr int START_TIMEOUT_MS = 20000;
constexpr int EXIT_TIMEOUT_MS = 20000;

struct Outcome {
    int status;
    std::string out, err;
};

std::string text_of(const std::string& path)
{
    std::vector<uint8_t> bytes = read_file(path);
    return std::string(bytes.begin(), bytes.end());
}

// Starts plim in cwd with args, waits until its audio thread runs (start-up
// is through), sends SIGTERM and waits for the exit.
Outcome run_until_sigterm(
    const TempDir& cwd, const std::vector<std::string>& args,
    const std::vector<std::pair<std::string, std::string>>& env = headless_env())
{
    TempDir logs;
    Child child = start_program(built_program("plim"), args, env, cwd.path, logs.path);
    bool started = wait_for_thread(child, "SDLAudio", START_TIMEOUT_MS);
    EXPECT_TRUE(started) << "plim did not reach its frame loop";
    kill(child.pid, SIGTERM);
    int status = wait_program(child, EXIT_TIMEOUT_MS);
    return {status, text_of(child.out_path), text_of(child.err_path)};
}

// Runs program (plim unless given) with args in cwd until it exits by itself.
Outcome run_to_exit(const std::vector<std::pair<std::string, std::string>>& env, const TempDir& cwd,
                    std::vector<std::string> args = {}, std::string program = "")
{
    TempDir logs;
    if (args.empty()) args = {cwd.path};
    if (program.empty()) program = built_program("plim");
    Child child = start_program(program, args, env, cwd.path, logs.path);
    int status = wait_program(child, EXIT_TIMEOUT_MS);
    return {status, text_of(child.out_path), text_of(child.err_path)};
}

int32_t voice_in(const std::vector<uint8_t>& image)
{
    return image[132] | image[133] << 8 | image[134] << 16 | image[135] << 24;
}

}  // namespace

TEST(Program, SigtermQuitsCleanlyAndSavesEvenWhenNothingChanged)
{
    TempDir dir;
    Outcome run = run_until_sigterm(dir, {dir.path});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "");
    // Without a pad it says, once, what would play the grid.
    EXPECT_EQ(run.err,
              "plim: no game pad found: the grid needs one, or --keys to play it with the "
              "keyboard\n");
    for (const char* keys : {"--keys", "-k"}) {
        Outcome with_keys = run_until_sigterm(dir, {keys, dir.path});
        EXPECT_EQ(with_keys.status, 0) << keys;
        EXPECT_EQ(with_keys.err, "") << keys;
    }
    std::vector<uint8_t> saved = read_file(dir.file("plim.state"));
    ASSERT_EQ(saved.size(), 152u);
    EXPECT_EQ(saved[128], 108);  // the default pace
    EXPECT_FALSE(file_exists(dir.file("plim.state.tmp")));
}

TEST(Program, WithoutAnArgumentTheSongLivesInTheCurrentDirectory)
{
    TempDir dir;
    Outcome run = run_until_sigterm(dir, {});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(read_file(dir.file("plim.state")).size(), 152u);
}

TEST(Program, ASavedVoiceComesBackAsTheBanksFirstInstrument)
{
    TempDir dir;
    std::vector<uint8_t> song(152, 0);
    song[5] = 1;
    song[128] = 120;  // pace
    song[132] = 2;    // voice
    song[136] = 2;    // bank
    write_file(dir.file("plim.state"), song);

    Outcome run = run_until_sigterm(dir, {dir.path});
    EXPECT_EQ(run.status, 0);
    std::vector<uint8_t> saved = read_file(dir.file("plim.state"));
    ASSERT_EQ(saved.size(), 152u);
    EXPECT_EQ(voice_in(saved), 0);
    song[132] = 0;
    EXPECT_EQ(saved, song);  // everything else as it was
}

TEST(Program, ADirectoryThatTakesNoFilesStillPlaysAndSavesNothing)
{
    TempDir cwd;
    Outcome run = run_until_sigterm(cwd, {"/proc"});
    EXPECT_EQ(run.status, 0);
    EXPECT_FALSE(file_exists("/proc/plim.state"));

    // Where the temporary file cannot be made, the old song stays untouched.
    TempDir dir;
    std::vector<uint8_t> song(152, 0);
    song[0] = 1;
    song[128] = 64;
    write_file(dir.file("plim.state"), song);
    ASSERT_EQ(mkdir(dir.file("plim.state.tmp").c_str(), 0755), 0);
    run = run_until_sigterm(dir, {dir.path});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(read_file(dir.file("plim.state")), song);
}

TEST(Program, StartUpFailuresEndWithTheirExitCodeAndPrintNothing)
{
    TempDir dir;
    auto env = headless_env();
    env.push_back({"SDL_VIDEODRIVER", "nonexistent"});
    Outcome no_video = run_to_exit(env, dir);
    EXPECT_EQ(no_video.status, 1);
    EXPECT_EQ(no_video.out, "");
    EXPECT_EQ(no_video.err, "");

    // The disk audio driver cannot open a device on a file it cannot write.
    Outcome no_audio = run_to_exit(headless_env("/proc/plim-no-such-file.raw"), dir);
    EXPECT_EQ(no_audio.status, 5);
    EXPECT_EQ(no_audio.out, "");
    EXPECT_FALSE(file_exists(dir.file("plim.state")));  // failures save nothing

    // Nor do they make the song's directory.
    no_video = run_to_exit(env, dir, {dir.file("songs/new")});
    EXPECT_EQ(no_video.status, 1);
    EXPECT_FALSE(file_exists(dir.file("songs")));
}

TEST(Program, ASongFileItCannotReadIsKeptBesideTheNewSong)
{
    TempDir dir;
    std::vector<uint8_t> newer(100, 7);  // no size PLIM reads
    write_file(dir.file("plim.state"), newer);
    std::vector<uint8_t> earlier = {'o', 'l', 'd'};
    write_file(dir.file("plim.state.unreadable"), earlier);

    Outcome run = run_until_sigterm(dir, {dir.path});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(read_file(dir.file("plim.state.unreadable.1")), newer);
    EXPECT_EQ(read_file(dir.file("plim.state.unreadable")), earlier);  // never replaced
    std::vector<uint8_t> saved = read_file(dir.file("plim.state"));
    ASSERT_EQ(saved.size(), 152u);
    EXPECT_EQ(saved[128], 108);  // the new, empty song

    // A file of an accepted size is read and saved over, as always.
    TempDir older;
    std::vector<uint8_t> song(144, 0);
    song[128] = 64;
    write_file(older.file("plim.state"), song);
    run = run_until_sigterm(older, {older.path});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(read_file(older.file("plim.state")).size(), 152u);
    EXPECT_EQ(read_file(older.file("plim.state"))[128], 64);
    EXPECT_FALSE(file_exists(older.file("plim.state.unreadable")));
}

TEST(Program, AMissingSongDirectoryIsMadeWithItsParentsAndAFileInItsPlaceIsLeftAlone)
{
    TempDir cwd;
    Outcome run = run_until_sigterm(cwd, {cwd.file("songs/new/one")});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(read_file(cwd.file("songs/new/one/plim.state")).size(), 152u);

    // A name that starts with a dash is a directory when written as a path.
    run = run_until_sigterm(cwd, {"./-x"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(read_file(cwd.file("-x/plim.state")).size(), 152u);

    // A file where the directory should be: played, nothing made or changed.
    std::vector<uint8_t> note = {'k', 'e', 'e', 'p'};
    write_file(cwd.file("taken"), note);
    for (const char* dir : {"taken", "taken/inside"}) {
        run = run_until_sigterm(cwd, {cwd.file(dir)});
        EXPECT_EQ(run.status, 0) << dir;
        EXPECT_EQ(read_file(cwd.file("taken")), note) << dir;
    }
}

TEST(Program, HelpAndVersionPrintAndExitWithoutStartingSdlAndOtherOptionsAreRefused)
{
    TempDir cwd;
    // Were SDL started, this driver would end the run with status 1.
    auto env = headless_env();
    env.push_back({"SDL_VIDEODRIVER", "nonexistent"});

    Outcome help = run_to_exit(env, cwd, {"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.err, "");
    for (const char* part :
         {"usage: plim [--keys] [DIRECTORY]", "plim.state", "A places", "SELECT+START",
          "-k, --keys", "either Shift SELECT", "./-name", "man plim"})
        EXPECT_NE(help.out.find(part), std::string::npos) << part << " in\n" << help.out;

    Outcome version = run_to_exit(env, cwd, {cwd.path, "--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "plim " PLIM_VERSION "\n");
    EXPECT_EQ(version.err, "");

    // A refusal has its own status, apart from the start-up failures', and
    // names what was refused before the usage.
    for (const char* option : {"-x", "--helpme"}) {
        Outcome refused = run_to_exit(env, cwd, {option});
        EXPECT_EQ(refused.status, 64) << option;
        EXPECT_EQ(refused.out, "") << option;
        EXPECT_EQ(refused.err, "plim: unknown option " + std::string(option) + "\n" + help.out);
    }
    Outcome stream = run_to_exit(env, cwd, {"-"});
    EXPECT_EQ(stream.status, 64);
    EXPECT_NE(stream.err.find("not in a stream"), std::string::npos) << stream.err;
    EXPECT_FALSE(file_exists(cwd.file("plim.state")));
    EXPECT_FALSE(file_exists(cwd.file("-x")));
    EXPECT_FALSE(file_exists(cwd.file("-")));
}

TEST(Program, SdlsOffScreenVideoCountsAsNoVideoUnlessChosen)
{
    // The off-screen driver brings in the system's GL stack, whose leaks at
    // exit are not PLIM's: no leak check for these two runs.
    const std::pair<std::string, std::string> no_leak_check = {"ASAN_OPTIONS", "detect_leaks=0"};

    // Chosen through SDL_VIDEODRIVER, the off-screen driver plays as dummy does.
    TempDir chosen;
    auto env = headless_env();
    env.push_back({"SDL_VIDEODRIVER", "offscreen"});
    env.push_back(no_leak_check);
    Outcome run = run_until_sigterm(chosen, {chosen.path}, env);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(read_file(chosen.file("plim.state")).size(), 152u);

    // Without a display and without the variable SDL falls back to it: refused.
    TempDir unseen;
    Outcome refused = run_to_exit({{"SDL_AUDIODRIVER", "dummy"}, no_leak_check}, unseen,
                                  {"-u", "SDL_VIDEODRIVER", "-u", "DISPLAY", "-u",
                                   "WAYLAND_DISPLAY", built_program("plim"), unseen.path},
                                  "/usr/bin/env");
    EXPECT_EQ(refused.status, 1);
    EXPECT_FALSE(file_exists(unseen.file("plim.state")));
}
