// Builds drive files and their payloads. Everything a drive holds is
// little-endian; the directory sits right after the header and the stored
// streams follow it in entry order.
#include "archive/cfs_writer.h"

#include <zlib.h>

#include <cstring>
#include <limits>
#include <set>
#include <stdexcept>

#include "archive/cfs.h"
#include "archive/cfs_tiles.h"
#include "platform/output_file.h"

// Entry offsets must stay below 2^31 so that a plain fseek reaches them.
constexpr uint64_t kMaxOffset = uint64_t(1) << 31;

static void CFS_WRITER_PutU32(std::vector<uint8_t>& out, uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) out.push_back(uint8_t(value >> shift));
}

static void CFS_WRITER_SetU32(std::vector<uint8_t>& out, size_t at, uint32_t value) {
    for (int i = 0; i < 4; i++) out[at + i] = uint8_t(value >> (8 * i));
}

static void CFS_WRITER_CheckTiling(size_t rgb_size, uint32_t width, uint32_t height,
                                   uint32_t tile_width, uint32_t tile_height) {
    if (uint64_t(width) * height * CFS_RGB_BYTES != rgb_size)
        throw std::invalid_argument("pixel data does not match the picture size");
    if (const char* fault = CFS_TileSizeFault(tile_width, tile_height))
        throw std::invalid_argument(fault);
    if (width % tile_width != 0 || height % tile_height != 0)
        throw std::invalid_argument("picture size is not a whole number of tiles");
}

std::vector<uint8_t> CFS_WRITER_Picture(const std::vector<uint8_t>& rgb, uint32_t width,
                                        uint32_t height, uint32_t tile_width,
                                        uint32_t tile_height) {
    CFS_WRITER_CheckTiling(rgb.size(), width, height, tile_width, tile_height);
    const CFS_Pict grid{tile_width, tile_height, width / tile_width, height / tile_height, nullptr};
    std::vector<uint8_t> out;
    out.reserve(CFS_PICT_HEADER_SIZE + rgb.size());
    CFS_WRITER_PutU32(out, grid.tiles_across);
    CFS_WRITER_PutU32(out, grid.tiles_down);
    CFS_WRITER_PutU32(out, tile_width);
    CFS_WRITER_PutU32(out, tile_height);
    const std::vector<uint8_t> tiles = CFS_Tile(grid, rgb);
    out.insert(out.end(), tiles.begin(), tiles.end());
    return out;
}

std::vector<uint8_t> CFS_WRITER_Mesh(const std::vector<float>& tris) {
    constexpr size_t floats_per_triangle = CFS_TRIANGLE_SIZE / sizeof(float);
    if (tris.size() % floats_per_triangle != 0)
        throw std::invalid_argument("a triangle list holds nine floats a triangle");
    const size_t faces = tris.size() / floats_per_triangle;
    if (faces > std::numeric_limits<uint32_t>::max() / 3)
        throw std::length_error("too many triangles for one mesh");

    std::vector<uint8_t> out;
    out.reserve(CFS_MESH_HEADER_SIZE + tris.size() * sizeof(float));
    CFS_WRITER_PutU32(out, uint32_t(faces));
    CFS_WRITER_PutU32(out, uint32_t(faces * 3));  // the corner count; readers ignore it
    for (float f : tris) {
        uint32_t bits;
        std::memcpy(&bits, &f, sizeof bits);
        CFS_WRITER_PutU32(out, bits);
    }
    return out;
}

static std::vector<uint8_t> CFS_WRITER_Compress(const std::vector<uint8_t>& payload) {
    uLongf size = compressBound(payload.size());
    std::vector<uint8_t> stream(size);
    if (compress(stream.data(), &size, payload.data(), payload.size()) != Z_OK)
        throw std::runtime_error("zlib could not compress an entry");
    stream.resize(size);
    return stream;
}

static void CFS_WRITER_CheckEntry(const CFS_WriterEntry& entry) {
    if (entry.name.empty() || entry.name.size() >= CFS_NAME_SIZE ||
        entry.name.find('\0') != std::string::npos)
        throw std::invalid_argument("entry name '" + entry.name + "' is not 1 to 39 bytes of text");
    if (entry.payload.size() > std::numeric_limits<uint32_t>::max())
        throw std::length_error("entry '" + entry.name + "' is too large");
}

static std::vector<uint8_t> CFS_WRITER_Header(uint32_t count) {
    std::vector<uint8_t> out(cfs_signature, cfs_signature + std::strlen(cfs_signature));
    CFS_WRITER_PutU32(out, uint32_t(cfs_version[0]));
    CFS_WRITER_PutU32(out, uint32_t(cfs_version[1]));
    CFS_WRITER_PutU32(out, count);
    return out;
}

std::vector<uint8_t> CFS_WRITER_Drive(const std::vector<CFS_WriterEntry>& entries) {
    std::vector<uint8_t> out = CFS_WRITER_Header(uint32_t(entries.size()));
    const size_t directory = out.size();
    out.resize(directory + entries.size() * sizeof(CFS_Entry), 0);

    std::set<std::string> names;
    for (size_t i = 0; i < entries.size(); i++) {
        CFS_WRITER_CheckEntry(entries[i]);
        // Only the first entry of a name can be read back.
        if (!names.insert(entries[i].name).second)
            throw std::invalid_argument("entry name '" + entries[i].name + "' occurs twice");
        const std::vector<uint8_t> stream = CFS_WRITER_Compress(entries[i].payload);
        if (out.size() + stream.size() > kMaxOffset)
            throw std::length_error("drive would exceed 2 GiB");
        const size_t at = directory + i * sizeof(CFS_Entry);
        std::memcpy(&out[at], entries[i].name.data(), entries[i].name.size());
        CFS_WRITER_SetU32(out, at + offsetof(CFS_Entry, type), entries[i].type);
        CFS_WRITER_SetU32(out, at + offsetof(CFS_Entry, isize),
                          uint32_t(entries[i].payload.size()));
        CFS_WRITER_SetU32(out, at + offsetof(CFS_Entry, csize), uint32_t(stream.size()));
        CFS_WRITER_SetU32(out, at + offsetof(CFS_Entry, offset), uint32_t(out.size()));
        out.insert(out.end(), stream.begin(), stream.end());
    }
    return out;
}

// Never a truncated drive that looks finished (and that a build takes as made).
bool CFS_WRITER_Save(const char* path, const std::vector<CFS_WriterEntry>& entries) {
    return OUTFILE_Save(path, CFS_WRITER_Drive(entries));
}
