// How a picture lies on the drive: cut into tiles stored back to back, tile
// k = row * tiles_across + column, tile row 0 at the bottom of the picture,
// the pixel rows inside a tile from its top edge down, 3 bytes a pixel. The
// readers, the writer, the raster blit and the tools all go through here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "archive/cfs.h"

constexpr size_t CFS_RGB_BYTES = 3;  // bytes of one pixel

// The first byte of tile (row, column) in a picture's pixels.
size_t CFS_TileOffset(const CFS_Pict& grid, uint32_t row, uint32_t column);

// The byte of pixel (x, y) in a picture's pixels, y counted down from the
// picture's top row as in an image file.
size_t CFS_PixelOffset(const CFS_Pict& grid, uint32_t x, uint32_t y);

// The whole picture's RGB rows, top row first.
std::vector<uint8_t> CFS_Untile(const CFS_Pict& pict);

// Tile pixels for a picture of RGB rows, top row first, whose size is a
// whole number of the grid's tiles; the inverse of CFS_Untile.
std::vector<uint8_t> CFS_Tile(const CFS_Pict& grid, const std::vector<uint8_t>& rgb);

// Why OpenGL 1.x could not take a tile of this size as a texture (a size
// that is not a power of two, or rows it would read past), or null when it
// can. The text is a sentence that ends in a full stop.
const char* CFS_TileSizeFault(uint32_t tile_width, uint32_t tile_height);
