#include "engine/velq_step.h"

#include <algorithm>
#include <cstring>
#include <iterator>

#include "archive/cfs.h"
#include "engine/velq2.h"
#include "engine/velq_loader.h"
#include "engine/velq_play.h"

namespace {

constexpr uint64_t kTickUs = VELQ_TICK_MS * uint64_t{1000};

uint64_t velq_step_now_us = 0;
bool velq_step_started = false;
// The loading entry's clock channel as the tape holds it before the loader
// releases it.
VELQ_Channel velq_step_loading_clock;

uint64_t VirtualClock() { return velq_step_now_us; }
void Nothing() {}
void Tick() { VElQ_Tick(VELQ_TICK_MS, nullptr); }

// Moves virtual time on to us a tick at a time, running catch_up after each
// step: the clock takes a longer gap for a stall and would not catch it up.
void StepTo(uint64_t us, void (*catch_up)()) {
    while (velq_step_now_us < us) {
        velq_step_now_us = std::min(us, velq_step_now_us + kTickUs);
        catch_up();
    }
}

bool EntryClockOutOfRange() {
    const VELQ_Channel& c = velq_tape[velq_caller].channel[0];
    return velq_ctrls.value[0] < c.min || velq_ctrls.value[0] > c.max;
}

int32_t Sequence(bool clear) {
    if (clear) return VELQ_PLAY_Frame();
    return VElQ_Update();
}

// The program draws several frames per tick, so it enters the next entry
// within the tick in which the current one ended.
int SequenceFrame(bool clear) {
    if (Sequence(clear) == 1) return 1;
    if (EntryClockOutOfRange()) return Sequence(clear);
    return 0;
}

void ResetSequencer() {
    velq_clock_us = VirtualClock;
    velq_step_now_us = 0;
    velq_caller = 0;
    velq_ctrl = 0;
    velq_ctrls = {};
}

// The scene slots of every entry replaced by one that does nothing.
void LeaveScenesOut() {
    for (int e = 0; e <= VELQ_LAST_ENTRY; ++e) {
        velq_tape[e].call = Nothing;
        if (velq_tape[e].prep) velq_tape[e].prep = Nothing;
    }
}

}  // namespace

void VELQ_STEP_Rewind() {
    if (velq_step_started) {
        velq_tape[0].channel[0] = velq_step_loading_clock;
        CFS_Close();
    }
    velq_step_loading_clock = velq_tape[0].channel[0];
    velq_step_started = true;
    ResetSequencer();
    velq_loader_stage = 0;
    std::fill(std::begin(velq_loader_st), std::end(velq_loader_st), 0u);
}

void VELQ_STEP_Start(const char* drive) {
    VELQ_STEP_Rewind();
    VELQ_PLAY_Start(drive, VELQ_PLAY_STEPPED);
}

void VELQ_STEP_AdvanceTo(uint64_t us) { StepTo(us, VELQ_PLAY_CatchUp); }

int VELQ_STEP_FrameAt(uint64_t us, bool clear) {
    VELQ_STEP_AdvanceTo(us);
    return SequenceFrame(clear);
}

uint64_t VELQ_STEP_FrameUs(int64_t k, int fps) { return k * VELQ_STEP_SECOND_US / fps; }

uint64_t VELQ_STEP_NowUs() { return velq_step_now_us; }

std::vector<uint64_t> VELQ_STEP_TapeTimes(int fps) {
    VELQ_TapeEntry tape[VELQ_TAPE_LENGTH];
    std::memcpy(tape, velq_tape, sizeof tape);
    uint64_t (*const clock)() = velq_clock_us;
    LeaveScenesOut();
    ResetSequencer();
    VELQ_ClockStart();
    const uint64_t release = VELQ_LoaderPaceMs() * uint64_t{1000};
    std::vector<uint64_t> times;
    for (int64_t k = 0; velq_caller <= VELQ_LAST_ENTRY; ++k) {
        StepTo(VELQ_STEP_FrameUs(k, fps), Tick);
        if (velq_step_now_us >= release) VELQ_LoaderRelease();
        const int32_t entry = velq_caller;
        if (SequenceFrame(false) == 1 || velq_caller != entry) times.push_back(velq_step_now_us);
    }
    std::memcpy(velq_tape, tape, sizeof tape);
    ResetSequencer();
    velq_clock_us = clock;
    return times;
}
