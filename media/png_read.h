// Reading PNG pictures, for the tools that compare them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct MEDIA_Picture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;  // 3 bytes a pixel, rows from the top down
};

// Reads a PNG file as 8-bit RGB; false when it cannot be read.
bool MEDIA_ReadPng(const std::string& path, MEDIA_Picture* picture);
