// Writing pictures as PNG files, for the tools and the tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Writes width x height RGB pixels (3 bytes each) to path, rows from the top
// down, or from the bottom up when bottom_up is set (as OpenGL reads them).
// False when the file cannot be written.
bool MEDIA_WritePng(const std::string& path, const std::vector<uint8_t>& rgb, int width, int height,
                    bool bottom_up = false);
