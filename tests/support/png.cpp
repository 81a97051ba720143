// Reading back the PNG pictures the tools write.
#include "support/png.h"

#include <cstring>

PngPixels read_png(const std::string& path, uint32_t format)
{
    PngPixels pixels;
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return pixels;
    image.format = format;
    std::vector<uint8_t> bytes(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, bytes.data(), 0, nullptr)) return pixels;
    pixels.read = true;
    pixels.width = static_cast<int>(image.width);
    pixels.height = static_cast<int>(image.height);
    pixels.channels = static_cast<int>(PNG_IMAGE_PIXEL_CHANNELS(format));
    pixels.bytes = std::move(bytes);
    return pixels;
}
