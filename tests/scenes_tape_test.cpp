// The whole tape on the rendering bench, through the real sequencer: every
// entry keeps its letterbox black, and stills at a spread of channel times
// are saved under frames/ for people to look at.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/velq2.h"
#include "tests/gl_bench.h"

namespace {

// Window rectangle, x1 and y1 excluded.
struct Rect {
    int x0, y0, x1, y1;
    bool Holds(int x, int y) const { return x >= x0 && x < x1 && y >= y0 && y < y1; }
};

struct Entry {
    int index;
    float end;     // channel-0 time at which it ends
    Rect caption;  // a picture over a band; empty when there is none
};

// Pictures that lie over a band: "developed" in Thornax's top band, "grid"
// in Quibo's bottom band, "ex_hb" in Angel's, "shl" in Tree's top band.
const Entry kEntries[] = {
    {1, 13.3f, {}},
    {2, 13.3f, {}},
    {3, 16.6f, {160, 408, 544, 472}},
    {4, 17.9f, {0, 8, 640, 72}},
    {5, 17.9f, {70, 16, 582, 80}},
    {6, 14.9f, {10, 408, 522, 472}},
    {7, 24.9f, {}},
    {8, 11.6f, {}},
    {9, 30.3f, {}},
    {10, 9.9f, {}},
};

// The first pixel of the letterbox rows that is not black, outside the caption.
std::string LetterboxLeak(const std::vector<uint8_t>& frame, const Rect& caption) {
    for (int y = 0; y < 480; ++y) {
        if (y == 80) y = 400;
        for (int x = 0; x < 640; ++x) {
            if (caption.Holds(x, y)) continue;
            const BENCH_Rgb p = BENCH_Pixel(frame, x, y);
            if (p.r || p.g || p.b) return "(" + std::to_string(x) + ", " + std::to_string(y) + ")";
        }
    }
    return "";
}

class TapeOnBench : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        BENCH_Start();
        BENCH_LoadProduction();
    }
};

TEST_F(TapeOnBench, EveryEntryKeepsItsLetterboxBlack) {
    BENCH_EnterEntry(1);
    for (const Entry& e : kEntries) {
        ASSERT_EQ(velq_caller, e.index);
        // The entry's first frame, then frames across its length.
        EXPECT_EQ(LetterboxLeak(BENCH_ReadFrame(), e.caption), "") << "entry " << e.index;
        for (int i = 1; i <= 5; ++i) {
            const float t = e.end * i / 5;
            BENCH_TapeFrame(t);
            const auto frame = BENCH_ReadFrame();
            BENCH_SaveFrame(frame, "tape_" + std::to_string(e.index) + "_" + std::to_string(i));
            EXPECT_EQ(LetterboxLeak(frame, e.caption), "") << "entry " << e.index << " at " << t;
        }
        BENCH_TapeFrame(1000);  // channel 0 leaves its range
        BENCH_TapeFrame(1000);  // the next entry's first frame
    }
    EXPECT_EQ(velq_caller, 11);
}

}  // namespace
