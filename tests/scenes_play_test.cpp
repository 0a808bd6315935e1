// The opening and closing scenes drawn on the bench after the tape has led
// up to them, at chosen channel values.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/gl_bench.h"

extern uint8_t intro_rand[161];

namespace {

class Production : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        BENCH_Start();
        BENCH_LoadProduction();
    }
    static std::vector<uint8_t> At(float c0, float c1) {
        BENCH_DrawAt(c0, c1);
        return BENCH_ReadFrame();
    }
};

// What a region of the picture band shows.
struct Look {
    double brightness = 0;  // mean of r + g + b
    double x = 0;           // mean x of the pixels that pass the filter
    int count = 0;
};

template <typename Filter>
Look Measure(const std::vector<uint8_t>& frame, int y0, int y1, Filter pass) {
    Look l;
    for (int y = y0; y < y1; ++y)
        for (int x = 0; x < 640; ++x) {
            const BENCH_Rgb p = BENCH_Pixel(frame, x, y);
            l.brightness += p.r + p.g + p.b;
            if (pass(p)) l.x += x, ++l.count;
        }
    l.brightness /= 640.0 * (y1 - y0);
    if (l.count) l.x /= l.count;
    return l;
}

Look Band(const std::vector<uint8_t>& frame, bool (*pass)(BENCH_Rgb)) {
    return Measure(frame, 80, 400, pass);
}

bool Orange(BENCH_Rgb p) { return p.r > 60 && p.r > 2 * p.b; }
bool Blue(BENCH_Rgb p) { return p.b > 60 && p.b > p.r + 30; }
bool White(BENCH_Rgb p) { return p.r == 255 && p.g == 255 && p.b == 255; }
bool NotBlack(BENCH_Rgb p) { return p.r || p.g || p.b; }

using ThornaxIn = Production;
using Thornax = Production;
using Quibo = Production;
using Zelto = Production;

TEST_F(ThornaxIn, LightFollowsChannelZeroAndTheRingCirclesWithChannelOne) {
    BENCH_EnterEntry(1);
    const Look dark = Band(At(-0.5f, 0), Orange), off = Band(At(0, 0), Orange),
               lit = Band(At(0.33f, 0), Orange);
    EXPECT_LT(dark.brightness, off.brightness) << "a negative light darkens";
    EXPECT_LT(off.brightness * 1.5, lit.brightness);
    const Look turned = Band(At(0.33f, 180), Orange);
    BENCH_SaveFrame(At(0.33f, 90), "thornaxin_lit_90");
    ASSERT_GT(lit.count, 1000);
    // Offset by (-30, -30) inside the turning frame, the ring swings across
    // the view centre as channel 1 turns it half round.
    EXPECT_GT(turned.x - lit.x, 40);
}

TEST_F(Thornax, KnotSlidesOverTheWhiteGlyphRow) {
    BENCH_EnterEntry(3);
    const auto left = At(-100, 0), right = At(100, 0);
    BENCH_SaveFrame(right, "thornax_100");
    const Look l = Band(left, Blue), r = Band(right, Blue);
    ASSERT_GT(l.count, 1000);
    EXPECT_NEAR(r.x - l.x, 200 * 640 / 2 / 250.0 / 0.414 / 1.5385, 40)
        << "the knot moves 200 units across at depth 250";
    EXPECT_GT(Measure(right, 110, 190, White).count, 3000) << "the glyph row is plain white";
    EXPECT_GT(Measure(right, 408, 472, NotBlack).count, 500) << "\"developed\" in the top band";
}

TEST_F(Quibo, WheelSlicesChangeWithChannelZero) {
    BENCH_EnterEntry(4);
    const auto a = At(0, 0), b = At(45, 0), c = At(90, 0);
    BENCH_SaveFrame(b, "quibo_45");
    int changed = 0;
    for (int y = 80; y < 400; ++y)
        for (int x = 0; x < 640; ++x)
            changed += std::memcmp(&a[(y * 640 + x) * 4], &c[(y * 640 + x) * 4], 3) != 0;
    EXPECT_GT(changed, 640 * 320 / 20);
    // The wheels are blended over the white left half and the cream right half.
    for (const auto* f : {&a, &b, &c}) EXPECT_GT(Band(*f, Orange).count, 2000);
    EXPECT_TRUE(White(BENCH_Pixel(b, 5, 390)));
    const BENCH_Rgb cream = BENCH_Pixel(b, 635, 390);
    EXPECT_EQ(cream.r, 255);
    EXPECT_NEAR(cream.g, 230, 1);
    EXPECT_NEAR(cream.b, 179, 1);
}

TEST_F(Zelto, FadeClosesTheBandToBlack) {
    BENCH_EnterEntry(10);
    const auto open = At(0, 0), edges = At(1, 0), closed = At(2, 0);
    BENCH_SaveFrame(edges, "zelto_half_closed");
    EXPECT_GT(Band(open, NotBlack).count, 640 * 320 / 2);
    EXPECT_LT(Measure(edges, 80, 81, NotBlack).brightness, 3) << "the band's bottom edge";
    EXPECT_LT(Measure(edges, 399, 400, NotBlack).brightness, 3) << "the band's top edge";
    EXPECT_GT(Measure(edges, 236, 244, NotBlack).count, 640 * 8 / 2) << "the middle stays clear";
    EXPECT_EQ(Band(closed, NotBlack).count, 0);
}

TEST_F(Zelto, StripesChangeOnlyWhenChannelOneReachesOne) {
    BENCH_EnterEntry(10);
    uint8_t before[161];
    At(0.5f, 1.0f);
    std::memcpy(before, intro_rand, sizeof before);
    At(0.5f, 0.999f);
    EXPECT_EQ(std::memcmp(before, intro_rand, sizeof before), 0);
    const auto striped = At(0.5f, 1.0f);
    EXPECT_NE(std::memcmp(before, intro_rand, sizeof before), 0);
    for (uint8_t a : intro_rand) EXPECT_LT(a, 128);
}

}  // namespace
