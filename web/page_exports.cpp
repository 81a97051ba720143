// What the page's buttons call in the program: the WAV export of the tools,
// the song file's name and its size rule.  Main thread, between frames.
#include "app/core/state_file.h"
#include "song_export.h"

#include <emscripten.h>

// The song file's name in its directory, as the program saves it.
extern "C" EMSCRIPTEN_KEEPALIVE const char* plim_song_file_name() { return STATE_FILE_NAME; }

// Whether a file of size bytes is a song, by the rule the program loads by.
extern "C" EMSCRIPTEN_KEEPALIVE int plim_is_song_size(int size)
{
    return is_state_file_size(size) ? 1 : 0;
}

// Writes the song saved in dir to out_path as plim-render does, four passes
// and the tail, beside the playing program (whose limiter the export leaves
// as it was).  Returns 1 once the file is complete.
extern "C" EMSCRIPTEN_KEEPALIVE int plim_export_wav(const char* dir, const char* out_path)
{
    return export_song(dir, out_path, EXPORT_DEFAULT_LOOPS).status == EXPORT_DONE ? 1 : 0;
}
