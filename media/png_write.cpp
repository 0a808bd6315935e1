#include "media/png_write.h"

#include <png.h>

#include "platform/output_file.h"

// Encoded in memory first: libpng's own file writer removes whatever the
// path names when a write fails.
bool MEDIA_WritePng(const std::string& path, const std::vector<uint8_t>& rgb, int width, int height,
                    bool bottom_up) {
    png_image image = {};
    image.version = PNG_IMAGE_VERSION;
    image.width = width;
    image.height = height;
    image.format = PNG_FORMAT_RGB;
    // A negative stride writes the first row in memory last.
    const png_int_32 stride = (bottom_up ? -1 : 1) * static_cast<png_int_32>(width * 3);
    png_alloc_size_t size = 0;
    if (!png_image_write_to_memory(&image, nullptr, &size, 0, rgb.data(), stride, nullptr))
        return false;
    std::vector<uint8_t> png(size);
    if (!png_image_write_to_memory(&image, png.data(), &size, 0, rgb.data(), stride, nullptr))
        return false;
    png.resize(size);
    return OUTFILE_Save(path.c_str(), png);
}
