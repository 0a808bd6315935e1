// The image reader: turns a picture entry into a CFS_Pict. The payload is
// four header words (tiles across, tiles down, tile width, tile height)
// followed by the tiles' raw RGB bytes, exactly as they go to OpenGL.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "archive/cfs.h"
#include "archive/cfs_tiles.h"

CFS_Pict* png_info;
uint8_t* png_buffy;

static uint32_t PNG_Word(size_t index) {
    uint32_t word;
    std::memcpy(&word, png_buffy + index * sizeof word, sizeof word);
    return word;
}

// Releases this call's blocks before the report, so that nothing leaks where
// the report does not end the process.
[[noreturn]] static void PNG_Fail(const char* message) {
    free(png_buffy);
    free(png_info);
    CFS_Fatal(message);
}

static void PNG_CheckTiles() {
    const char* fault = CFS_TileSizeFault(png_info->tile_width, png_info->tile_height);
    if (!fault) return;
    static char message[128];
    snprintf(message, sizeof message, "CFS_ReadPNG24: FATAL_ERROR: %s\n", fault);
    PNG_Fail(message);
}

// S = tile width x tiles across x tile height x tiles down x 3, which must
// fit, together with the header, in the bytes actually inflated.
static size_t PNG_PixelBytes(uint32_t inflated) {
    uint64_t bytes = CFS_RGB_BYTES;
    const bool overflow = __builtin_mul_overflow(bytes, png_info->tile_width, &bytes) ||
                          __builtin_mul_overflow(bytes, png_info->tiles_across, &bytes) ||
                          __builtin_mul_overflow(bytes, png_info->tile_height, &bytes) ||
                          __builtin_mul_overflow(bytes, png_info->tiles_down, &bytes);
    if (overflow || CFS_PICT_HEADER_SIZE + bytes > inflated)
        PNG_Fail("CFS_ReadPNG24: FATAL_ERROR: Picture payload is truncated.\n");
    return size_t(bytes);
}

CFS_Pict* CFS_ReadPNG24(const char* name) {
    CFS_TakeTurn();
    uint32_t inflated;
    png_buffy = CFS_Read(name, CFS_TYPE_PNG24, &inflated);
    png_info = static_cast<CFS_Pict*>(malloc(sizeof(CFS_Pict)));
    if (!png_info) PNG_Fail("CFS_ReadPNG24: FATAL_ERROR: Memory allocation failed.\n");
    if (inflated < CFS_PICT_HEADER_SIZE)
        PNG_Fail("CFS_ReadPNG24: FATAL_ERROR: Picture payload is truncated.\n");
    png_info->tile_width = PNG_Word(2);
    png_info->tile_height = PNG_Word(3);
    png_info->tiles_across = PNG_Word(0);
    png_info->tiles_down = PNG_Word(1);
    png_info->pixels = nullptr;
    PNG_CheckTiles();
    const size_t bytes = PNG_PixelBytes(inflated);
    png_info->pixels = static_cast<uint8_t*>(malloc(std::max<size_t>(bytes, 1)));
    if (!png_info->pixels) PNG_Fail("FATAL_ERROR: Memory allocation failed.\n");
    std::memcpy(png_info->pixels, png_buffy + CFS_PICT_HEADER_SIZE, bytes);
    free(png_buffy);
    CFS_Pict* record = png_info;
    CFS_EndTurn();
    return record;
}
