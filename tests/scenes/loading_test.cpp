// The loading scene: the boot picture with eight progress boxes over it.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "archive/cfs.h"
#include "archive/cfs_writer.h"
#include "engine/velq_loader.h"
#include "engine/velq_scenes.h"
#include "tests/support/gl_bench.h"

namespace {

constexpr BENCH_Rgb kTeal = {0, 128, 128};

bool Same(BENCH_Rgb a, BENCH_Rgb b) { return a.r == b.r && a.g == b.g && a.b == b.b; }
bool Black(BENCH_Rgb p) { return Same(p, {0, 0, 0}); }

// A drive with a solid teal 512 x 512 boot picture, larger than the window
// so it lies behind every box.
void LoadBootDrive() {
    const std::vector<uint8_t> rgb = [] {
        std::vector<uint8_t> v;
        for (int i = 0; i < 512 * 512; ++i) v.insert(v.end(), {kTeal.r, kTeal.g, kTeal.b});
        return v;
    }();
    const std::string path = testing::TempDir() + "boot.cfs";
    ASSERT_TRUE(CFS_WRITER_Save(
        path.c_str(), {{"bootpic", CFS_TYPE_PNG24, CFS_WRITER_Picture(rgb, 512, 512, 256, 256)}}));
    CFS_Open(path.c_str());
    VIS_INIT_Loading();
}

class Loading : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        BENCH_Start();
        LoadBootDrive();
    }
    void SetUp() override { std::fill(std::begin(velq_loader_st), std::end(velq_loader_st), 0u); }

    static std::vector<uint8_t> Frame() {
        BENCH_RunScene(VIS_PREP_Loading, VIS_CALL_Loading);
        return PLAYER_ReadFrame();
    }
    static int CentreX(int k) { return 20 + 40 * k; }
};

TEST_F(Loading, HollowFramesShowThePictureInside) {
    const auto frame = Frame();
    BENCH_SaveFrame(frame, "loading_empty");
    for (int k = 0; k < 8; ++k) {
        const int x = CentreX(k);
        EXPECT_TRUE(Black(BENCH_Pixel(frame, x - 12, 440))) << "left side of box " << k;
        EXPECT_TRUE(Black(BENCH_Pixel(frame, x + 12, 440))) << "right side of box " << k;
        EXPECT_TRUE(Black(BENCH_Pixel(frame, x, 457))) << "top of box " << k;
        EXPECT_TRUE(Black(BENCH_Pixel(frame, x, 422))) << "bottom of box " << k;
        EXPECT_TRUE(Same(BENCH_Pixel(frame, x, 440), kTeal)) << "inside box " << k;
    }
    // The picture fills the rest of the window around the row.
    EXPECT_TRUE(Same(BENCH_Pixel(frame, 400, 440), kTeal));
    EXPECT_TRUE(Same(BENCH_Pixel(frame, 20, 200), kTeal));
}

TEST_F(Loading, AnyNonZeroWordFillsItsBox) {
    velq_loader_st[2] = 1;
    velq_loader_st[7] = 0x80000000u;
    const auto frame = Frame();
    BENCH_SaveFrame(frame, "loading_two_done");
    for (int k : {2, 7})
        for (int y = 429; y < 452; ++y)
            for (int x = CentreX(k) - 9; x < CentreX(k) + 9; ++x)
                ASSERT_TRUE(Black(BENCH_Pixel(frame, x, y))) << k << " at " << x << "," << y;
    // A done box has no frame ring: the picture shows where the ring was.
    EXPECT_TRUE(Same(BENCH_Pixel(frame, CentreX(2) - 12, 440), kTeal));
    EXPECT_TRUE(Same(BENCH_Pixel(frame, CentreX(3), 440), kTeal));  // box 3 still hollow
}

TEST_F(Loading, LastBoxEndsTheRow) {
    const auto frame = Frame();
    EXPECT_TRUE(Black(BENCH_Pixel(frame, 287, 440)));
    EXPECT_TRUE(Black(BENCH_Pixel(frame, 313, 440)));
    EXPECT_TRUE(Same(BENCH_Pixel(frame, 285, 440), kTeal));
    EXPECT_TRUE(Same(BENCH_Pixel(frame, 315, 440), kTeal));
    EXPECT_TRUE(Same(BENCH_Pixel(frame, 340, 440), kTeal));  // nothing after box 7
}

}  // namespace
