// Saves under disk faults: a full disk, I/O errors, a failing rename, a
// read-only or vanished directory.  The file calls of the save are wrapped at
// link time (see tests/CMakeLists.txt) so that each can be made to fail once.
#include "app/core/state_file.h"

#include "support/files.h"

#include <gtest/gtest.h>

#include <errno.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>

namespace {

enum Call { FOPEN, FWRITE, FFLUSH, FSYNC_FILE, FCLOSE, RENAME, FSYNC_DIR, CALL_COUNT };
const char* const CALL_NAMES[CALL_COUNT] = {"fopen",  "fwrite", "fflush",    "fsync(file)",
                                            "fclose", "rename", "fsync(dir)"};

// Armed only around the save under test, so GoogleTest's own file calls pass.
bool recording = false;
int failing_call = -1;  // the Call that fails, with failing_errno
int failing_errno = 0;
std::string calls;

bool fails(Call call)
{
    if (!recording) return false;
    calls += std::string(calls.empty() ? "" : " ") + CALL_NAMES[call];
    if (call != failing_call) return false;
    errno = failing_errno;
    return true;
}

}  // namespace

extern "C" {
FILE* __real_fopen(const char*, const char*);
size_t __real_fwrite(const void*, size_t, size_t, FILE*);
int __real_fflush(FILE*);
int __real_fsync(int);
int __real_fclose(FILE*);
int __real_rename(const char*, const char*);

FILE* __wrap_fopen(const char* path, const char* mode)
{
    if (fails(FOPEN)) return nullptr;
    return __real_fopen(path, mode);
}

size_t __wrap_fwrite(const void* data, size_t size, size_t count, FILE* file)
{
    if (fails(FWRITE)) return 0;
    return __real_fwrite(data, size, count, file);
}

int __wrap_fflush(FILE* file)
{
    if (fails(FFLUSH)) return EOF;
    return __real_fflush(file);
}

int __wrap_fsync(int fd)
{
    struct stat info;
    bool is_dir = fstat(fd, &info) == 0 && S_ISDIR(info.st_mode);
    if (fails(is_dir ? FSYNC_DIR : FSYNC_FILE)) return -1;
    return __real_fsync(fd);
}

int __wrap_fclose(FILE* file)
{
    bool fail = fails(FCLOSE);
    int result = __real_fclose(file);  // the stream is gone either way
    return fail ? EOF : result;
}

int __wrap_rename(const char* from, const char* to)
{
    if (fails(RENAME)) return -1;
    return __real_rename(from, to);
}
}

namespace {

struct SaveFixture : ::testing::Test {
    TempDir dir;
    AppState state;
    std::vector<uint8_t> old_song;

    void SetUp() override
    {
        ASSERT_TRUE(format_state_path(state, dir.path.c_str()));
        state.grid[1][2] = 1;
        state.pace.store(100);
        ASSERT_TRUE(save_state(state));
        old_song = read_file(dir.file("plim.state"));
        ASSERT_EQ(old_song.size(), 152u);
        state.grid[6][9] = 1;  // the change the next save must carry
        state.pace.store(160);
    }

    bool save_with_fault(Call call, int error)
    {
        failing_call = call;
        failing_errno = error;
        calls.clear();
        recording = true;
        bool saved = save_state(state);
        recording = false;
        failing_call = -1;
        return saved;
    }

    void expect_old_song_intact()
    {
        EXPECT_EQ(read_file(dir.file("plim.state")), old_song);
        EXPECT_FALSE(file_exists(dir.file("plim.state.tmp")));
    }

    void expect_next_save_complete()
    {
        ASSERT_TRUE(save_state(state));
        std::vector<uint8_t> saved = read_file(dir.file("plim.state"));
        ASSERT_EQ(saved.size(), 152u);
        EXPECT_EQ(saved[1 * 16 + 2], 1);
        EXPECT_EQ(saved[6 * 16 + 9], 1);
        EXPECT_EQ(saved[128], 160);
    }
};

}  // namespace

TEST_F(SaveFixture, EveryStepRunsInOrderAndTheDirectoryIsSyncedAfterTheRename)
{
    EXPECT_TRUE(save_with_fault(CALL_COUNT, 0));
    EXPECT_EQ(calls, "fopen fwrite fflush fsync(file) fclose rename fsync(dir)");
}

TEST_F(SaveFixture, ADiskFullOnTheWriteKeepsTheOldSong)
{
    EXPECT_FALSE(save_with_fault(FWRITE, ENOSPC));
    expect_old_song_intact();
    expect_next_save_complete();
}

TEST_F(SaveFixture, ADiskFullOnTheFlushKeepsTheOldSong)
{
    EXPECT_FALSE(save_with_fault(FFLUSH, ENOSPC));
    EXPECT_EQ(calls, "fopen fwrite fflush fclose");  // no sync and no rename of a short file
    expect_old_song_intact();
    expect_next_save_complete();
}

TEST_F(SaveFixture, AnIoErrorOnTheSyncKeepsTheOldSong)
{
    EXPECT_FALSE(save_with_fault(FSYNC_FILE, EIO));
    EXPECT_EQ(calls, "fopen fwrite fflush fsync(file) fclose");
    expect_old_song_intact();
    expect_next_save_complete();
}

TEST_F(SaveFixture, AFailedCloseKeepsTheOldSong)
{
    EXPECT_FALSE(save_with_fault(FCLOSE, EIO));
    EXPECT_EQ(calls, "fopen fwrite fflush fsync(file) fclose");
    expect_old_song_intact();
    expect_next_save_complete();
}

TEST_F(SaveFixture, AFailedRenameKeepsTheOldSong)
{
    EXPECT_FALSE(save_with_fault(RENAME, EXDEV));
    expect_old_song_intact();
    expect_next_save_complete();
}

TEST_F(SaveFixture, AReadOnlyDirectoryKeepsTheOldSong)
{
    EXPECT_FALSE(save_with_fault(FOPEN, EROFS));
    EXPECT_EQ(calls, "fopen");
    expect_old_song_intact();
    expect_next_save_complete();
}

TEST_F(SaveFixture, AFailedDirectorySyncStillLeavesTheNewSongInPlace)
{
    EXPECT_TRUE(save_with_fault(FSYNC_DIR, EIO));
    EXPECT_EQ(read_file(dir.file("plim.state"))[128], 160);
}

TEST_F(SaveFixture, AVanishedDirectorySavesNothingAndComesBackWhenTheDirectoryDoes)
{
    ASSERT_EQ(std::remove(dir.file("plim.state").c_str()), 0);
    ASSERT_EQ(rmdir(dir.path.c_str()), 0);
    EXPECT_FALSE(save_state(state));
    EXPECT_FALSE(file_exists(dir.path));

    ASSERT_EQ(mkdir(dir.path.c_str(), 0755), 0);
    expect_next_save_complete();
}
