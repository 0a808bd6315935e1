// The TMagic scene (tape entry 7) and the Glow scene (entries 8 and 9),
// drawn with the state the tape leaves them.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <string>
#include <utility>

#include "engine/velq_ex.h"
#include "engine/velq_glow.h"
#include "scenes/vis.h"
#include "scenes/vis_tmagic.h"
#include "tests/gl_bench.h"

namespace {

// Share of the band's pixels off the background; the brightest channel of those.
std::pair<double, int> Survey(const std::vector<uint8_t>& frame, BENCH_Rgb bg) {
    int count = 0, brightest = 0;
    for (int y = 80; y < 400; ++y)
        for (int x = 0; x < 640; ++x) {
            const BENCH_Rgb p = BENCH_Pixel(frame, x, y);
            if (std::abs(p.r - bg.r) + std::abs(p.g - bg.g) + std::abs(p.b - bg.b) < 40) continue;
            ++count;
            brightest = std::max({brightest, int(p.r), int(p.g), int(p.b)});
        }
    return {count / (640.0 * 320.0), brightest};
}

// Draws and saves a frame whose subject must sit lit in the band, not fill it.
std::vector<uint8_t> ExpectInBandAndLit(float c0, float c1, BENCH_Rgb bg, const std::string& name) {
    BENCH_DrawAt(c0, c1);
    const auto frame = BENCH_ReadFrame();
    BENCH_SaveFrame(frame, name);
    const auto [subject, brightest] = Survey(frame, bg);
    EXPECT_GT(subject, 0.05) << name << " lost";
    EXPECT_LT(subject, 0.9) << name << " fills the band";
    EXPECT_GT(brightest, 200) << name << " unlit";
    return frame;
}

// Base and tip (window x, y of corners 0 and 2) of the polygons a frame draws
// at the fans' depths, in order, by feedback: the tunnel lies deeper, the
// rings nearer, the emblem's ring comes after the fans, and its shapes, which
// crash Mesa's feedback path, are blanked.
std::vector<std::array<float, 4>> DrawnRays(float c0) {
    glNewList(VELQ_EX_EMBLEM_LIST, GL_COMPILE);
    glEndList();
    std::vector<GLfloat> buf(1 << 22);
    glFeedbackBuffer(GLsizei(buf.size()), GL_3D, buf.data());
    glRenderMode(GL_FEEDBACK);
    BENCH_DrawAt(c0, 0);
    const GLint n = glRenderMode(GL_RENDER);
    std::vector<std::array<float, 4>> rays;
    for (GLint i = 0; i < n; i += 2 + 3 * GLint(buf[i + 1])) {
        const GLfloat* v = &buf[i + 2];
        const auto fan_depth = [&](int j) {
            return v[3 * j + 2] > 0.998f && v[3 * j + 2] < 0.999f;
        };
        if (buf[i + 1] == 3 && fan_depth(0) && fan_depth(1) && fan_depth(2))
            rays.push_back({v[0], v[1], v[6], v[7]});
    }
    return rays;
}

class TMagic : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        BENCH_Start();
        BENCH_LoadProduction();
    }
};
using Glow = TMagic;

TEST_F(TMagic, FansStartAlongYAndTurnAgainstEachOther) {
    // Ray 0 of each fan is its template, along +y; ray 15 points the other way.
    EXPECT_TRUE(tmagic_first[0][2][1] == 140 && tmagic_second[0][2][1] == 110);
    EXPECT_NEAR(tmagic_first[15][2][1], -140, 1e-3);
    BENCH_EnterEntry(7);
    // A quarter turn: the first fan counter-clockwise, the second clockwise.
    const auto turned = DrawnRays(90);
    ASSERT_GE(turned.size(), 2u * TMAGIC_RAYS);
    EXPECT_LT(turned[0][2] - turned[0][0], -50) << "first fan: ray 0 to the left";
    EXPECT_GT(turned[TMAGIC_RAYS][2] - turned[TMAGIC_RAYS][0], 50) << "second fan: to the right";
}

TEST_F(TMagic, SitsLitInTheBand) {
    BENCH_EnterEntry(7);
    for (float c0 : {-700.0f, -450.0f, -200.0f})
        ExpectInBandAndLit(c0, 0, {76, 51, 26}, "tmagic_" + std::to_string(int(-c0)));
}

// Channel 1 at 0 (each entry's first frame, and entry 9's restarts) puts the
// eye on the look-at point: the pipes drop out of that frame, nothing else.
TEST_F(Glow, SitsLitInTheBandAndOnlyThePipesDropOutWithTheEyeOnTheCentre) {
    for (int entry : {8, 9}) {
        BENCH_EnterEntry(entry);
        std::vector<uint8_t> last;
        for (float c1 : {-50.0f, 100.0f, 30.0f})
            last = ExpectInBandAndLit(
                500, c1, {0, 0, 0}, "glow" + std::to_string(entry) + "_" + std::to_string(int(c1)));
        velq_glw_n = 0;
        BENCH_DrawAt(500, 0);
        const auto [subject, brightest] = Survey(BENCH_ReadFrame(), {0, 0, 0});
        EXPECT_LT(subject, 0.01) << "no pipes, only the caption";
        EXPECT_GT(brightest, 200) << "the caption";
        EXPECT_EQ(velq_glw_n, VELQ_GLW_PIXELS) << "the glow grid";
        BENCH_DrawAt(500, 30);
        EXPECT_TRUE(last == BENCH_ReadFrame()) << "the next frame is unharmed";
    }
}

}  // namespace
