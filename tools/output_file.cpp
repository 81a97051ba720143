// Opening a tool's output: standard output, a stream, or a file replaced whole.
#include "output_file.h"

#include "app/core/directories.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

constexpr int MAX_LINKS = 40;  // as the kernel allows in a path

// Follows path while it names a symbolic link; resolved gets the final name
// (which may not exist yet).  A relative link is read from the link's own
// directory.  False, with errno set, for a loop or a name too long.
static bool follow_links(const char* path, char resolved[DURABLE_PATH_SIZE])
{
    if (std::snprintf(resolved, DURABLE_PATH_SIZE, "%s", path) >= DURABLE_PATH_SIZE) {
        errno = ENAMETOOLONG;
        return false;
    }
    for (int hops = 0; hops <= MAX_LINKS; hops++) {
        struct stat info;
        if (lstat(resolved, &info) != 0 || !S_ISLNK(info.st_mode)) return true;
        char target[DURABLE_PATH_SIZE];
        ssize_t length = readlink(resolved, target, sizeof target - 1);
        if (length < 0) return false;
        target[length] = '\0';
        char next[DURABLE_PATH_SIZE];
        const char* slash = std::strrchr(resolved, '/');
        int written = target[0] == '/' || !slash
                          ? std::snprintf(next, sizeof next, "%s", target)
                          : std::snprintf(next, sizeof next, "%.*s/%s",
                                          static_cast<int>(slash - resolved), resolved, target);
        if (written < 0 || written >= DURABLE_PATH_SIZE) {
            errno = ENAMETOOLONG;
            return false;
        }
        std::memcpy(resolved, next, static_cast<size_t>(written) + 1);
    }
    errno = ELOOP;
    return false;
}

static const char* kind_of(mode_t mode)
{
    if (S_ISDIR(mode)) return "a directory";
    if (S_ISSOCK(mode)) return "a socket";
    return "not a regular file";
}

// Makes the folder path is to go in, with its parents, when it is missing.
static bool make_parent_directories(const char* path)
{
    const char* slash = std::strrchr(path, '/');
    if (!slash || slash == path) return true;  // the current folder, or the root
    char parent[DURABLE_PATH_SIZE];
    std::snprintf(parent, sizeof parent, "%.*s", static_cast<int>(slash - path), path);
    return make_directories(parent);
}

// Writes into a device or pipe as a stream, by its own name.
static OutputStatus open_stream(OutputFile& out, const char* path)
{
    out.file = std::fopen(path, "wb");
    out.stream = true;
    out.owns_stream = true;
    return out.file ? OUTPUT_OPEN : OUTPUT_FAILED;
}

OutputStatus output_open(OutputFile& out, const char* path, const char** kind)
{
    out = OutputFile{};
    if (std::strcmp(path, "-") == 0) {
        out.file = stdout;
        out.stream = true;
        return OUTPUT_OPEN;
    }
    // What the name leads to after every link, as the system follows them:
    // /dev/stdout and its kind end in a pipe or device that has no path.
    struct stat info;
    if (stat(path, &info) == 0 && !S_ISREG(info.st_mode)) {
        if (S_ISCHR(info.st_mode) || S_ISBLK(info.st_mode) || S_ISFIFO(info.st_mode))
            return open_stream(out, path);
        *kind = kind_of(info.st_mode);
        return OUTPUT_REFUSED;
    }
    // A file, or a name not yet taken: the file to replace, found link by link.
    char target[DURABLE_PATH_SIZE];
    if (!follow_links(path, target) || !make_parent_directories(target)) return OUTPUT_FAILED;
    if (!durable_open(out.durable, target)) return OUTPUT_FAILED;
    out.file = out.durable.file;
    return OUTPUT_OPEN;
}

bool output_close(OutputFile& out, bool written)
{
    FILE* file = out.file;
    out.file = nullptr;
    if (!out.stream) return durable_close(out.durable, written);
    int failure = written && std::fflush(file) != 0 ? errno : 0;
    if (out.owns_stream && std::fclose(file) != 0 && failure == 0) failure = errno;
    if (failure != 0) errno = failure;
    return written && failure == 0;
}
