// The rendering toolkit on the bench: the glow grid drawn from a known
// sample, the ring's vertex sequence and the matrix print.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstring>
#include <utility>
#include <vector>

#include "engine/velq_ex.h"
#include "engine/velq_glow.h"
#include "tests/support/gl_bench.h"

// The ring's vertices as the toolkit hands them to GL, through the linker's
// --wrap of glVertex2fv (see the test's build rule).
std::vector<std::pair<float, float>> circle_vertices;
extern "C" void __real_glVertex2fv(const GLfloat* v);
extern "C" void __wrap_glVertex2fv(const GLfloat* v) {
    circle_vertices.emplace_back(v[0], v[1]);
    __real_glVertex2fv(v);
}

namespace {

class Toolkit : public ::testing::Test {
protected:
    static void SetUpTestSuite() { BENCH_Start(); }

    // The glow over a black band, as the scenes lay it.
    static std::vector<uint8_t> Glow() {
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glDisable(GL_DEPTH_TEST);
        glShadeModel(GL_SMOOTH);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glViewport(0, 80, 640, 320);
        VELQ_GLW_Shader01();
        return PLAYER_ReadFrame();
    }
};

// Half of 255, the glow's alpha over black.
constexpr int kHalf = 127;

// A red sample covers the band shifted 2 units right; a single white
// pixel (the last of the bottom row) blends across its cell.
TEST_F(Toolkit, GlowGridCoversTheBandAndBlendsEachSample) {
    for (int n = 0; n < VELQ_GLW_PIXELS; ++n) std::memcpy(&velq_glw_buffy01[4 * n], "\xff\0\0", 4);
    auto frame = Glow();
    for (int y : {80, 240, 399}) {
        EXPECT_EQ(BENCH_Pixel(frame, 1, y).r, 0) << y;
        EXPECT_NEAR(BENCH_Pixel(frame, 2, y).r, kHalf, 1) << y;
        EXPECT_NEAR(BENCH_Pixel(frame, 639, y).r, kHalf, 1) << y;
        EXPECT_EQ(BENCH_Pixel(frame, 320, y).g, 0) << y;
    }
    EXPECT_TRUE(BENCH_Pixel(frame, 320, 79).r == 0 && BENCH_Pixel(frame, 320, 400).r == 0);
    EXPECT_TRUE(velq_glw_x == 649 && velq_glw_y == 320 && velq_glw_n == 2048);

    std::memset(velq_glw_buffy01, 0, sizeof velq_glw_buffy01);
    std::memset(&velq_glw_buffy01[4 * 63], 255, 3);
    frame = Glow();
    // Window x = grid x + 2: black at 631, rising to white at 641.
    EXPECT_EQ(BENCH_Pixel(frame, 630, 85).r, 0);
    for (int x = 633; x < 640; ++x)
        EXPECT_GT(BENCH_Pixel(frame, x, 85).r, BENCH_Pixel(frame, x - 1, 85).r) << x;
    EXPECT_GT(BENCH_Pixel(frame, 639, 85).r, kHalf / 2);
    EXPECT_EQ(BENCH_Pixel(frame, 636, 95).r, 0) << "only the bottom row holds the sample";
}

TEST_F(Toolkit, CircleStartsAndClosesOnTheAngleZeroPair) {
    circle_vertices.clear();
    VELQ_EX_Circle(25, 30, 45, 60, 40);
    ASSERT_EQ(circle_vertices.size(), 82u);
    EXPECT_EQ(circle_vertices[0], std::make_pair(85.f, 30.f));
    EXPECT_EQ(circle_vertices[1], std::make_pair(70.f, 30.f));
    EXPECT_EQ(circle_vertices[80], std::make_pair(85.f, 30.f));
    EXPECT_EQ(circle_vertices[81], std::make_pair(70.f, 30.f));
    // A quarter of the way round (10 steps of 6.28 / 40), outer point first.
    EXPECT_NEAR(circle_vertices[20].first, 25, 0.2);
    EXPECT_NEAR(circle_vertices[20].second, 90, 0.01);

    circle_vertices.clear();
    VELQ_EX_Circle(0, 0, 0, 12, 25);
    ASSERT_EQ(circle_vertices.size(), 52u);
    for (size_t i = 1; i < circle_vertices.size(); i += 2)
        EXPECT_EQ(circle_vertices[i], std::make_pair(0.f, 0.f)) << "a disc's inner edge";

    circle_vertices.clear();
    VELQ_EX_Circle(0, 0, 0, 12, 0);
    EXPECT_EQ(circle_vertices.size(), 2u) << "no segments: only the closing pair";
}

TEST_F(Toolkit, PrintMatrixShowsRowsWithTheTranslationLast) {
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(1, 2, 3);
    testing::internal::CaptureStdout();
    VELQ_EX_PrintMatrix(GL_MODELVIEW_MATRIX);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "+1.000000 +0.000000 +0.000000 +1.000000\n"
              "+0.000000 +1.000000 +0.000000 +2.000000\n"
              "+0.000000 +0.000000 +1.000000 +3.000000\n"
              "+0.000000 +0.000000 +0.000000 +1.000000\n");
}

}  // namespace
