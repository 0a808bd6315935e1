#include "engine/velq_step.h"

#include <algorithm>
#include <cstring>
#include <iterator>

#include "archive/cfs.h"
#include "engine/velq2.h"
#include "engine/velq_loader.h"
#include "engine/velq_play.h"
#include "engine/velq_scenes.h"

namespace {

constexpr uint64_t kTickUs = VELQ_TICK_MS * uint64_t{1000};

uint64_t velq_step_now_us = 0;
// The tape's CALLs while skipped frames leave them out.
VELQ_SceneFn velq_step_calls[VELQ_LAST_ENTRY + 1];

uint64_t VirtualClock() { return velq_step_now_us; }
void Nothing() {}

// Moves virtual time on to us a tick at a time, catching up after each
// step: the clock takes a longer gap for a stall and would not catch it up.
void StepTo(uint64_t us) {
    while (velq_step_now_us < us) {
        velq_step_now_us = std::min(us, velq_step_now_us + kTickUs);
        VELQ_PLAY_CatchUp();
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

// The engine's modules as a process starts them, the clock on virtual time 0.
void RewindEngine() {
    VELQ_LoaderRewind();
    VELQ_CoreRewind();
    velq_clock_us = VirtualClock;
    velq_step_now_us = 0;
}

// The scene slots of every entry replaced by one that does nothing.
void LeaveScenesOut() {
    for (int e = 0; e <= VELQ_LAST_ENTRY; ++e) {
        velq_tape[e].call = Nothing;
        if (velq_tape[e].prep) velq_tape[e].prep = Nothing;
    }
}

// Stands in for the current entry's CALL in a frame nobody sees. The last
// frame of an entry runs it whole: the next entry inherits the OpenGL state
// it leaves.
void SkippedCall() {
    const VELQ_SceneFn call = velq_step_calls[velq_caller];
    if (EntryClockOutOfRange()) {
        call();
    } else if (const VELQ_SceneFn keep = VIS_SkippedFrame(call)) {
        keep();
    }
}

void LeaveCallsOut() {
    for (int e = 0; e <= VELQ_LAST_ENTRY; ++e) {
        velq_step_calls[e] = velq_tape[e].call;
        velq_tape[e].call = SkippedCall;
    }
}

void PutCallsBack() {
    for (int e = 0; e <= VELQ_LAST_ENTRY; ++e) velq_tape[e].call = velq_step_calls[e];
}

}  // namespace

void VELQ_STEP_Rewind() {
    CFS_Close();
    RewindEngine();
}

void VELQ_STEP_Start(const char* drive) {
    VELQ_STEP_Rewind();
    VIS_Rewind();
    VELQ_PLAY_Start(drive, VELQ_PLAY_STEPPED);
}

void VELQ_STEP_Replay() {
    velq_clock_us = VirtualClock;
    velq_step_now_us = 0;
    VELQ_PLAY_Replay();
}

int VELQ_STEP_Skip(int64_t first, int64_t end, int fps) {
    int ended = 0;
    LeaveCallsOut();
    for (int64_t k = first; k + 1 < end && !ended; ++k)
        ended = VELQ_STEP_FrameAt(VELQ_STEP_FrameUs(k, fps), false);
    PutCallsBack();
    // Its CALL leaves the OpenGL state in which frame end starts.
    if (!ended && first < end) ended = VELQ_STEP_FrameAt(VELQ_STEP_FrameUs(end - 1, fps), false);
    return ended;
}

void VELQ_STEP_AdvanceTo(uint64_t us) { StepTo(us); }

int VELQ_STEP_FrameAt(uint64_t us, bool clear) {
    VELQ_STEP_AdvanceTo(us);
    return SequenceFrame(clear);
}

uint64_t VELQ_STEP_FrameUs(int64_t k, int fps) { return k * VELQ_STEP_SECOND_US / fps; }

int64_t VELQ_STEP_FrameOn(uint64_t us, int fps) {
    // Frame times are rounded down to whole microseconds: the next frame
    // may start within the microsecond.
    const int64_t k = us * fps / VELQ_STEP_SECOND_US;
    return VELQ_STEP_FrameUs(k + 1, fps) <= us ? k + 1 : k;
}

uint64_t VELQ_STEP_NowUs() { return velq_step_now_us; }

std::vector<uint64_t> VELQ_STEP_TapeTimes(int fps) {
    uint64_t (*const clock)() = velq_clock_us;
    // A run before this one may have released the loading entry: the tape
    // kept for afterwards is the one a run starts from.
    RewindEngine();
    VELQ_TapeEntry tape[VELQ_TAPE_LENGTH];
    std::memcpy(tape, velq_tape, sizeof tape);
    LeaveScenesOut();
    VELQ_LoaderRehearse(true);
    VELQ_PLAY_BeginLoader();
    VELQ_ClockStart();
    std::vector<uint64_t> times;
    for (int64_t k = 0; velq_caller <= VELQ_LAST_ENTRY; ++k) {
        const int32_t entry = velq_caller;
        if (VELQ_STEP_FrameAt(VELQ_STEP_FrameUs(k, fps), false) == 1 || velq_caller != entry)
            times.push_back(velq_step_now_us);
    }
    VELQ_LoaderRehearse(false);
    RewindEngine();
    std::memcpy(velq_tape, tape, sizeof tape);
    velq_clock_us = clock;
    return times;
}

std::vector<double> VELQ_STEP_SceneTimes() {
    const std::vector<uint64_t> times = VELQ_STEP_TapeTimes(VELQ_TICKS_PER_SECOND);
    std::vector<double> seconds;
    for (uint64_t us : times) seconds.push_back(double(us - times[0]) / VELQ_STEP_SECOND_US);
    return seconds;
}
