// Power-cut safety of the song: the real program, saving again and again, is
// killed with SIGKILL at random moments, many times over.  After every kill
// the song file must be absent (before the first save) or one complete song
// the program had; never empty, short or mixed.
#include "app/core/state_file.h"
#include "support/files.h"
#include "support/programs.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <time.h>

#include <cstdlib>
#include <random>
#include <set>
#include <string>

namespace {

#if PLIM_SANITIZED
constexpr int KILLS = 40;  // the sanitizer builds start slowly; the plain build does the full run
#else
constexpr int KILLS = 200;
#endif
constexpr int TIME_LIMIT_MS = 300000;
constexpr int SLOTS = 4;  // programs running side by side, each in its own directory

long long now_ms()
{
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1000LL + ts.tv_nsec / 1000000;
}

std::string hex_of(const std::vector<uint8_t>& bytes)
{
    static const char digits[] = "0123456789abcdef";
    std::string text;
    for (uint8_t byte : bytes) {
        text += digits[byte >> 4];
        text += digits[byte & 15];
    }
    return text;
}

// The songs the driver announced on its standard output so far.
std::vector<std::string> announced_songs(const std::string& out_path)
{
    std::vector<uint8_t> bytes = read_file(out_path);
    std::string text(bytes.begin(), bytes.end());
    std::vector<std::string> songs;
    size_t at = 0;
    while ((at = text.find("song ", at)) != std::string::npos) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos) break;  // a line still being written
        songs.push_back(text.substr(at + 5, end - at - 5));
        at = end;
    }
    return songs;
}

struct Slot {
    TempDir dir;
    TempDir logs;
    Child child;
    bool running = false;
    bool targeted = false;      // kill just after a save falls due, else at a random moment
    size_t wait_for_songs = 0;  // targeted: kill once this many songs were announced...
    long long kill_at = 0;      // ...this long after; random: at this moment
    long long delay = 0;
    bool file_seen = false;
    std::set<std::string> songs;  // every song this directory's program ever had
};

struct Tally {
    int kills = 0;
    int left_temp_file = 0;  // kills that left plim.state.tmp behind: a save was under way
    int absent = 0;
};

}  // namespace

TEST(CrashConsistency, EveryKillLeavesNoSongOrAWholeSongTheProgramHad)
{
    unsigned seed = 20261207;
    if (const char* given = std::getenv("PLIM_CRASH_SEED")) seed = std::strtoul(given, nullptr, 10);
    std::mt19937 random(seed);
    Slot slots[SLOTS];
    Tally tally;
    long long start = now_ms();
    int started = 0;

    while (tally.kills < KILLS) {
        ASSERT_LT(now_ms() - start, TIME_LIMIT_MS) << "only " << tally.kills << " kills in time";
        for (Slot& slot : slots) {
            if (!slot.running && started < KILLS) {
                slot.child = start_program(built_program("busy_song_driver"), {slot.dir.path},
                                           headless_env(), slot.dir.path, slot.logs.path);
                slot.running = true;
                slot.targeted = started % 2 == 1;
                slot.wait_for_songs = 2 + random() % 2;
                slot.delay = 495 + random() % 31;
                slot.kill_at = slot.targeted ? 0 : now_ms() + 5 + random() % 900;
                started++;
            }
            if (!slot.running) continue;
            if (slot.targeted && slot.kill_at == 0 &&
                announced_songs(slot.child.out_path).size() >= slot.wait_for_songs)
                slot.kill_at = now_ms() + slot.delay;
            if (slot.kill_at == 0 || now_ms() < slot.kill_at) continue;

            kill(slot.child.pid, SIGKILL);
            int status = wait_program(slot.child, 20000);
            slot.running = false;
            std::vector<uint8_t> err = read_file(slot.child.err_path);
            ASSERT_EQ(status, 128 + SIGKILL)
                << "the program ended by itself: " << std::string(err.begin(), err.end());
            tally.kills++;
            for (const std::string& song : announced_songs(slot.child.out_path))
                slot.songs.insert(song);

            std::string path = slot.dir.file("plim.state");
            if (file_exists(slot.dir.file("plim.state.tmp"))) tally.left_temp_file++;
            if (!file_exists(path)) {
                ASSERT_FALSE(slot.file_seen) << "the song file vanished after kill " << tally.kills;
                tally.absent++;
                continue;
            }
            slot.file_seen = true;
            std::vector<uint8_t> saved = read_file(path);
            ASSERT_EQ(saved.size(), 152u) << "after kill " << tally.kills;
            ASSERT_EQ(slot.songs.count(hex_of(saved)), 1u)
                << "after kill " << tally.kills << " the file holds a song the program never had";
        }
        struct timespec pause = {0, 1000000};
        nanosleep(&pause, nullptr);
    }

    size_t songs = 0;
    for (const Slot& slot : slots) songs += slot.songs.size();
    std::printf(
        "crash consistency (seed %u): %d kills survived in %lld ms; %d left a save's "
        "temporary file behind, %d came before the first save; %zu songs seen\n",
        seed, tally.kills, now_ms() - start, tally.left_temp_file, tally.absent, songs);
    EXPECT_EQ(tally.kills, KILLS);
}
