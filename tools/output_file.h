// Where a tool writes its output, chosen so that nothing but a file is ever
// replaced: "-" is standard output; a name that leads, after every link, to a
// device or pipe (/dev/stdout too) is written to as a stream; a symbolic link
// to a file, or to a name not yet taken, is followed and the file it points to is
// replaced; a regular file, or a name not yet taken, is written under a
// temporary name and renamed into place, the folders on the way made when
// missing (as mkdir -p would); anything else (a directory, a socket) is
// refused.
#pragma once

#include "app/core/durable_file.h"

#include <cstdio>

enum OutputStatus {
    OUTPUT_OPEN,
    OUTPUT_REFUSED,  // an existing directory, socket or the like: never written
    OUTPUT_FAILED,   // the file or stream could not be opened; errno says why
};

struct OutputFile {
    FILE* file = nullptr;      // write here while open
    bool stream = false;       // writing straight into standard output, a device or a pipe
    bool owns_stream = false;  // the stream was opened here and is closed here
    DurableFile durable;       // the file being replaced, unless stream
};

// Opens path for writing by the rules above.  For OUTPUT_REFUSED, kind names
// what stands at the path ("a directory", "a socket", ...).
OutputStatus output_open(OutputFile& out, const char* path, const char** kind);

// Ends the writing: a stream is flushed (and closed if opened here); a file
// is finished as durable_close does, in place only when written is true and
// every step succeeds.  Returns whether everything written arrived; errno
// tells the first failure.
bool output_close(OutputFile& out, bool written);

// Whether out can seek back to rewrite what it wrote first (a new file can,
// a stream cannot).
inline bool output_seekable(const OutputFile& out) { return !out.stream; }
