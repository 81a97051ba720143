// Making a directory with its parents, one level at a time.
#include "app/core/directories.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>

constexpr int PATH_SIZE = 4096;

static bool is_directory(const char* path)
{
    struct stat info;
    return stat(path, &info) == 0 && S_ISDIR(info.st_mode);
}

bool make_directories(const char* path)
{
    char partial[PATH_SIZE];
    int length = std::snprintf(partial, sizeof partial, "%s", path);
    if (length <= 0 || length >= PATH_SIZE) {
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
