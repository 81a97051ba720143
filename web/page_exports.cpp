// What the page's buttons call in the program: the WAV export of the tools
// and the song file's size rule.  Main thread, between frames.
#include "app/core/state_file.h"
#include "song_export.h"
#include "sound/effects.h"

#include <emscripten.h>

// Whether a file of size bytes is a song, by the rule the program loads by.
extern "C" EMSCRIPTEN_KEEPALIVE int plim_is_song_size(int size)
{
    return is_state_file_size(size) ? 1 : 0;
}

// Writes the song saved in dir to out_path as plim-render does, four passes
// and the tail.  The export runs the engine on its own record, but the
// limiter's envelope is shared with the playing program: it is put back as
// it was.  Returns 1 once the file is complete.
extern "C" EMSCRIPTEN_KEEPALIVE int plim_export_wav(const char* dir, const char* out_path)
{
    double playing_limiter = limiter_env;
    ExportResult result = export_song(dir, out_path, EXPORT_DEFAULT_LOOPS);
    limiter_env = playing_limiter;
    return result.status == EXPORT_DONE ? 1 : 0;
}
