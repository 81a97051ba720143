// PNG pictures through the tools' output rules.
#include "png_file.h"

#include "output_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

bool write_png_file(const char* tool, const char* path, int width, int height, uint32_t format,
                    const uint8_t* pixels)
{
    OutputFile out;
    const char* refused = "";
    OutputStatus opened = output_open(out, path, &refused);
    if (opened == OUTPUT_REFUSED) {
        std::fprintf(stderr, "%s: %s is %s; nothing was written there\n", tool, path, refused);
        return false;
    }
    if (opened != OUTPUT_OPEN) {
        std::fprintf(stderr, "%s: cannot write %s (%s)\n", tool, path, std::strerror(errno));
        return false;
    }

    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = format;
    int stride = width * static_cast<int>(PNG_IMAGE_PIXEL_SIZE(format));
    errno = 0;
    bool encoded = png_image_write_to_stdio(&image, out.file, 0, pixels, stride, nullptr);
    if (!encoded && errno == 0) errno = EIO;
    if (!output_close(out, encoded)) {
        std::fprintf(stderr, "%s: cannot write %s (%s)\n", tool, path,
                     encoded ? std::strerror(errno) : image.message);
        return false;
    }
    return true;
}
