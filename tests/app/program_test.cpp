// The whole program started headless: start-up, quitting on SIGTERM, the
// last save, the song directory made when missing, a song that cannot be
// saved, the options and the start-up failures, and what each says.
#include "support/files.h"
#include "support/programs.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

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

// The lines of err that PLIM wrote itself, each beginning "plim: " (SDL and
// the sound libraries may print lines of their own).
std::vector<std::string> plim_lines(const std::string& err)
{
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = err.find('\n', start)) != std::string::npos; start = end + 1) {
        if (err.compare(start, 6, "plim: ") == 0) lines.push_back(err.substr(start, end - start));
    }
    return lines;
}

bool has(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
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

// A song that cannot be kept is said at once, in one line, and the quit
// says with its status that the song was not kept.
TEST(Program, ADirectoryThatTakesNoFilesStillPlaysSaysSoOnceAndQuitsWithStatus6)
{
    TempDir cwd;
    Outcome run = run_until_sigterm(cwd, {"--keys", "/proc"});  // no line about the pad
    EXPECT_EQ(run.status, 6);
    EXPECT_FALSE(file_exists("/proc/plim.state"));
    std::vector<std::string> said = plim_lines(run.err);
    ASSERT_EQ(said.size(), 1u) << run.err;
    EXPECT_EQ(said[0].rfind("plim: cannot save the song as /proc/plim.state (", 0), 0u) << said[0];
    EXPECT_TRUE(has(said[0], "playing without saving")) << said[0];

    // Where the temporary file cannot be made, the old song stays untouched.
    TempDir dir;
    std::vector<uint8_t> song(152, 0);
    song[0] = 1;
    song[128] = 64;
    write_file(dir.file("plim.state"), song);
    ASSERT_EQ(mkdir(dir.file("plim.state.tmp").c_str(), 0755), 0);
    run = run_until_sigterm(dir, {"--keys", dir.path});
    EXPECT_EQ(run.status, 6);
    EXPECT_EQ(read_file(dir.file("plim.state")), song);
    EXPECT_EQ(plim_lines(run.err).size(), 1u) << run.err;
    EXPECT_TRUE(has(run.err, "(Is a directory)")) << run.err;

    // A temporary file left behind by an earlier run is no obstacle, and it
    // is left as it was until a save replaces it: nothing said, status 0.
    TempDir left;
    write_file(left.file("plim.state.tmp"), {1, 2});
    TempDir logs;
    Child child = start_program(built_program("plim"), {"--keys", left.path}, headless_env(),
                                left.path, logs.path);
    ASSERT_TRUE(wait_for_thread(child, "SDLAudio", START_TIMEOUT_MS));
    EXPECT_EQ(read_file(left.file("plim.state.tmp")), (std::vector<uint8_t>{1, 2}));
    kill(child.pid, SIGTERM);
    EXPECT_EQ(wait_program(child, EXIT_TIMEOUT_MS), 0);
    EXPECT_EQ(text_of(child.err_path), "");
    EXPECT_EQ(read_file(left.file("plim.state")).size(), 152u);
}

// Saves that keep failing while the player plays (after each change, and on
// quitting) say so once, not once a save.
TEST(Program, FailingSavesDuringPlayAreSaidOnce)
{
    TempDir dir;
    std::string script = "key Return\nkey A\n";                 // picker, guide, grid
    for (int i = 0; i < 3; i++) script += "tap 0\nwait 700\n";  // A places a cell; saved 500 ms on
    script += "key Escape\n";
    write_file(dir.file("script"), std::vector<uint8_t>(script.begin(), script.end()));
    Child child =
        start_program(built_program("pad_driver"), {"controller", dir.file("script"), "/proc"},
                      headless_env(), dir.path, dir.path);
    EXPECT_EQ(wait_program(child, EXIT_TIMEOUT_MS), 0) << text_of(child.out_path);
    std::string err = text_of(child.err_path);
    ASSERT_EQ(plim_lines(err).size(), 1u) << err;
    EXPECT_TRUE(has(plim_lines(err)[0], "playing without saving")) << err;

    // A directory that goes away while PLIM plays: the saves after each
    // change fail, and so does the last one; one line says so.
    TempDir cwd;
    std::string later = R"(key Return
key A
show           # start-up is through: the test takes the directory away
wait 1500
tap 0
wait 1000
tap 0
wait 1000
key Escape
)";
    write_file(cwd.file("script"), std::vector<uint8_t>(later.begin(), later.end()));
    TempDir logs;
    child = start_program(built_program("pad_driver"),
                          {"controller", cwd.file("script"), cwd.file("songs")}, headless_env(),
                          cwd.path, logs.path);
    bool shown = false;
    for (int waited = 0; !shown && waited < START_TIMEOUT_MS; waited += 2) {
        shown = has(text_of(child.out_path), "screen=");
        if (!shown) usleep(2000);
    }
    ASSERT_TRUE(shown);
    remove_tree(cwd.file("songs"));
    EXPECT_EQ(wait_program(child, EXIT_TIMEOUT_MS), 0) << text_of(child.out_path);
    EXPECT_FALSE(file_exists(cwd.file("songs")));
    err = text_of(child.err_path);
    std::vector<std::string> said = plim_lines(err);
    ASSERT_EQ(said.size(), 1u) << err;
    EXPECT_TRUE(has(said[0],
                    "/songs/plim.state (No such file or directory): a later change, and "
                    "quitting, try again"))
        << said[0];
}

TEST(Program, StartUpFailuresEndWithTheirExitCodeAfterOneLineOfWhyAndWhatToTry)
{
    TempDir dir;
    auto env = headless_env();
    env.push_back({"SDL_VIDEODRIVER", "nonexistent"});
    Outcome no_video = run_to_exit(env, dir);
    EXPECT_EQ(no_video.status, 1);
    EXPECT_EQ(no_video.out, "");
    // SDL's own reason in brackets, then what to try.
    EXPECT_EQ(no_video.err,
              "plim: SDL could not start or found no display (nonexistent not available): run "
              "it from a desktop session; if SDL_VIDEODRIVER or SDL_AUDIODRIVER is set, check "
              "that it names a driver SDL has\n");

    // The disk audio driver cannot open a device on a file it cannot write.
    Outcome no_audio = run_to_exit(headless_env("/proc/plim-no-such-file.raw"), dir);
    EXPECT_EQ(no_audio.status, 5);
    EXPECT_EQ(no_audio.out, "");
    std::vector<std::string> said = plim_lines(no_audio.err);
    ASSERT_EQ(said.size(), 1u) << no_audio.err;
    EXPECT_EQ(said[0].rfind("plim: the audio device could not be opened", 0), 0u) << said[0];
    EXPECT_TRUE(has(said[0], "SDL_AUDIODRIVER (pipewire, pulseaudio, alsa)")) << said[0];
    EXPECT_FALSE(file_exists(dir.file("plim.state")));  // failures save nothing

    // Nor do they make the song's directory, or say anything about it.
    no_video = run_to_exit(env, dir, {dir.file("songs/new")});
    EXPECT_EQ(no_video.status, 1);
    EXPECT_EQ(plim_lines(no_video.err).size(), 1u) << no_video.err;
    EXPECT_FALSE(file_exists(dir.file("songs")));
    no_video = run_to_exit(env, dir, {"/proc"});
    EXPECT_EQ(no_video.status, 1);
    EXPECT_EQ(plim_lines(no_video.err).size(), 1u) << no_video.err;
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

    // A file where the directory should be: played, nothing made or changed,
    // and said at once.
    std::vector<uint8_t> note = {'k', 'e', 'e', 'p'};
    write_file(cwd.file("taken"), note);
    for (const char* dir : {"taken", "taken/inside"}) {
        run = run_until_sigterm(cwd, {"-k", cwd.file(dir)});  // no line about the pad
        EXPECT_EQ(run.status, 6) << dir;
        EXPECT_EQ(read_file(cwd.file("taken")), note) << dir;
        EXPECT_EQ(plim_lines(run.err).size(), 1u) << run.err;
        EXPECT_TRUE(has(run.err, "(Not a directory): playing without saving")) << run.err;
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

    // -h and -V are the same.
    EXPECT_EQ(run_to_exit(env, cwd, {"-h"}).out, help.out);
    EXPECT_EQ(run_to_exit(env, cwd, {"-V", cwd.path}).out, version.out);

    // A refusal has its own status, apart from a run's, and is one line that
    // names what was refused and points to --help.
    for (const char* option : {"-x", "--helpme", "-hV"}) {
        Outcome refused = run_to_exit(env, cwd, {option});
        EXPECT_EQ(refused.status, 64) << option;
        EXPECT_EQ(refused.out, "") << option;
        EXPECT_EQ(refused.err,
                  "plim: unknown option " + std::string(option) + "; try plim --help\n");
    }
    Outcome stream = run_to_exit(env, cwd, {"-"});
    EXPECT_EQ(stream.status, 64);
    EXPECT_EQ(stream.err,
              "plim: the song is kept in a directory, not in a stream (-); try plim --help\n");

    // The song is kept in one directory: a second one (a name with a space
    // not quoted, say) is refused before anything is made.
    Outcome two = run_to_exit(env, cwd, {"my", "songs"});
    EXPECT_EQ(two.status, 64);
    EXPECT_EQ(two.out, "");
    EXPECT_EQ(two.err,
              "plim: one operand too many: songs (the song is kept in one directory; quote a "
              "name with spaces); try plim --help\n");
    Outcome three = run_to_exit(env, cwd, {"a", "b", "c"});
    EXPECT_EQ(three.status, 64);
    EXPECT_TRUE(has(three.err, "plim: 2 operands too many, from b on")) << three.err;
    EXPECT_FALSE(file_exists(cwd.file("my")));
    EXPECT_FALSE(file_exists(cwd.file("a")));
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
    std::vector<std::string> said = plim_lines(refused.err);
    ASSERT_EQ(said.size(), 1u) << refused.err;
    EXPECT_TRUE(has(said[0], "(only SDL's offscreen video driver, which shows nothing)"))
        << said[0];
    EXPECT_FALSE(file_exists(unseen.file("plim.state")));
}
