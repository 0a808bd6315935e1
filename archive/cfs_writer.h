// Writes well-formed drives and builds their payloads from in-memory pictures
// and triangle lists. The data tools, the cfs tool and the tests share it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct CFS_WriterEntry {
    std::string name;              // at most 39 bytes
    uint32_t type;                 // CFS_TYPE_ASE or CFS_TYPE_PNG24
    std::vector<uint8_t> payload;  // the inflated bytes
};

// Image payload of an RGB picture (width x height pixels, 3 bytes a pixel,
// rows from the top down) cut into tiles of tile_width x tile_height.
// Throws std::invalid_argument when the picture cannot be cut that way
// (tile sizes not powers of two, tile width not a multiple of 4, or a
// picture size that is not a whole number of tiles).
std::vector<uint8_t> CFS_WRITER_Picture(const std::vector<uint8_t>& rgb, uint32_t width,
                                        uint32_t height, uint32_t tile_width, uint32_t tile_height);

// Mesh payload from a triangle list of 9 floats a triangle (P0, P1, P2).
std::vector<uint8_t> CFS_WRITER_Mesh(const std::vector<float>& tris);

// The bytes of a drive: header "CFSD" v1.1, directory at offset 16, one zlib
// stream per entry after the directory.
std::vector<uint8_t> CFS_WRITER_Drive(const std::vector<CFS_WriterEntry>& entries);

// Writes CFS_WRITER_Drive(entries) to path, whole or not at all: the bytes go
// to a file beside it that is renamed once complete. False when the file
// cannot be written.
bool CFS_WRITER_Save(const char* path, const std::vector<CFS_WriterEntry>& entries);
