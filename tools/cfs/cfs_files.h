// The picture and mesh files the cfs tool trades with drives: PNG through
// libpng, and Wavefront OBJ triangle lists.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "archive/cfs.h"

// An RGB picture, 3 bytes a pixel, rows from the top down.
struct CFS_FILES_Picture {
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<uint8_t> rgb;
};

// The tools' error (TOOL_ARGS_Error) with the formatted text as its reason.
[[noreturn]] void CFS_FILES_Fail(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Any PNG, converted to 8-bit RGB; transparency is laid over black.
CFS_FILES_Picture CFS_FILES_ReadPng(const std::string& path);
void CFS_FILES_WritePng(const std::string& path, const CFS_FILES_Picture& picture);

// The faces of an OBJ file as triangles of nine floats; polygons are split
// into fans around their first corner.
std::vector<float> CFS_FILES_ReadObj(const std::string& path);
// Every triangle as three vertices of its own and one face.
void CFS_FILES_WriteObj(const std::string& path, const CFS_Mesh& mesh);

// Puts the tiles of a picture record back together into one picture.
CFS_FILES_Picture CFS_FILES_Untile(const CFS_Pict& pict);
