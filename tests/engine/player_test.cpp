// The production through the headless player in virtual time, as the
// program plays it: the loading boxes fill at the loader's pace, entry 1 and
// the soundtrack start with the loader's release, and every entry keeps to
// channel time whatever the frame rate.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <random>
#include <vector>

#include "engine/velq2.h"
#include "tests/support/gl_bench.h"

namespace {

constexpr int kFps = VELQ_TICKS_PER_SECOND;
constexpr uint64_t kMs = 1000;

// Loading box k is solid when its whole 20 x 24 inside is black.
bool BoxSolid(const std::vector<uint8_t>& frame, int k) {
    for (int y = 429; y < 452; ++y)
        for (int x = 20 + 40 * k - 9; x < 20 + 40 * k + 9; ++x) {
            const BENCH_Rgb p = BENCH_Pixel(frame, x, y);
            if (p.r || p.g || p.b) return false;
        }
    return true;
}

class Player : public ::testing::Test {
protected:
    static void SetUpTestSuite() { BENCH_Start(); }
};

TEST_F(Player, BoxesFillAtTheLoaderPaceThenEntryOneStartsTheSoundtrack) {
    const std::vector<uint64_t> tape = VELQ_PLAY_TapeTimes(kFps);
    testing::internal::CaptureStdout();
    PLAYER_Start(AMBER_DRIVE);
    std::array<uint64_t, 8> filled{};
    uint64_t us = 0;
    for (int64_t k = 1; velq_caller == 0; ++k) {
        VELQ_PLAY_FrameAt(us = VELQ_PLAY_FrameUs(k, kFps), true);
        const auto frame = PLAYER_ReadFrame();
        for (int b = 0; b < 8; ++b)
            if (!filled[b] && velq_caller == 0 && BoxSolid(frame, b)) filled[b] = us;
    }
    const std::string out = testing::internal::GetCapturedStdout();
    // 3 s, then the steps' pauses of 1 or 2 s.
    EXPECT_EQ(filled, (std::array<uint64_t, 8>{3000 * kMs, 4000 * kMs, 6000 * kMs, 7000 * kMs,
                                               8000 * kMs, 10000 * kMs, 11000 * kMs, 12000 * kMs}));
    // The release comes 13 s in, before that frame: the frame computes the
    // clock out of its range and entry 1 starts, whose PREP asks for the
    // soundtrack.
    EXPECT_EQ(us, tape[0]);
    EXPECT_EQ(us, 13000 * kMs);
    EXPECT_EQ(PLAYER_SoundtrackStartUs(), us);
    EXPECT_TRUE(out.starts_with("CFS_Open: Attempting to open drive " AMBER_DRIVE)) << out;
    EXPECT_TRUE(out.ends_with(
        " drive)\nVELQ_LOADER\nVELQ_TIMER\nVELQ_CORE\nCFS_Close: Closing drive ... done.\n"))
        << out;
    // The tape's times worked out after a run leave the next run's loading as long.
    EXPECT_EQ(VELQ_PLAY_TapeTimes(kFps), tape);
    PLAYER_Start(AMBER_DRIVE);
    VELQ_PLAY_FrameAt(tape[0] - VELQ_TICK_MS * kMs, false);
    EXPECT_EQ(velq_caller, 0);
}

// Played again in the same process and skipped to moments, backwards, the production shows what stepping every frame
// shows there, and prints and reads nothing again.
TEST_F(Player, ReplaySkippedToAMomentShowsWhatEveryFrameShows) {
    const std::vector<uint64_t> tape = VELQ_PLAY_TapeTimes(kFps);
    // In loading, entry 1's first frame and the middle of entry 1.
    const std::vector<int64_t> moments = {VELQ_PLAY_FrameOn(5500 * kMs, kFps),
                                          VELQ_PLAY_FrameOn(tape[0], kFps),
                                          VELQ_PLAY_FrameOn((tape[0] + tape[1]) / 2, kFps)};
    std::vector<std::vector<uint8_t>> frames;
    PLAYER_Start(AMBER_DRIVE);
    for (int64_t k = 0; k <= moments.back(); ++k) {
        VELQ_PLAY_FrameAt(VELQ_PLAY_FrameUs(k, kFps), true);
        if (std::find(moments.begin(), moments.end(), k) != moments.end()) frames.push_back(PLAYER_ReadFrame());
    }
    testing::internal::CaptureStdout();
    for (size_t i = moments.size(); i-- > 0;) {
        VELQ_PLAY_Begin(VELQ_PLAY_STEPPED, VELQ_RUN_REPLAY);
        VELQ_PLAY_Skip(0, moments[i], kFps);
        VELQ_PLAY_FrameAt(VELQ_PLAY_FrameUs(moments[i], kFps), true);
        EXPECT_TRUE(PLAYER_ReadFrame() == frames[i]) << "frame " << moments[i];
    }
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

// Frames come at uneven times, as a busy machine draws them; the clock counts
// the 20 ms periods that have passed whenever it ticks, so each entry still
// lasts its channel time, within a tick and a frame.
TEST_F(Player, EntriesKeepToChannelTimeAtUnevenFrameTimes) {
    const std::vector<uint64_t> tape = VELQ_PLAY_TapeTimes(kFps);
    PLAYER_Start(AMBER_DRIVE);
    velq_frame_work = VELQ_FRAME_NONE;
    constexpr uint64_t kLongestFrame = 45 * kMs;
    std::mt19937 random(7);
    std::vector<uint64_t> starts;
    uint64_t us = 0;
    while (velq_caller <= VELQ_LAST_ENTRY) {
        us += 1 * kMs + random() % kLongestFrame;
        const int32_t entry = velq_caller;
        if (VELQ_PLAY_FrameAt(us, false) == 1 || velq_caller != entry) starts.push_back(us);
    }
    velq_frame_work = VELQ_FRAME_DRAW;
    ASSERT_EQ(starts.size(), tape.size());
    for (size_t e = 1; e < tape.size(); ++e) {
        const double lasted = double(starts[e] - starts[e - 1]), expected = tape[e] - tape[e - 1];
        EXPECT_NEAR(lasted, expected, 20 * kMs + kLongestFrame) << "entry " << e;
    }
}

// A second start in one process shows what the first, in a fresh process
// under ctest, showed: the reset undoes the OpenGL state and the scenes' own
// state (Zelto's stripes, drawn from rand()) that the first run left.
TEST_F(Player, StartedAgainShowsWhatTheFirstStartShowed) {
    const std::vector<uint64_t> tape = VELQ_PLAY_TapeTimes(kFps);
    const int64_t moment = VELQ_PLAY_FrameOn(tape[VELQ_LAST_ENTRY - 1] + 6000 * kMs, kFps);
    std::vector<uint8_t> frames[2];
    for (std::vector<uint8_t>& frame : frames) {
        PLAYER_Start(AMBER_DRIVE);
        ASSERT_EQ(VELQ_PLAY_Skip(0, moment, kFps), 0);
        VELQ_PLAY_FrameAt(VELQ_PLAY_FrameUs(moment, kFps), true);
        ASSERT_EQ(velq_caller, VELQ_LAST_ENTRY);
        frame = PLAYER_ReadFrame();
    }
    EXPECT_TRUE(frames[0] == frames[1]);
}

}  // namespace
