// The Angel and Tree scenes on the bench, each entered through the tape so
// that it inherits the state the scenes before it leave.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>

#include "scenes/vis_angel.h"
#include "tests/gl_bench.h"

namespace {

constexpr int kBandBottom = 80;
constexpr int kBandTop = 400;

struct BandCensus {
    int subject = 0;  // pixels the scene's test takes for its subject
    int darkest = 255, brightest = 0;
    long red = 0, blue = 0;
};

int Luma(BENCH_Rgb p) { return (p.r * 3 + p.g * 6 + p.b) / 10; }

// Counts the band's subject pixels and how light falls on them.
BandCensus TakeCensus(const std::vector<uint8_t>& frame, bool (*subject)(BENCH_Rgb)) {
    BandCensus c;
    for (int y = kBandBottom; y < kBandTop; ++y)
        for (int x = 0; x < BENCH_WIDTH; ++x) {
            const BENCH_Rgb p = BENCH_Pixel(frame, x, y);
            if (!subject(p)) continue;
            ++c.subject;
            c.darkest = std::min(c.darkest, Luma(p));
            c.brightest = std::max(c.brightest, Luma(p));
            c.red += p.r;
            c.blue += p.b;
        }
    return c;
}

// In the band, neither lost nor filling it, and shaded face by face rather
// than flat.
void ExpectSitsLit(const BandCensus& c, const std::string& name) {
    constexpr int kBand = BENCH_WIDTH * (kBandTop - kBandBottom);
    EXPECT_GT(c.subject, kBand / 100) << name;
    EXPECT_LT(c.subject, kBand / 2) << name;
    EXPECT_GT(c.brightest - c.darkest, 60) << name;
    EXPECT_GT(c.brightest, 120) << name;
    // Both lights are warm: lit surfaces carry more red than blue.
    EXPECT_GT(c.red * 4, c.blue * 5) << name;
}

// Anything off the white background.
bool OffWhite(BENCH_Rgb p) { return p.r + p.g + p.b < 3 * 255 - 40; }
// The tree's bark and leaves: warm, with little blue, unlike sky and water.
bool TreeColoured(BENCH_Rgb p) { return p.r > 120 && p.b < 60 && p.r - p.b > 100; }

class SceneBench : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        BENCH_Start();
        BENCH_LoadProduction();
    }
    static std::vector<uint8_t> FrameAt(float c0, float c1, const std::string& name) {
        BENCH_DrawAt(c0, c1);
        auto frame = BENCH_ReadFrame();
        BENCH_SaveFrame(frame, name);
        return frame;
    }
};

using Angel = SceneBench;
using Tree = SceneBench;

TEST_F(Angel, TuftBladesFanAboutTheQuill) {
    for (const float* tuft : {angel_fluff_a, angel_fluff_b}) {
        float angle = 0;
        for (int n = 1; n < ANGEL_FLUFF_FACES; ++n) {
            angle += 0.785f;
            const float* blade = tuft + 9 * n;
            // Corners 0 and 1 and corner 2's height are blade 0's.
            for (int k : {0, 1, 2, 3, 4, 5, 7}) EXPECT_EQ(blade[k], tuft[k]) << "blade " << n;
            const float x = tuft[6], z = tuft[8];
            EXPECT_NEAR(blade[6], x * cosf(angle) + z * sinf(angle), 1e-4) << "blade " << n;
            EXPECT_NEAR(blade[8], z * cosf(angle) - x * sinf(angle), 1e-4) << "blade " << n;
        }
    }
}

TEST_F(Angel, FigureAndFeathersSitLitInTheBand) {
    BENCH_EnterEntry(5);
    for (auto [c0, c1] : {std::pair{0, 500}, {200, 500}, {500, 500}, {0, -400}, {500, -400}}) {
        const std::string name = "angel_c0_" + std::to_string(c0) + "_c1_" + std::to_string(c1);
        ExpectSitsLit(TakeCensus(FrameAt(c0, c1, name), OffWhite), name);
    }
}

TEST_F(Tree, LightStaysWhereTheAngelsMatrixPutIt) {
    BENCH_EnterEntry(6);
    BENCH_DrawAt(-250, 0);  // frames never give the light again
    GLfloat pos[4];
    glGetLightfv(GL_LIGHT0, GL_POSITION, pos);
    const GLfloat eye[4] = {170, 216, 700, 1};
    for (int k = 0; k < 4; ++k) EXPECT_FLOAT_EQ(pos[k], eye[k]) << k;
}

TEST_F(Tree, TreeSitsLitInTheBandAndNearsAsTheCameraSlides) {
    BENCH_EnterEntry(6);
    int before = 0;
    for (int c0 : {-700, -250, 200}) {
        const std::string name = "tree_c0_" + std::to_string(c0);
        const BandCensus c = TakeCensus(FrameAt(c0, 0, name), TreeColoured);
        ExpectSitsLit(c, name);
        EXPECT_GT(c.subject, before * 2) << name;
        before = c.subject;
    }
}

}  // namespace
