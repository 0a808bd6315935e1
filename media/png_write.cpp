#include "media/png_write.h"

#include <png.h>

bool MEDIA_WritePng(const std::string& path, const std::vector<uint8_t>& rgb, int width, int height,
                    bool bottom_up) {
    png_image image = {};
    image.version = PNG_IMAGE_VERSION;
    image.width = width;
    image.height = height;
    image.format = PNG_FORMAT_RGB;
    // A negative stride writes the first row in memory last.
    const png_int_32 stride = (bottom_up ? -1 : 1) * static_cast<png_int_32>(width * 3);
    return png_image_write_to_file(&image, path.c_str(), 0, rgb.data(), stride, nullptr) != 0;
}
