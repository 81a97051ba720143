// Writing a file under a temporary name and renaming it into place.
#include "app/core/durable_file.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

bool durable_open(DurableFile& out, const char* path)
{
    out.file = nullptr;
    int length = std::snprintf(out.path, sizeof out.path, "%s", path);
    int temp_length =
        std::snprintf(out.temp_path, sizeof out.temp_path, "%s%s", path, DURABLE_TEMP_SUFFIX);
    if (length < 0 || length >= DURABLE_PATH_SIZE || temp_length < 0 ||
        temp_length >= static_cast<int>(sizeof out.temp_path)) {
        errno = ENAMETOOLONG;
        return false;
    }
    out.file = std::fopen(out.temp_path, "wb");
    return out.file != nullptr;
}

// After a rename the directory entry itself must reach the disk too.  A
// failure here is not reported: the new contents are in place either way.
static void sync_directory(const char* path)
{
    char dir[DURABLE_PATH_SIZE];
    const char* slash = std::strrchr(path, '/');
    if (!slash) {
        std::snprintf(dir, sizeof dir, ".");
    } else if (slash == path) {
        std::snprintf(dir, sizeof dir, "/");
    } else {
        std::snprintf(dir, sizeof dir, "%.*s", static_cast<int>(slash - path), path);
    }
    int fd = open(dir, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    fsync(fd);
    close(fd);
}

bool durable_close(DurableFile& out, bool written)
{
    int caller_errno = errno;  // what made an unwritten file fail
    FILE* file = out.file;
    out.file = nullptr;
    if (!file) return false;
    int failure = 0;
    if (written && std::fflush(file) != 0) failure = errno;
    if (written && failure == 0 && fsync(fileno(file)) != 0) failure = errno;
    if (std::fclose(file) != 0 && written && failure == 0) failure = errno;
    if (written && failure == 0 && std::rename(out.temp_path, out.path) != 0) failure = errno;
    if (!written || failure != 0) {
        std::remove(out.temp_path);
        errno = written ? failure : caller_errno;
        return false;
    }
    sync_directory(out.path);
    return true;
}

bool durable_writable(const char* path)
{
    char temp_path[DURABLE_PATH_SIZE + sizeof DURABLE_TEMP_SUFFIX];
    int length = std::snprintf(temp_path, sizeof temp_path, "%s%s", path, DURABLE_TEMP_SUFFIX);
    if (length < 0 || length >= static_cast<int>(sizeof temp_path)) {
        errno = ENAMETOOLONG;
        return false;
    }
    int fd = open(temp_path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) {
        close(fd);
        unlink(temp_path);
        return true;
    }
    if (errno != EEXIST) return false;
    // Left by an earlier run: a save opens it the same way.
    fd = open(temp_path, O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    close(fd);
    return true;
}
