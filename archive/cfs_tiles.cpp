#include "archive/cfs_tiles.h"

#include <cstring>

namespace {

// OpenGL unpacks pixel rows on 4-byte boundaries; a tile row of a width that
// is a multiple of 4 is packed, so uploads never read past the tile.
constexpr uint32_t kTileWidthStep = 4;

bool IsPowerOfTwo(uint32_t n) { return n != 0 && (n & (n - 1)) == 0; }

uint32_t Height(const CFS_Pict& grid) { return grid.tile_height * grid.tiles_down; }
uint32_t Width(const CFS_Pict& grid) { return grid.tile_width * grid.tiles_across; }

// Copies every tile row between the picture's rows and the tiles, one way
// or the other.
template <typename Copy>
void EachTileRow(const CFS_Pict& grid, Copy copy) {
    const size_t row_bytes = size_t(grid.tile_width) * CFS_RGB_BYTES;
    for (uint32_t y = 0; y < Height(grid); ++y)
        for (uint32_t column = 0; column < grid.tiles_across; ++column) {
            const uint32_t x = column * grid.tile_width;
            copy(CFS_PixelOffset(grid, x, y), (size_t(y) * Width(grid) + x) * CFS_RGB_BYTES,
                 row_bytes);
        }
}

}  // namespace

size_t CFS_TileOffset(const CFS_Pict& grid, uint32_t row, uint32_t column) {
    const size_t tile_bytes = size_t(grid.tile_width) * grid.tile_height * CFS_RGB_BYTES;
    return (size_t(row) * grid.tiles_across + column) * tile_bytes;
}

size_t CFS_PixelOffset(const CFS_Pict& grid, uint32_t x, uint32_t y) {
    const uint32_t from_bottom = Height(grid) - 1 - y;
    const uint32_t row_in_tile = grid.tile_height - 1 - from_bottom % grid.tile_height;
    return CFS_TileOffset(grid, from_bottom / grid.tile_height, x / grid.tile_width) +
           (size_t(row_in_tile) * grid.tile_width + x % grid.tile_width) * CFS_RGB_BYTES;
}

std::vector<uint8_t> CFS_Untile(const CFS_Pict& pict) {
    std::vector<uint8_t> rgb(size_t(Width(pict)) * Height(pict) * CFS_RGB_BYTES);
    EachTileRow(pict, [&](size_t tiled, size_t flat, size_t n) {
        std::memcpy(&rgb[flat], pict.pixels + tiled, n);
    });
    return rgb;
}

std::vector<uint8_t> CFS_Tile(const CFS_Pict& grid, const std::vector<uint8_t>& rgb) {
    std::vector<uint8_t> tiles(rgb.size());
    EachTileRow(grid, [&](size_t tiled, size_t flat, size_t n) {
        std::memcpy(&tiles[tiled], &rgb[flat], n);
    });
    return tiles;
}

const char* CFS_TileSizeFault(uint32_t tile_width, uint32_t tile_height) {
    if (!IsPowerOfTwo(tile_width) || !IsPowerOfTwo(tile_height))
        return "Tile size is not a power of two.";
    if (tile_width % kTileWidthStep != 0) return "Tile width is not a multiple of 4.";
    return nullptr;
}
