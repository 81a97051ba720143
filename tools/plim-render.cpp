// plim-render DIR OUT.wav [LOOPS]: writes what PLIM plays for the song in DIR to a WAV file.
#include "sound/song_export.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

constexpr int EXIT_FAILED = 1;
constexpr int EXIT_USAGE = 2;

static void usage()
{
    std::fprintf(stderr,
                 "usage: plim-render DIR OUT.wav [LOOPS]\n"
                 "  Renders the song saved in DIR/plim.state as a 16-bit stereo 48 kHz WAV:\n"
                 "  LOOPS passes of the 16 steps (default %d, at most %d) and the ringing tail.\n",
                 EXPORT_DEFAULT_LOOPS, EXPORT_MAX_LOOPS);
}

// A whole number from 1 to EXPORT_MAX_LOOPS, or -1.
static int parse_loops(const char* text)
{
    errno = 0;
    char* end = nullptr;
    long value = std::strtol(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0' || text[0] == '-' || text[0] == '+' ||
        text[0] == ' ')
        return -1;
    return value >= 1 && value <= EXPORT_MAX_LOOPS ? static_cast<int>(value) : -1;
}

static void report_failure(const ExportResult& result, const char* dir, const char* out_path)
{
    const char* reason = std::strerror(result.error_number);
    switch (result.status) {
    case EXPORT_NO_DIRECTORY:
        std::fprintf(stderr, "plim-render: %s: not a directory (%s)\n", dir, reason);
        break;
    case EXPORT_PATH_TOO_LONG:
        std::fprintf(stderr, "plim-render: path too long: %s or %s\n", dir, out_path);
        break;
    case EXPORT_NO_SONG:
        std::fprintf(stderr, "plim-render: %s holds no song (no plim.state)\n", dir);
        break;
    case EXPORT_UNREADABLE_SONG:
        std::fprintf(stderr, "plim-render: cannot read %s/plim.state (%s)\n", dir, reason);
        break;
    case EXPORT_BAD_SONG_SIZE:
        std::fprintf(stderr,
                     "plim-render: %s/plim.state is not a song file: %ld bytes "
                     "(a song has 136, 144 or 152)\n",
                     dir, result.song_size);
        break;
    case EXPORT_NO_MEMORY:
        std::fprintf(stderr, "plim-render: out of memory\n");
        break;
    case EXPORT_CANNOT_WRITE:
        std::fprintf(stderr, "plim-render: cannot write %s (%s); nothing was written\n",
                     out_path, reason);
        break;
    case EXPORT_DONE:
        break;
    }
}

int main(int argc, char** argv)
{
    if (argc < 3 || argc > 4) {
        usage();
        return EXIT_USAGE;
    }
    int loops = EXPORT_DEFAULT_LOOPS;
    if (argc == 4 && (loops = parse_loops(argv[3])) < 0) {
        std::fprintf(stderr, "plim-render: LOOPS must be a whole number from 1 to %d, not \"%s\"\n",
                     EXPORT_MAX_LOOPS, argv[3]);
        return EXIT_USAGE;
    }

    ExportResult result = export_song(argv[1], argv[2], loops);
    if (result.status != EXPORT_DONE) {
        report_failure(result, argv[1], argv[2]);
        return EXIT_FAILED;
    }
    std::printf("plim-render: wrote %s: %d loop%s, %.2f s (%.2f s of tail)\n", argv[2], loops,
                loops == 1 ? "" : "s", static_cast<double>(result.frames) / SAMPLE_RATE,
                static_cast<double>(result.tail_frames) / SAMPLE_RATE);
    return 0;
}
