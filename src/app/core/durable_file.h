// Files replaced whole: written under a temporary name, flushed and synced to
// the disk, then renamed over the old file, so that the path always holds
// either the old contents or the complete new ones.
#pragma once

#include <climits>
#include <cstdio>

constexpr int DURABLE_PATH_SIZE = PATH_MAX;  // the longest path the system takes
constexpr char DURABLE_TEMP_SUFFIX[] = ".tmp";

struct DurableFile {
    FILE* file = nullptr;               // the temporary file, open for writing
    char path[DURABLE_PATH_SIZE] = {};  // the file being replaced
    char temp_path[DURABLE_PATH_SIZE + sizeof DURABLE_TEMP_SUFFIX] = {};  // path + ".tmp"
};

// Opens "<path>.tmp" for writing, truncating it.  False, with errno set, when
// the path does not fit (ENAMETOOLONG) or the file cannot be made; nothing is
// held then.
bool durable_open(DurableFile& out, const char* path);

// Ends the writing.  When written is true: flush, fsync and close the
// temporary file, rename it onto the path and sync the directory.  When
// written is false or any step before the rename fails, the temporary file
// is closed and removed and the path is left as it was.  Returns whether the
// path now holds the new contents; on failure errno is that of the first
// step that failed (unchanged when written was false).
bool durable_close(DurableFile& out, bool written);

// Whether a save to path could begin: its temporary file can be made (or,
// there already, opened for writing).  What is made to find out is removed
// again, and what was there is left as it was.  False, with errno set,
// otherwise.
bool durable_writable(const char* path);
