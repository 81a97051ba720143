// Writing a picture as a PNG file by the tools' output rules.
#pragma once

#include <png.h>

#include <cstdint>

// Writes width x height pixels of format (PNG_FORMAT_RGB or PNG_FORMAT_RGBA),
// rows top first with no padding, to path by the rules of output_open: a file
// is either the old one or complete.  On failure prints why as
// "<tool>: <reason>" on standard error and returns false.
bool write_png_file(const char* tool, const char* path, int width, int height, uint32_t format,
                    const uint8_t* pixels);
