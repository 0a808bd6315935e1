// PNG and OBJ files for the cfs tool.
#include "tools/cfs/cfs_files.h"

#include <png.h>

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "archive/cfs_tiles.h"
#include "media/png_write.h"
#include "tools/tool_args.h"

constexpr size_t kRgb = 3;
constexpr size_t kFloatsPerTriangle = 9;

void CFS_FILES_Fail(const char* format, ...) {
    char reason[1024];
    va_list args;
    va_start(args, format);
    vsnprintf(reason, sizeof reason, format, args);
    va_end(args);
    TOOL_ARGS_Error(reason);
}

CFS_FILES_Picture CFS_FILES_ReadPng(const std::string& path) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str()))
        CFS_FILES_Fail("%s: %s", path.c_str(), image.message);
    image.format = PNG_FORMAT_RGB;
    CFS_FILES_Picture picture;
    picture.width = image.width;
    picture.height = image.height;
    picture.rgb.assign(PNG_IMAGE_SIZE(image), 0);
    if (!png_image_finish_read(&image, nullptr, picture.rgb.data(), 0, nullptr))
        CFS_FILES_Fail("%s: %s", path.c_str(), image.message);
    return picture;
}

void CFS_FILES_WritePng(const std::string& path, const CFS_FILES_Picture& picture) {
    if (!MEDIA_WritePng(path, picture.rgb, int(picture.width), int(picture.height)))
        CFS_FILES_Fail("%s: cannot be written", path.c_str());
}

// An OBJ index counts from 1, or back from the latest vertex when negative.
static size_t CFS_FILES_ObjIndex(const std::string& token, size_t vertices, const char* where) {
    char* end = nullptr;
    errno = 0;
    const long index = std::strtol(token.c_str(), &end, 10);
    if (end == token.c_str() || (*end != '\0' && *end != '/') || errno != 0)
        CFS_FILES_Fail("%s: bad vertex reference '%s'", where, token.c_str());
    const long resolved = index < 0 ? long(vertices) + index : index - 1;
    if (index == 0 || resolved < 0 || size_t(resolved) >= vertices)
        CFS_FILES_Fail("%s: vertex %ld does not exist", where, index);
    return size_t(resolved);
}

static void CFS_FILES_AddFace(std::istringstream& fields, const std::vector<float>& vertices,
                              std::vector<float>& tris, const char* where) {
    std::vector<size_t> corners;
    std::string token;
    while (fields >> token)
        corners.push_back(CFS_FILES_ObjIndex(token, vertices.size() / 3, where));
    if (corners.size() < 3) CFS_FILES_Fail("%s: a face needs at least three corners", where);
    for (size_t i = 1; i + 1 < corners.size(); i++)
        for (size_t corner : {corners[0], corners[i], corners[i + 1]})
            tris.insert(tris.end(), vertices.begin() + corner * 3,
                        vertices.begin() + corner * 3 + 3);
}

std::vector<float> CFS_FILES_ReadObj(const std::string& path) {
    std::ifstream file(path);
    if (!file) CFS_FILES_Fail("%s: cannot be read", path.c_str());
    std::vector<float> vertices, tris;
    std::string line;
    for (size_t number = 1; std::getline(file, line); number++) {
        const std::string where = path + ":" + std::to_string(number);
        std::istringstream fields(line);
        std::string keyword;
        fields >> keyword;
        if (keyword == "v") {
            float x, y, z;
            if (!(fields >> x >> y >> z))
                CFS_FILES_Fail("%s: a vertex needs x, y and z", where.c_str());
            vertices.insert(vertices.end(), {x, y, z});
        } else if (keyword == "f") {
            CFS_FILES_AddFace(fields, vertices, tris, where.c_str());
        }
    }
    return tris;
}

void CFS_FILES_WriteObj(const std::string& path, const CFS_Mesh& mesh) {
    FILE* file = fopen(path.c_str(), "w");
    if (!file) CFS_FILES_Fail("%s: cannot be written", path.c_str());
    // Nine significant digits give every float back exactly.
    for (size_t i = 0; i < size_t(mesh.numfaces) * kFloatsPerTriangle; i += 3)
        fprintf(file, "v %.9g %.9g %.9g\n", mesh.tris[i], mesh.tris[i + 1], mesh.tris[i + 2]);
    for (size_t i = 0; i < mesh.numfaces; i++)
        fprintf(file, "f %zu %zu %zu\n", 3 * i + 1, 3 * i + 2, 3 * i + 3);
    if (fclose(file) != 0) CFS_FILES_Fail("%s: cannot be written", path.c_str());
}

CFS_FILES_Picture CFS_FILES_Untile(const CFS_Pict& pict) {
    return {pict.tile_width * pict.tiles_across, pict.tile_height * pict.tiles_down,
            CFS_Untile(pict)};
}
