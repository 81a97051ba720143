// Making a directory with its parents, one level at a time.
#include "app/core/directories.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>

// Opened as a place, not for reading: a directory we may not list counts
// too.  (open rather than stat, which C libraries before 2.33 do not export
// under that name: the handheld port's program must start on those.)
static bool is_directory(const char* path)
{
    int fd = open(path, O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    close(fd);
    return true;
}

bool make_directories(const char* path)
{
    char partial[PATH_MAX];
    int length = std::snprintf(partial, sizeof partial, "%s", path);
    if (length <= 0 || length >= PATH_MAX) {
        errno = length == 0 ? ENOENT : ENAMETOOLONG;
        return false;
    }
    // Each parent in turn, then the whole path.
    for (int end = 1; end <= length; end++) {
        if (end < length && partial[end] != '/') continue;
        char kept = partial[end];
        partial[end] = '\0';
        bool made = mkdir(partial, 0777) == 0 || (errno == EEXIST && is_directory(partial));
        if (!made && errno == EEXIST) errno = ENOTDIR;
        partial[end] = kept;
        if (!made) return false;
    }
    return true;
}
