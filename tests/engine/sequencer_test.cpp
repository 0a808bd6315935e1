// The tape, the clock and the sequencer, driven through their real globals
// by simulated ticks. The scene slots are swapped for recorders so each
// frame's channel values can be inspected.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstring>
#include <thread>
#include <vector>

#include "engine/velq2.h"
#include "engine/velq_loader.h"
#include "engine/velq_start.h"

namespace {

struct Frame {
    int entry;
    std::array<float, 8> value;
    float t0;
};

std::vector<Frame> calls;
std::vector<int> preps;

void RecordCall() {
    Frame f{velq_caller,
            {},
            std::atomic_ref<float>(velq_ctrls.clock[0].t).load(std::memory_order_relaxed)};
    std::copy(std::begin(velq_ctrls.value), std::end(velq_ctrls.value), f.value.begin());
    calls.push_back(f);
}
void RecordPrep() { preps.push_back(velq_caller); }
void SkipEntry() {
    preps.push_back(velq_caller);
    velq_ctrl = 1;
}
void NeverCalled() { ADD_FAILURE() << "the blur slot was called"; }

// Channel-0 time at which each entry ends, from the tape's own table.
constexpr float kEndTimes[11] = {0, 13.34f, 13.34f, 16.68f, 18, 18, 15, 25, 11.68f, 30.4f, 10};
constexpr float kTick = 0.02f;
constexpr uint64_t kPeriodUs = 20000;

// The time the tests tick the clock at.
uint64_t fake_us = 0;

class Sequencer : public ::testing::Test {
protected:
    void SetUp() override {
        std::memcpy(saved_, velq_tape, sizeof saved_);
        for (int i = 0; i <= VELQ_LAST_ENTRY; ++i) {
            velq_tape[i].call = RecordCall;
            velq_tape[i].prep = RecordPrep;
        }
        velq_tape[0].blur = NeverCalled;
        fake_us = 0;
        VELQ_ClockStart(fake_us);
        VELQ_CoreRewind();
        calls.clear();
        preps.clear();
        // Entry 0 as start-up leaves it: its reset values loaded, clocks running.
        for (int k = 0; k < 8; ++k) velq_ctrls.value[k] = velq_tape[0].channel[k].reset;
    }
    void TearDown() override { std::memcpy(velq_tape, saved_, sizeof saved_); }

    // A timer callback after the given time has passed.
    static void Tick(uint64_t us = kPeriodUs) {
        fake_us += us;
        VELQ_TickAt(fake_us);
    }
    // One frame after the given number of clock ticks.
    static int32_t Run(int ticks = 1) {
        for (int i = 0; i < ticks; ++i) Tick();
        return VElQ_Update();
    }
    // Runs frames until the tape ends; false if it does not within the limit.
    static bool RunToEnd(int limit = 20000) {
        for (int i = 0; i < limit; ++i)
            if (Run() == 1) return true;
        return false;
    }

private:
    VELQ_TapeEntry saved_[VELQ_TAPE_LENGTH];
};

TEST_F(Sequencer, LoadingEntryHoldsUntilReleased) {
    for (int i = 0; i < 2000; ++i) ASSERT_EQ(Run(), 0);
    EXPECT_EQ(velq_caller, 0);
    EXPECT_FLOAT_EQ(calls.back().value[0], 0.1f);
    EXPECT_TRUE(preps.empty());

    VELQ_LoaderRelease();
    ASSERT_EQ(Run(), 0);  // computes a value far below its range, still drawn by entry 0
    EXPECT_EQ(calls.back().entry, 0);
    EXPECT_LT(calls.back().value[0], -630.0f);
    ASSERT_EQ(Run(), 0);  // the next frame moves on
    EXPECT_EQ(velq_caller, 1);
    EXPECT_EQ(preps, std::vector<int>{1});
}

TEST_F(Sequencer, EachEntryEndsAtItsTableTime) {
    VELQ_LoaderRelease();
    ASSERT_TRUE(RunToEnd());
    // An entry ends at the first of its frames whose clock value left the range.
    for (int e = 1; e <= VELQ_LAST_ENTRY; ++e) {
        const VELQ_Channel& c = velq_tape[e].channel[0];
        auto out = std::find_if(calls.begin(), calls.end(), [&](const Frame& f) {
            return f.entry == e && (f.value[0] < c.min || f.value[0] > c.max);
        });
        ASSERT_NE(out, calls.end()) << "entry " << e;
        EXPECT_NEAR(out->t0, kEndTimes[e], kTick + 1e-3f) << "entry " << e;
        // The frame after it already belongs to the next entry.
        if (e < VELQ_LAST_ENTRY) {
            EXPECT_EQ((out + 1)->entry, e + 1);
        } else {
            EXPECT_EQ(out + 1, calls.end());
        }
    }
    // Each entry's prep ran once, in tape order; the loading prep is start-up's.
    EXPECT_EQ(preps, (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
}

TEST_F(Sequencer, FirstFrameOfAnEntryShowsItsResetValues) {
    VELQ_LoaderRelease();
    ASSERT_TRUE(RunToEnd());
    for (int e = 1; e <= VELQ_LAST_ENTRY; ++e) {
        auto first =
            std::find_if(calls.begin(), calls.end(), [&](const Frame& f) { return f.entry == e; });
        ASSERT_NE(first, calls.end());
        for (int k = 0; k < 8; ++k)
            EXPECT_EQ(first->value[k], velq_tape[e].channel[k].reset) << e << "/" << k;
        EXPECT_EQ(first->t0, 0.0f);
        // From the second frame on the value law holds: entry 7 continues from its min.
        if (e == 7) {
            EXPECT_NEAR((first + 1)->value[0], -700 + 20 * kTick, 1e-3);
        }
    }
}

TEST_F(Sequencer, SetFlagLoopsFromOneUnitInside) {
    // Entry 0's channel 1 swings down from 800 and back up; bit 1 is set.
    std::vector<float> v;
    for (int i = 0; i < 700; ++i) {
        Run();
        v.push_back(calls.back().value[1]);
    }
    auto over = std::find_if(v.begin(), v.end(), [](float x) { return x > 800; });
    ASSERT_NE(over, v.end());
    EXPECT_GT(*std::min_element(v.begin(), over), 580.0f);
    EXPECT_EQ(*(over + 1), 799.0f);
    EXPECT_NEAR(*(over + 2), 800 - 140 * kTick + 23 * kTick * kTick, 1e-3);
}

TEST_F(Sequencer, ClearFlagLoopsThroughResetValue) {
    // Entry 9's channel 1 rises from -50 and falls back below it after about 20 s.
    velq_caller = 8;
    velq_ctrls.value[0] = 2000;  // entry 8 ends on the next frame
    ASSERT_EQ(Run(), 0);
    ASSERT_EQ(velq_caller, 9);
    std::vector<float> v;
    for (int i = 0; i < 1100; ++i) {
        Run();
        v.push_back(calls.back().value[1]);
    }
    auto under = std::find_if(v.begin(), v.end(), [](float x) { return x < -50; });
    ASSERT_NE(under, v.end());
    EXPECT_NEAR((under - v.begin()) * kTick, 20.0, 2 * kTick);
    EXPECT_EQ(*(under + 1), 0.0f);  // reset value for one frame
    EXPECT_NEAR(*(under + 2), -50 + 20 * kTick - kTick * kTick, 1e-3);
}

TEST_F(Sequencer, FastChannelRestartsSeveralTimesASecond) {
    velq_caller = 9;
    velq_ctrls.value[0] = 2000;
    ASSERT_EQ(Run(), 0);
    ASSERT_EQ(velq_caller, 10);
    int restarts = 0;
    for (int i = 0; i < 50; ++i) {  // one second of channel time
        Run();
        if (calls.back().value[1] == 0.0f) ++restarts;
        EXPECT_LE(calls.back().value[1], 1.01f + 20 * kTick);
    }
    EXPECT_GE(restarts, 10);
}

TEST_F(Sequencer, PrepThatSetsTheAdvanceWordSkipsItsEntry) {
    velq_tape[3].prep = SkipEntry;
    velq_caller = 2;
    velq_ctrls.value[0] = -5;  // below entry 2's range: advance on this frame
    ASSERT_EQ(Run(), 0);
    EXPECT_EQ(preps, (std::vector<int>{3, 4}));
    EXPECT_EQ(velq_caller, 4);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].entry, 4);
    EXPECT_EQ(velq_ctrl, 0u);
}

TEST_F(Sequencer, EntryWithoutPrepGoesStraightToItsCall) {
    velq_tape[4].prep = nullptr;
    velq_caller = 3;
    velq_ctrls.value[0] = 1000;
    ASSERT_EQ(Run(), 0);
    EXPECT_TRUE(preps.empty());
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].entry, 4);
}

TEST_F(Sequencer, TapeEndStopsDrawingAndTheClock) {
    velq_caller = VELQ_LAST_ENTRY;
    velq_ctrls.value[0] = 3;  // above entry 10's range
    EXPECT_EQ(Run(), 1);
    EXPECT_TRUE(calls.empty());
    EXPECT_TRUE(preps.empty());
    EXPECT_EQ(velq_caller, VELQ_LAST_ENTRY + 1);
    EXPECT_NE(velq_ctrl, 0u);
    const VELQ_Ctrls before = velq_ctrls;
    for (int i = 0; i < 10; ++i) Tick();
    EXPECT_EQ(std::memcmp(&before, &velq_ctrls, sizeof before), 0);
    EXPECT_EQ(VElQ_Update(), 1);  // asking again changes nothing
    EXPECT_TRUE(calls.empty());
}

TEST_F(Sequencer, TickFollowsElapsedPeriodsUnlessHeldOrStalled) {
    Tick();
    Tick();
    for (int k = 0; k < 8; ++k) {
        EXPECT_FLOAT_EQ(velq_ctrls.clock[k].t, 0.04f);
        EXPECT_FLOAT_EQ(velq_ctrls.clock[k].tt, 0.04f * 0.04f);
    }
    // A late callback catches up the whole periods passed, in 0.02 s steps;
    // an early one adds nothing, and the part period is kept for later.
    Tick(kPeriodUs / 2);
    EXPECT_EQ(velq_ctrls.clock[3].t, 0.04f);
    Tick(3 * kPeriodUs);
    Tick(kPeriodUs / 2);
    float t = 0;
    for (int i = 0; i < 6; ++i) t += kTick;
    EXPECT_EQ(velq_ctrls.clock[3].t, t);
    EXPECT_EQ(velq_ctrls.clock[3].tt, t * t);
    // Periods that pass while the advance word is set are dropped for good.
    velq_ctrl = 1;
    Tick(2 * kPeriodUs);
    velq_ctrl = 0;
    Tick();
    t += kTick;
    EXPECT_EQ(velq_ctrls.clock[5].t, t);
    // A stall of over a quarter second is not caught up: the clock resumes
    // where it stopped. A tick 240 ms late still catches up.
    Tick(5000000);
    EXPECT_EQ(velq_ctrls.clock[5].t, t);
    Tick();
    Tick(12 * kPeriodUs);
    for (int i = 0; i < 13; ++i) t += kTick;
    EXPECT_EQ(velq_ctrls.clock[5].t, t);
}

TEST_F(Sequencer, ZeroRateChannelSitsOnItsMax) {
    // Channels 3 to 7 of entry 0 are all zero and stay at 0; channel 0 sits on 0.1.
    for (int i = 0; i < 100; ++i) Run();
    for (int k = 3; k < 8; ++k) EXPECT_EQ(calls.back().value[k], 0.0f);
    EXPECT_EQ(calls.back().value[0], 0.1f);
}

// The real 20 ms timer and a loader-like thread run beside the frame loop;
// under ThreadSanitizer this shows the sharing is race-free.
TEST_F(Sequencer, RunsBesideTheRealTimerAndLoader) {
    ASSERT_EQ(SDL_Init(SDL_INIT_TIMER), 0);
    // As if loading had already taken its 13 s.
    velq_ctrls.clock[0] = {13, 169};
    VELQ_TimerInit();
    std::thread loader([] {
        SDL_Delay(100);
        std::atomic_ref<float>(velq_tape[0].channel[0].acc).store(-10, std::memory_order_release);
    });
    const Uint32 start = SDL_GetTicks();
    while (velq_caller < 2 && SDL_GetTicks() - start < 2000) {
        // Shorten entry 1 so the test sees a few advances in real time.
        if (velq_caller == 1) velq_ctrls.value[0] = 5;
        VElQ_Update();
        SDL_Delay(1);
    }
    loader.join();
    ASSERT_EQ(velq_caller, 2);
    // The clocks run again in the new entry.
    for (int i = 0; i < 100; ++i) {
        VElQ_Update();
        SDL_Delay(1);
    }
    SDL_RemoveTimer(velq_timer_id);
    SDL_Quit();
    EXPECT_GT(velq_ctrls.clock[0].t, 0.0f);
}

TEST(SoundErrors, TextsForKnownAndUnknownCodes) {
    EXPECT_STREQ(FMOD_ErrorString(0), "No errors");
    EXPECT_STREQ(FMOD_ErrorString(3), "Error initializing output device.");
    EXPECT_STREQ(FMOD_ErrorString(9), "File not found");
    EXPECT_STREQ(FMOD_ErrorString(12), "Not enough memory ");
    EXPECT_STREQ(FMOD_ErrorString(18), "Required Mediaplayer codec is not installed");
    EXPECT_STREQ(FMOD_ErrorString(19), "Unknown error");
    EXPECT_STREQ(FMOD_ErrorString(-1), "Unknown error");
}

}  // namespace
