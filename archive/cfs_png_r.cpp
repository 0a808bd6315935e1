// The image reader: turns a picture entry into a CFS_Pict. The payload is
// four header words (tiles across, tiles down, tile width, tile height)
// followed by the tiles' raw RGB bytes, exactly as they go to OpenGL.
#include <cstdio>
#include <cstdlib>

#include "archive/cfs.h"
#include "archive/cfs_reader.h"
#include "archive/cfs_tiles.h"

CFS_Pict* png_info;

static const char kTruncated[] = "CFS_ReadPNG24: FATAL_ERROR: Picture payload is truncated.\n";

static void PNG_CheckTiles() {
    const char* fault = CFS_TileSizeFault(png_info->tile_width, png_info->tile_height);
    if (!fault) return;
    static char message[128];
    snprintf(message, sizeof message, "CFS_ReadPNG24: FATAL_ERROR: %s\n", fault);
    CFS_ReaderFail(png_info, message);
}

// Tile width x tiles across x tile height x tiles down x 3, or more than any
// entry holds when that overflows.
static uint64_t PNG_PixelBytes() {
    uint64_t bytes = CFS_RGB_BYTES;
    const bool overflow = __builtin_mul_overflow(bytes, png_info->tile_width, &bytes) ||
                          __builtin_mul_overflow(bytes, png_info->tiles_across, &bytes) ||
                          __builtin_mul_overflow(bytes, png_info->tile_height, &bytes) ||
                          __builtin_mul_overflow(bytes, png_info->tiles_down, &bytes);
    return overflow ? UINT64_MAX / 2 : bytes;
}

CFS_Pict* CFS_ReadPNG24(const char* name) {
    CFS_ReaderOpen(name, CFS_TYPE_PNG24, CFS_PICT_HEADER_SIZE, kTruncated);
    png_info = static_cast<CFS_Pict*>(malloc(sizeof(CFS_Pict)));
    if (!png_info)
        CFS_ReaderFail(nullptr, "CFS_ReadPNG24: FATAL_ERROR: Memory allocation failed.\n");
    png_info->tile_width = CFS_ReaderWord(2);
    png_info->tile_height = CFS_ReaderWord(3);
    png_info->tiles_across = CFS_ReaderWord(0);
    png_info->tiles_down = CFS_ReaderWord(1);
    PNG_CheckTiles();
    // The body ends the turn: from then on only this call's own copy of
    // the record pointer is read.
    CFS_Pict* record = png_info;
    record->pixels = static_cast<uint8_t*>(CFS_ReaderBody(
        PNG_PixelBytes(), record, kTruncated, "FATAL_ERROR: Memory allocation failed.\n"));
    return record;
}
