// The generated drive: its entries, read through the program's own readers,
// the soundness of its meshes, the fit of its captions, and the sameness of
// its bytes from one generation to the next.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "archive/cfs.h"
#include "archive/cfs_tiles.h"
#include "tests/support/shell_quote.h"

namespace {

struct Expected {
    const char* name;
    uint32_t type;
};

const Expected kEntries[] = {
    {"bootpic", CFS_TYPE_PNG24}, {"tsy", CFS_TYPE_ASE},     {"de", CFS_TYPE_ASE},
    {"ef", CFS_TYPE_ASE},        {"foremka", CFS_TYPE_ASE}, {"developed", CFS_TYPE_PNG24},
    {"thornax", CFS_TYPE_ASE},   {"amber", CFS_TYPE_PNG24}, {"grid", CFS_TYPE_PNG24},
    {"aniooteq", CFS_TYPE_ASE},  {"ex_hb", CFS_TYPE_PNG24}, {"wsypa", CFS_TYPE_ASE},
    {"pien1", CFS_TYPE_ASE},     {"pien2", CFS_TYPE_ASE},   {"korona1", CFS_TYPE_ASE},
    {"korona2", CFS_TYPE_ASE},   {"shl", CFS_TYPE_PNG24},   {"sky1", CFS_TYPE_PNG24},
    {"tmagic", CFS_TYPE_PNG24},  {"tunel", CFS_TYPE_ASE},   {"rurawew", CFS_TYPE_ASE},
    {"rurazew", CFS_TYPE_ASE},   {"lans", CFS_TYPE_PNG24},  {"zelto", CFS_TYPE_PNG24},
};

const char* const kGlyphMeshes[] = {"tsy", "de", "ef", "thornax"};
constexpr uint32_t kMaxTriangles = 20000;

class Drive : public ::testing::Test {
protected:
    static void SetUpTestSuite() { CFS_Open(AMBER_DRIVE); }
};

bool IsGlyph(const std::string& name) {
    for (const char* g : kGlyphMeshes)
        if (name == g) return true;
    return false;
}

TEST_F(Drive, HoldsEveryEntryWithItsType) {
    ASSERT_EQ(cfs_nfiles, std::size(kEntries));
    std::map<std::string, uint32_t> found;
    for (uint32_t i = 0; i < cfs_nfiles; ++i) found[cfs_directory[i].name] = cfs_directory[i].type;
    for (const Expected& e : kEntries) {
        ASSERT_TRUE(found.count(e.name)) << e.name;
        EXPECT_EQ(found[e.name], e.type) << e.name;
    }
}

TEST_F(Drive, PicturesAreCutIntoTilesOpenGLTakes) {
    for (const Expected& e : kEntries) {
        if (e.type != CFS_TYPE_PNG24) continue;
        const CFS_Pict* p = CFS_ReadPNG24(e.name);
        EXPECT_EQ(CFS_TileSizeFault(p->tile_width, p->tile_height), nullptr) << e.name;
        EXPECT_LE(p->tile_width, 256u) << e.name;
        EXPECT_LE(p->tile_height, 256u) << e.name;
        EXPECT_GT(p->tiles_across * p->tiles_down, 0u) << e.name;
    }
}

TEST_F(Drive, MeshesAreModestAndHaveNoDegenerateFaces) {
    for (const Expected& e : kEntries) {
        if (e.type != CFS_TYPE_ASE) continue;
        const CFS_Mesh* m = CFS_ReadASE(e.name);
        EXPECT_GT(m->numfaces, 0u) << e.name;
        EXPECT_LT(m->numfaces, kMaxTriangles) << e.name;
        const CFS_Norms* n = CFS_CalcNormsASE(m);
        for (uint32_t f = 0; f < m->numfaces; ++f) {
            const double len = std::sqrt(n[f].x * n[f].x + n[f].y * n[f].y + n[f].z * n[f].z);
            ASSERT_NEAR(len, 1.0, 1e-4) << e.name << " face " << f << " is degenerate";
        }
    }
}

// The scenes cull the back faces of these meshes only where the reader
// finds them closed and wound outward, which hides nothing.
TEST_F(Drive, SolidMeshesAreClosedShellsFacingOutward) {
    for (const Expected& e : kEntries) {
        if (e.type != CFS_TYPE_ASE || IsGlyph(e.name)) continue;
        EXPECT_TRUE(CFS_ReadASE(e.name)->solid) << e.name << " would be drawn unculled";
    }
}

TEST_F(Drive, GlyphsAreFlatAndFaceTheViewer) {
    for (const char* name : kGlyphMeshes) {
        const CFS_Mesh* m = CFS_ReadASE(name);
        const CFS_Norms* n = CFS_CalcNormsASE(m);
        for (uint32_t f = 0; f < m->numfaces; ++f) {
            ASSERT_NEAR(n[f].z, 1.0f, 1e-5f) << name << " face " << f;
            for (int k = 0; k < 3; ++k) ASSERT_EQ(m->tris[f * 9 + k * 3 + 2], m->tris[2]) << name;
        }
    }
}

// ---------------------------------------------------------------------------
// Captions: where each scene puts the picture, the part of the window it
// must stay in, and the ground it is drawn over.

struct Rect {
    int x0, y0, x1, y1;  // window pixels, x1 and y1 excluded
};

struct Caption {
    const char* name;
    int x, y;  // lower-left corner in the window
    Rect region;
    std::array<uint8_t, 3> ground;
};

constexpr Rect kTopBand{0, 400, 640, 480};
constexpr Rect kBottomBand{0, 0, 640, 80};
constexpr Rect kPictureBand{0, 80, 640, 400};
constexpr Rect kJustAboveBottomBar{0, 80, 640, 160};
constexpr Rect kQuiboWhitePanel{0, 80, 320, 400};

const Caption kCaptions[] = {
    {"developed", 160, 408, kTopBand, {0, 0, 0}},
    {"grid", 0, 8, kBottomBand, {0, 0, 0}},
    {"amber", 0, 208, kQuiboWhitePanel, {255, 255, 255}},
    {"ex_hb", 70, 16, kBottomBand, {0, 0, 0}},
    {"shl", 10, 408, kTopBand, {0, 0, 0}},
    {"tmagic", 10, 84, kJustAboveBottomBar, {76, 51, 26}},
    {"lans", 10, 84, kJustAboveBottomBar, {0, 0, 0}},
    {"zelto", 64, 120, kPictureBand, {255, 115, 26}},
};

// The picture's pixel at (x, y), y counted up from its bottom row.
std::array<uint8_t, 3> PixelAt(const CFS_Pict* p, uint32_t x, uint32_t y) {
    const uint8_t* px = p->pixels + CFS_PixelOffset(*p, x, p->tile_height * p->tiles_down - 1 - y);
    return {px[0], px[1], px[2]};
}

TEST_F(Drive, CaptionsLieInsideTheirBandsOnTheirGround) {
    for (const Caption& c : kCaptions) {
        const CFS_Pict* p = CFS_ReadPNG24(c.name);
        const int w = int(p->tile_width * p->tiles_across), h = int(p->tile_height * p->tiles_down);
        // The opaque picture itself must not spill out of its band.
        EXPECT_GE(c.x, c.region.x0) << c.name;
        EXPECT_GE(c.y, c.region.y0) << c.name;
        EXPECT_LE(c.x + w, c.region.x1) << c.name;
        EXPECT_LE(c.y + h, c.region.y1) << c.name;
        int ink = 0, ink_on_edge = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                if (PixelAt(p, x, y) == c.ground) continue;
                ++ink;
                if (x == 0 || y == 0 || x == w - 1 || y == h - 1) ++ink_on_edge;
            }
        // Text present, and a margin of plain ground all round, so the
        // picture's edges melt into the band.
        EXPECT_GT(ink, w * h / 50) << c.name;
        EXPECT_EQ(ink_on_edge, 0) << c.name;
    }
}

// The backdrops stand on the water at x -600..400 and z -280..520 at four
// times the sky's size: the sky must reach across and high above the view.
TEST_F(Drive, SkyIsLargeEnoughForTheBackdrops) {
    const CFS_Pict* p = CFS_ReadPNG24("sky1");
    EXPECT_GE(4 * p->tile_width * p->tiles_across, 1000u);
    EXPECT_GE(4 * p->tile_height * p->tiles_down, 1000u);
}

// ---------------------------------------------------------------------------

std::vector<char> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(DriveGeneration, TwoRunsWriteTheSameBytesAsTheBuild) {
    const std::string a = testing::TempDir() + "drive_a.cfs",
                      b = testing::TempDir() + "drive_b.cfs";
    for (const std::string& out : {a, b}) {
        const std::string cmd = TEST_Quote(AMBER_MKDRIVE) + " " + TEST_Quote(out) + " > /dev/null";
        ASSERT_EQ(std::system(cmd.c_str()), 0);
    }
    const std::vector<char> first = ReadFile(a);
    ASSERT_GT(first.size(), 16u);
    EXPECT_TRUE(first == ReadFile(b));
    EXPECT_TRUE(first == ReadFile(AMBER_DRIVE));
    std::remove(a.c_str());
    std::remove(b.c_str());
}

}  // namespace
