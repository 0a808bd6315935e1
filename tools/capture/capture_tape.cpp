#include "tools/capture/capture_tape.h"

#include <GL/gl.h>

#include <cstring>

#include "engine/velq2.h"
#include "engine/velq_loader.h"

namespace {

uint64_t capture_now_us = 0;

uint64_t VirtualClock() { return capture_now_us; }
void Nothing() {}

bool EntryClockOutOfRange() {
    const VELQ_Channel& c = velq_tape[velq_caller].channel[0];
    return velq_ctrls.value[0] < c.min || velq_ctrls.value[0] > c.max;
}

int32_t Sequence(bool draw) {
    if (draw) glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    return VElQ_Update();
}

// The scene slots of every entry replaced by one that does nothing.
void LeaveScenesOut() {
    for (int e = 0; e <= VELQ_LAST_ENTRY; ++e) {
        velq_tape[e].call = Nothing;
        if (velq_tape[e].prep) velq_tape[e].prep = Nothing;
    }
}

}  // namespace

uint64_t CAPTURE_FrameUs(int64_t k, int fps) { return k * CAPTURE_SECOND_US / fps; }

void CAPTURE_StartClock() {
    velq_clock_us = VirtualClock;
    capture_now_us = 0;
    VELQ_ClockStart();
}

uint64_t CAPTURE_NowUs() { return capture_now_us; }

int CAPTURE_Frame(uint64_t us, bool draw) {
    capture_now_us = us;
    VElQ_Tick(20, nullptr);
    if (Sequence(draw) == 1) return 1;
    // The program draws several frames per tick, so it enters the next entry
    // within the tick in which the current one ended; the frame drawn with the
    // value out of range is on screen for a moment only.
    if (EntryClockOutOfRange()) return Sequence(draw);
    return 0;
}

std::vector<uint64_t> CAPTURE_TapeTimes(int fps) {
    VELQ_TapeEntry tape[VELQ_TAPE_LENGTH];
    std::memcpy(tape, velq_tape, sizeof tape);
    LeaveScenesOut();
    velq_caller = 0;
    velq_ctrl = 0;
    velq_ctrls = {};
    CAPTURE_StartClock();
    const uint64_t release = VELQ_LoaderPaceMs() * uint64_t{1000};
    std::vector<uint64_t> times;
    for (int64_t k = 0;; ++k) {
        const uint64_t us = CAPTURE_FrameUs(k, fps);
        if (us >= release) VELQ_LoaderRelease();
        const int32_t entry = velq_caller;
        if (CAPTURE_Frame(us, false) == 1 || velq_caller != entry) times.push_back(us);
        if (velq_caller > VELQ_LAST_ENTRY) break;
    }
    std::memcpy(velq_tape, tape, sizeof tape);
    velq_caller = 0;
    velq_ctrl = 0;
    velq_ctrls = {};
    return times;
}
