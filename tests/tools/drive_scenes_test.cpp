// The generated drive in the real scenes on the rendering bench, each
// entered through the tape: the subjects sit at a sensible size in the
// 640 x 320 picture band, and the captions show cleanly where the scenes
// put them. The frames are saved under frames/ for people to look at.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "archive/cfs.h"
#include "engine/velq2.h"
#include "engine/velq_loader.h"
#include "engine/velq_scenes.h"
#include "tests/support/gl_bench.h"

namespace {

constexpr int kBandY0 = BENCH_BAND_Y0, kBandY1 = BENCH_BAND_Y1;
constexpr int kBandPixels = 640 * 320;

// The subject's share of the band and whether its bounding box keeps
// `margin` pixels inside the band.
double Share(const BENCH_Census& c) { return double(c.count) / kBandPixels; }
bool Inside(const BENCH_Census& c, int margin) {
    return c.x0 >= margin && c.x1 < 640 - margin && c.y0 >= kBandY0 + margin &&
           c.y1 < kBandY1 - margin;
}

std::string Box(const BENCH_Census& c) {
    return "box x " + std::to_string(c.x0) + ".." + std::to_string(c.x1) + " y " +
           std::to_string(c.y0) + ".." + std::to_string(c.y1);
}

// Window rectangle, x1 and y1 excluded.
struct Rect {
    int x0, y0, x1, y1;
};

constexpr Rect kTopBand{0, kBandY1, 640, 480};
constexpr Rect kBottomBand{0, 0, 640, kBandY0};

bool Near(BENCH_Rgb a, BENCH_Rgb b) {
    return std::abs(a.r - b.r) <= 1 && std::abs(a.g - b.g) <= 1 && std::abs(a.b - b.b) <= 1;
}

// The caption drawn at (x, y) shows its text, and within `area` nothing but
// the caption differs from the ground it lies on (taken at its corner,
// which the caption keeps plain): no stray pixels, no visible seam.
void ExpectCaptionShows(const std::vector<uint8_t>& frame, const char* name, int x, int y,
                        Rect area) {
    CFS_Open(AMBER_DRIVE);
    const CFS_Pict* p = CFS_ReadPNG24(name);
    CFS_Close();
    const int w = int(p->tile_width * p->tiles_across), h = int(p->tile_height * p->tiles_down);
    const BENCH_Rgb ground = BENCH_Pixel(frame, x, y);
    int ink = 0, stray = 0;
    for (int py = area.y0; py < area.y1; ++py)
        for (int px = area.x0; px < area.x1; ++px) {
            if (Near(BENCH_Pixel(frame, px, py), ground)) continue;
            const bool inside = px >= x && px < x + w && py >= y && py < y + h;
            ++(inside ? ink : stray);
        }
    EXPECT_GT(ink, w * h / 50) << name;
    EXPECT_EQ(stray, 0) << name;
}

bool Blue(BENCH_Rgb p) { return p.b > 60 && p.b > p.r + 30; }
bool White(BENCH_Rgb p) { return p.r == 255 && p.g == 255 && p.b == 255; }
bool Lit(BENCH_Rgb p) { return p.r + p.g + p.b > 90; }
bool Magenta(BENCH_Rgb p) { return p.r == 255 && p.g == 0 && p.b == 255; }

class SceneFit : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        BENCH_Start();
        BENCH_LoadProduction();
    }
    static std::vector<uint8_t> At(float c0, float c1, const std::string& saved = "") {
        BENCH_DrawAt(c0, c1);
        std::vector<uint8_t> frame = PLAYER_ReadFrame();
        if (!saved.empty()) BENCH_SaveFrame(frame, saved);
        return frame;
    }
};

// ---------------------------------------------------------------------------
// Thornax: the knot slides sideways at (c0, 50, -250) above the glyph row.

TEST_F(SceneFit, ThornaxKnotSlidesThroughTheUpperBand) {
    BENCH_EnterEntry(3);
    EXPECT_LT(Share(BENCH_Count(At(-200, 0), Blue)), 0.001) << "the knot enters from outside";
    EXPECT_EQ(Share(BENCH_Count(At(300, 0), Blue)), 0.0) << "the knot leaves the frame";
    for (float x : {-120.f, 0.f, 50.f, 120.f}) {
        const BENCH_Census c = BENCH_Count(At(x, 0), Blue);
        EXPECT_GT(Share(c), 0.02) << x;
        EXPECT_LT(Share(c), 0.25) << x;
        EXPECT_TRUE(Inside(c, 0)) << x << ": " << Box(c);
        EXPECT_GT(c.y0, 200) << "the knot stays above the glyph row at " << x;
    }
}

TEST_F(SceneFit, ThornaxGlyphRowSitsInTheBandWithItsPartsApart) {
    BENCH_EnterEntry(3);
    const auto frame = At(-200, 0, "data_thornax");
    const BENCH_Census row = BENCH_Count(frame, White);
    EXPECT_TRUE(Inside(row, 4)) << Box(row);
    // Q, K, 2, the stroke and the seven letters of THORNAX, each apart.
    int parts = 0;
    bool inside = false;
    for (int x = 0; x < 640; ++x) {
        bool ink = false;
        for (int y = kBandY0; y < kBandY1 && !ink; ++y) ink = White(BENCH_Pixel(frame, x, y));
        parts += ink && !inside;
        inside = ink;
    }
    EXPECT_EQ(parts, 11);
    ExpectCaptionShows(frame, "developed", 160, 408, kTopBand);
}

// ---------------------------------------------------------------------------
// Angel, Tree: the subjects' framing is checked with the scenes' own tests;
// here the captions and the Tree's backdrops.

TEST_F(SceneFit, AngelCaptionShowsInTheBottomBand) {
    BENCH_EnterEntry(5);
    ExpectCaptionShows(At(30, 500, "data_angel"), "ex_hb", 70, 16, kBottomBand);
}

TEST_F(SceneFit, TreeBackdropsAndWaterFillTheBackground) {
    BENCH_EnterEntry(6);
    glClearColor(1, 0, 1, 1);  // a colour that no part of the landscape has
    for (float c0 : {-700.f, 200.f}) {
        // The back wall starts at x = -600, where the first frames' view
        // ends: at most a sliver at the band's edge may miss it.
        const BENCH_Census gaps = BENCH_Count(At(c0, 0), Magenta);
        EXPECT_LT(Share(gaps), 1 / 200.0) << c0 << ": " << Box(gaps);
    }
}

TEST_F(SceneFit, TreeCaptionShowsInTheTopBand) {
    BENCH_EnterEntry(6);
    for (float c0 : {-700.f, -100.f, 200.f}) {
        const auto frame = At(c0, 0, "data_tree_" + std::to_string(int(c0)));
        ExpectCaptionShows(frame, "shl", 10, 408, kTopBand);
    }
}

// ---------------------------------------------------------------------------
// TMagic: the tunnel turns 1800 units beyond the look-at point, the overlays
// in front of it; the caption lies above the bottom bar on plain ground.

TEST_F(SceneFit, TMagicCaptionSitsOnTheGroundAboveTheBar) {
    BENCH_EnterEntry(7);
    for (float c0 : {-700.f, -450.f, -200.f}) {
        const auto frame = At(c0, 0, "data_tmagic_" + std::to_string(int(-c0)));
        ExpectCaptionShows(frame, "tmagic", 10, 84, {0, 82, 160, 124});
    }
}

// ---------------------------------------------------------------------------
// Glow: the camera rides x = 5 along the pipes' axis, between them.

TEST_F(SceneFit, GlowPipesSurroundTheCameraPath) {
    for (int entry : {8, 9}) {
        BENCH_EnterEntry(entry);
        for (float c1 : {-50.f, -20.f, 30.f, 100.f})
            for (float c0 : {0.f, 70.f}) {
                const auto frame = At(c0, c1);
                const double share = Share(BENCH_Count(frame, Lit));
                EXPECT_GT(share, 0.1) << c1 << " " << c0;
                EXPECT_LT(share, 0.85) << c1 << " " << c0;
                // The line of sight stays clear: the camera flies between them.
                EXPECT_FALSE(Lit(BENCH_Pixel(frame, 320, 240))) << c1 << " " << c0;
            }
    }
}

TEST_F(SceneFit, GlowCaptionShowsAboveTheBar) {
    BENCH_EnterEntry(8);
    for (float c1 : {-40.f, 60.f}) {
        const auto frame = At(40, c1, "data_glow_" + std::to_string(int(c1)));
        ExpectCaptionShows(frame, "lans", 10, 84, {10, 84, 74, 116});
    }
}

// ---------------------------------------------------------------------------
// Pictures in their scenes.

TEST_F(SceneFit, LoadingBoxesStayReadableOverTheBootPicture) {
    BENCH_EnterEntry(0);
    for (int k = 0; k < VELQ_LOADER_STEPS; ++k) velq_loader_st[k] = k < 3;
    const std::vector<uint8_t> frame = At(velq_ctrls.value[0], velq_ctrls.value[1]);
    BENCH_SaveFrame(frame, "data_loading");
    auto light = [&](int x, int y) {
        const BENCH_Rgb p = BENCH_Pixel(frame, x, y);
        return p.r + p.g + p.b > 3 * 200;
    };
    for (int k = 0; k < VELQ_LOADER_STEPS; ++k) {
        const int cx = 20 + 40 * k;
        // Between the boxes, above and below them: light ground.
        for (int y = 416; y <= 464; y += 4) EXPECT_TRUE(light(cx + 20, y)) << k << " " << y;
        EXPECT_TRUE(light(cx, 416)) << k;
        EXPECT_TRUE(light(cx, 464)) << k;
        // The boxes themselves are black on it: a solid block for a done
        // step, a frame around light ground for a pending one.
        const BENCH_Rgb side = BENCH_Pixel(frame, cx - 12, 440),
                        middle = BENCH_Pixel(frame, cx, 440);
        if (k < 3) {
            EXPECT_EQ(middle.r + middle.g + middle.b, 0) << "the solid box " << k;
        } else {
            EXPECT_EQ(side.r + side.g + side.b, 0) << "the hollow box " << k;
            EXPECT_TRUE(light(cx, 440)) << "inside the hollow box " << k;
        }
    }
}

TEST_F(SceneFit, QuiboTitlesShowOnTheirGrounds) {
    BENCH_EnterEntry(4);
    const auto frame = At(30, 0, "data_quibo");
    ExpectCaptionShows(frame, "grid", 0, 8, kBottomBand);
    ExpectCaptionShows(frame, "amber", 0, 208, {0, 208, 320, 304});
}

TEST_F(SceneFit, ZeltoPictureMeetsTheOrangeGroundWithoutSeam) {
    BENCH_EnterEntry(10);
    // Its second frame, on its own clear colour: no stripes yet, no fade.
    ExpectCaptionShows(At(0, 0, "data_zelto"), "zelto", 64, 120, {0, kBandY0, 640, kBandY1});
}

}  // namespace
