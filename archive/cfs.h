// The drive: one packed file of named, zlib-compressed pictures and meshes.
// The handler opens it, hands out inflated entries by name and type, and
// closes it; the two readers turn entries into picture and mesh records.
// Every failure prints one message to standard output and ends the process
// with status 1: a function that returns has succeeded.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr uint32_t CFS_TYPE_ASE = 15;    // a mesh entry
constexpr uint32_t CFS_TYPE_PNG24 = 16;  // a picture entry
constexpr size_t CFS_NAME_SIZE = 40;     // name bytes, terminator included

// Drive header: signature, major and minor version, entry count.
constexpr size_t CFS_HEADER_SIZE = 16;
// Header words of a picture payload and of a mesh payload.
constexpr size_t CFS_PICT_HEADER_SIZE = 16;
constexpr size_t CFS_MESH_HEADER_SIZE = 8;
constexpr size_t CFS_TRIANGLE_SIZE = 36;  // three corners of three floats

// One directory entry, stored verbatim in the drive.
struct CFS_Entry {
    char name[CFS_NAME_SIZE];
    uint32_t type;
    uint32_t isize;   // inflated size
    uint32_t csize;   // stored size
    uint32_t offset;  // file offset of the stored bytes
};
static_assert(sizeof(CFS_Entry) == 56, "a directory entry is 56 bytes in the drive");

// A picture cut into tiles of raw RGB pixels; tile row 0 is the bottom row,
// pixel rows inside a tile run from its top edge down.
struct CFS_Pict {
    uint32_t tile_width;
    uint32_t tile_height;
    uint32_t tiles_across;
    uint32_t tiles_down;
    uint8_t* pixels;  // tile_width * tile_height * 3 bytes per tile, tiles back to back
};

// A triangle list: numfaces triangles of nine floats (P0, P1, P2).
struct CFS_Mesh {
    float* tris;
    uint32_t numvertex;  // carried from the payload, read by nobody
    uint32_t numfaces;
    // Closed shells wound outward, as the reader found them: every edge
    // joins two faces that walk it in opposite directions, and every shell
    // encloses a positive volume. Only such a mesh may have its back faces
    // culled; records built from constant data leave it false.
    bool solid = false;
};

// One unit normal per triangle of a mesh.
struct CFS_Norms {
    float x, y, z;
};

// The signature and format version a drive carries; the writer uses them too.
extern const char cfs_signature[];
extern const int32_t cfs_version[2];

// The open drive's directory, for tools that list it; valid between
// CFS_Open and CFS_Close.
extern CFS_Entry* cfs_directory;
extern uint32_t cfs_nfiles;

// Opens the drive at path and loads its directory; returns 0.
int CFS_Open(const char* path);
// Returns a new heap block (release with free) holding the inflated entry
// name of the given type. When inflated is not null it receives the number
// of bytes actually inflated, which may be fewer than the entry's isize.
uint8_t* CFS_Read(const char* name, uint32_t type, uint32_t* inflated = nullptr);
// Releases the directory and closes the drive; nothing when none is open. Returns 0.
int CFS_Close();

// Reads the picture entry name into a new record.
CFS_Pict* CFS_ReadPNG24(const char* name);
// Reads the mesh entry name into a new record, and finds whether it is solid.
CFS_Mesh* CFS_ReadASE(const char* name);
// Returns a new array of mesh->numfaces unit normals, one per triangle.
CFS_Norms* CFS_CalcNormsASE(const CFS_Mesh* mesh);

// Ends the process through the program's fatal path (platform/fatal.h)
// with message; the drive fuzzer replaces it to go on with its next input.
[[noreturn]] void CFS_Fatal(const char* message);
