// plim-render DIR OUT.wav [LOOPS]: writes what PLIM plays for the song in DIR to a WAV file.
#include "song_export.h"
#include "tool_arguments.h"

#include "app/core/state_file.h"

#include <cstdio>
#include <cstring>

static const char USAGE[] =
    "usage: plim-render DIR OUT.wav [LOOPS]\n"
    "  Renders the song saved in DIR/" STATE_FILE_NAME_LITERAL
    " as a 16-bit stereo 48 kHz WAV:\n"
    "  LOOPS passes of the 16 steps (default 4, at most 999) and the ringing tail.\n"
    "  OUT may be - for standard output, or a device or pipe to stream into;\n"
    "  the folders on the way to a file are made when missing.\n";

// How the output is named in what the tool says: "-" is standard output.
static const char* output_name(const char* out_path)
{
    return std::strcmp(out_path, "-") == 0 ? "standard output" : out_path;
}

static void report_failure(const ExportResult& result, const char* dir, const char* out_path)
{
    switch (result.status) {
    case EXPORT_BAD_SONG: report_song_problem("plim-render", dir, result.song); break;
    case EXPORT_NO_MEMORY: std::fprintf(stderr, "plim-render: out of memory\n"); break;
    case EXPORT_REFUSED_OUTPUT:
        std::fprintf(stderr, "plim-render: %s is %s; give a file name (or - for standard output)\n",
                     out_path, result.refused);
        break;
    case EXPORT_CANNOT_WRITE:
        std::fprintf(stderr, "plim-render: cannot write %s (%s)\n", output_name(out_path),
                     std::strerror(result.error_number));
        break;
    case EXPORT_DONE: break;
    }
}

int main(int argc, char** argv)
{
    static_assert(EXPORT_DEFAULT_LOOPS == 4 && EXPORT_MAX_LOOPS == 999, "the usage text says so");
    const ToolCommand command = {{"plim-render", {"DIR", "OUT.wav", "LOOPS"}, 2, 3, nullptr},
                                 USAGE};
    const char* operands[3];
    int count = 0;
    int status = read_tool_arguments(command, argc, argv, operands, count);
    if (status != TOOL_GO_ON) return status;
    const char* dir = operands[0];
    const char* out_path = operands[1];
    int loops = EXPORT_DEFAULT_LOOPS;
    if (count == 3 && !read_whole_number(operands[2], 1, EXPORT_MAX_LOOPS, loops)) {
        std::fprintf(stderr, "plim-render: LOOPS must be a whole number from 1 to %d, not \"%s\"\n",
                     EXPORT_MAX_LOOPS, operands[2]);
        return TOOL_EXIT_USAGE;
    }

    ExportResult result = export_song(dir, out_path, loops);
    if (result.status != EXPORT_DONE) {
        report_failure(result, dir, out_path);
        return TOOL_EXIT_FAILED;
    }
    // A stream may be standard output itself: the summary then goes to standard error.
    FILE* summary = result.streamed ? stderr : stdout;
    std::fprintf(summary, "plim-render: wrote %s: %d loop%s, %.2f s (%.2f s of tail)\n",
                 output_name(out_path), loops, loops == 1 ? "" : "s",
                 static_cast<double>(result.frames) / SAMPLE_RATE,
                 static_cast<double>(result.tail_frames) / SAMPLE_RATE);
    return 0;
}
