// Pictures compiled into display lists land tile by tile where they belong.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <vector>

#include "engine/velq_rasta.h"
#include "tests/support/gl_bench.h"

namespace {

constexpr GLuint kList = 2;

// A picture record of solid-coloured tiles, tile k coloured colours[k].
struct Picture {
    std::vector<uint8_t> pixels;
    CFS_Pict pict;
};

Picture SolidTiles(uint32_t across, uint32_t down, uint32_t w, uint32_t h,
                   const std::vector<BENCH_Rgb>& colours) {
    Picture p;
    for (uint32_t k = 0; k < across * down; ++k)
        for (uint32_t i = 0; i < w * h; ++i)
            p.pixels.insert(p.pixels.end(), {colours[k].r, colours[k].g, colours[k].b});
    p.pict = {w, h, across, down, p.pixels.data()};
    return p;
}

// One tile of 256 x 128 whose stored rows run from the top edge down: red
// top-left quarter, green top-right, blue bottom-left, white bottom-right.
Picture Quadrants() {
    Picture p;
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 256; ++x) {
            const bool top = y < 64, left = x < 128;
            const BENCH_Rgb c = top ? (left ? BENCH_Rgb{255, 0, 0} : BENCH_Rgb{0, 255, 0})
                                    : (left ? BENCH_Rgb{0, 0, 255} : BENCH_Rgb{255, 255, 255});
            p.pixels.insert(p.pixels.end(), {c.r, c.g, c.b});
        }
    p.pict = {256, 128, 1, 1, p.pixels.data()};
    return p;
}

// What a scene sets up before running a picture list: window pixels, decal
// texturing with nearest filtering, clamped edges.
void PictureSetUp() {
    glClearColor(0, 0, 0, 0);
    BENCH_WindowPixels();
    VELQ_RASTA_PictureTexture();
    glEnable(GL_TEXTURE_2D);
}

void RunList() { glCallList(kList); }

bool Same(BENCH_Rgb a, BENCH_Rgb b) { return a.r == b.r && a.g == b.g && a.b == b.b; }

class Rasta : public ::testing::Test {
protected:
    static void SetUpTestSuite() { BENCH_Start(); }
};

TEST_F(Rasta, TilesLandInRowsFromTheBottomLeft) {
    const std::vector<BENCH_Rgb> colours = {{255, 0, 0},   {0, 255, 0},   {0, 0, 255},
                                            {255, 255, 0}, {0, 255, 255}, {255, 0, 255}};
    Picture p = SolidTiles(3, 2, 64, 64, colours);
    PictureSetUp();
    VELQ_RASTA_PrepBlit24b(kList, &p.pict);
    p.pixels.assign(p.pixels.size(), 0);  // the list keeps its own copy
    BENCH_RunScene(nullptr, RunList);
    const auto frame = PLAYER_ReadFrame();
    BENCH_SaveFrame(frame, "rasta_tiles");
    for (int k = 0; k < 6; ++k) {
        const int cx = 64 * (k % 3) + 32, cy = 64 * (k / 3) + 32;
        EXPECT_TRUE(Same(BENCH_Pixel(frame, cx, cy), colours[k])) << "tile " << k;
    }
    // Corners of the grid, and nothing beyond (0, 0)-(192, 128).
    EXPECT_TRUE(Same(BENCH_Pixel(frame, 0, 0), colours[0]));
    EXPECT_TRUE(Same(BENCH_Pixel(frame, 191, 127), colours[5]));
    EXPECT_TRUE(Same(BENCH_Pixel(frame, 192, 64), {0, 0, 0}));
    EXPECT_TRUE(Same(BENCH_Pixel(frame, 100, 128), {0, 0, 0}));
}

TEST_F(Rasta, StoredRowsRunFromTheTopEdgeDown) {
    Picture p = Quadrants();
    PictureSetUp();
    VELQ_RASTA_PrepBlit24b(kList, &p.pict);
    BENCH_RunScene(nullptr, RunList);
    const auto frame = PLAYER_ReadFrame();
    EXPECT_TRUE(Same(BENCH_Pixel(frame, 10, 120), {255, 0, 0}));
    EXPECT_TRUE(Same(BENCH_Pixel(frame, 250, 120), {0, 255, 0}));
    EXPECT_TRUE(Same(BENCH_Pixel(frame, 10, 5), {0, 0, 255}));
    EXPECT_TRUE(Same(BENCH_Pixel(frame, 250, 5), {255, 255, 255}));
    EXPECT_TRUE(Same(BENCH_Pixel(frame, 256, 5), {0, 0, 0}));
    EXPECT_TRUE(Same(BENCH_Pixel(frame, 10, 128), {0, 0, 0}));
}

TEST_F(Rasta, DoubleBlitCoversFourTimesTheSize) {
    Picture p = Quadrants();
    PictureSetUp();
    VELQ_RASTA_DoublePrepBlit24b(kList, &p.pict);
    BENCH_RunScene(nullptr, RunList);
    const auto frame = PLAYER_ReadFrame();
    BENCH_SaveFrame(frame, "rasta_double");
    // Quadrant borders move from (128, 64) to (512, 256); the picture now
    // reaches past the window's right edge and up to row 511.
    EXPECT_TRUE(Same(BENCH_Pixel(frame, 500, 250), {0, 0, 255}));
    EXPECT_TRUE(Same(BENCH_Pixel(frame, 520, 250), {255, 255, 255}));
    EXPECT_TRUE(Same(BENCH_Pixel(frame, 500, 262), {255, 0, 0}));
    EXPECT_TRUE(Same(BENCH_Pixel(frame, 639, 479), {0, 255, 0}));
}

TEST_F(Rasta, EmptyPictureCompilesAnEmptyList) {
    for (auto [across, down] : {std::pair{0u, 2u}, std::pair{3u, 0u}}) {
        Picture p = SolidTiles(1, 1, 64, 64, {{255, 0, 0}});
        p.pict.tiles_across = across;
        p.pict.tiles_down = down;
        PictureSetUp();
        VELQ_RASTA_PrepBlit24b(kList, &p.pict);
        EXPECT_TRUE(glIsList(kList));
        BENCH_RunScene(nullptr, RunList);
        const auto frame = PLAYER_ReadFrame();
        for (size_t i = 0; i < frame.size(); i += 4) ASSERT_EQ(frame[i], 0) << i;
    }
}

}  // namespace
