// The production's pictures: RGB images, rows from the top down, each with
// the tile size it is cut into on the drive (powers of two, widths that
// are multiples of 4). Captions are antialiased text painted over the exact
// colour of the ground they are shown on, since the scenes draw pictures
// opaque (GL_DECAL, no alpha).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct PICT_Entry {
    std::string name;
    int width;
    int height;
    int tile_width;
    int tile_height;
    std::vector<uint8_t> rgb;  // width * height * 3 bytes
};

// The ten pictures of the drive, in drive order.
std::vector<PICT_Entry> PICT_BuildAll();
