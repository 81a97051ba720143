// Reading back the PNG pictures the tools write.
#pragma once

#include <png.h>

#include <cstdint>
#include <string>
#include <vector>

struct PngPixels {
    bool read = false;  // the file was a whole PNG
    int width = 0;
    int height = 0;
    int channels = 0;            // 3 for RGB, 4 for RGBA
    std::vector<uint8_t> bytes;  // rows top first, no padding
    const uint8_t* at(int x, int y) const { return &bytes[(y * width + x) * channels]; }
};

// Reads path as format (PNG_FORMAT_RGB or PNG_FORMAT_RGBA).
PngPixels read_png(const std::string& path, uint32_t format);
