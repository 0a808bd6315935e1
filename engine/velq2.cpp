// The 20 ms clock and the per-frame sequencer.
//
// Three threads touch the channel state: SDL's timer thread advances the
// clocks, the main thread evaluates and resets them, and the loader thread
// writes entry 0's acceleration once. Every shared word goes through
// platform/word.h so the sharing stays race-free without locks.
#include "engine/velq2.h"

#include <chrono>
#include <cstdio>
#include <thread>

#include "gl1/gl.h"
#include "platform/word.h"

int32_t velq_caller = 0;
uint32_t velq_ctrl = 0;
VELQ_Ctrls velq_ctrls = {};
VELQ_FrameWork velq_frame_work = VELQ_FRAME_DRAW;
// SDL 1.2's timer handle is a pointer here and an int in Emscripten's SDL.
SDL_TimerID velq_timer_id = {};

namespace {

constexpr uint64_t kTickUs = VELQ_TICK_MS * 1000;
constexpr float kTickSeconds = 0.02f;
constexpr float kClampDistance = 1.0f;
constexpr int kChannels = 8;

// Non-zero while a tick is advancing the clocks. A tick that has already
// found the advance word clear could otherwise write its advanced times over
// the clocks the sequencer has just zeroed, so the sequencer waits for it.
uint32_t velq_tick_busy = 0;

// The end of the first period the tick has not yet counted. Counting whole
// periods on a monotonic clock, rather than callbacks, keeps channel time
// with real time when the timer fires late or merges callbacks.
uint64_t velq_tick_due = 0;

uint64_t SteadyClockUs() {
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

float Load(float& word) { return WORD_Load(word, WORD_RELAXED); }
void Store(float& word, float v) { WORD_Store(word, v, WORD_RELAXED); }

// The loader publishes every asset it read with its release store of entry
// 0's acceleration; reading the field with acquire makes them visible here.
float LoadAcc(VELQ_Channel& c) { return WORD_Load(c.acc, WORD_ACQUIRE); }

bool OutOfRange(const VELQ_Channel& c, float v) { return v < c.min || v > c.max; }

// The value a channel takes on leaving its range: one unit inside the bound
// it crossed when its flag bit is set, its reset value otherwise.
float Reentry(const VELQ_Channel& c, float v, bool clamp) {
    if (!clamp) return c.reset;
    return v < c.min ? c.min + kClampDistance : c.max - kClampDistance;
}

float ValueLaw(VELQ_Channel& c, int k) {
    const float base = c.vel > 0 ? c.min : c.max;
    return base + c.vel * Load(velq_ctrls.clock[k].t) + LoadAcc(c) * Load(velq_ctrls.clock[k].tt);
}

// Channels 1 to 7 loop: out of range they restart their clock from the bound.
void StepLoopingChannel(VELQ_TapeEntry& e, int k) {
    VELQ_Channel& c = e.channel[k];
    float& v = velq_ctrls.value[k];
    if (OutOfRange(c, v)) {
        Store(velq_ctrls.clock[k].t, 0);
        Store(velq_ctrls.clock[k].tt, 0);
        v = Reentry(c, v, e.flags & (1u << k));
    } else {
        v = ValueLaw(c, k);
    }
}

// Channel 0 is the entry's clock; leaving its range asks for the next entry.
void StepEntryClock(VELQ_TapeEntry& e) {
    VELQ_Channel& c = e.channel[0];
    float& v = velq_ctrls.value[0];
    if (OutOfRange(c, v)) {
        v = Reentry(c, v, e.flags & 1u);
        WORD_FetchOr(velq_ctrl, 1u, WORD_SEQ_CST);
        return;
    }
    v = ValueLaw(c, 0);
    for (int k = 1; k < kChannels; ++k) StepLoopingChannel(e, k);
}

// With the advance word set no new tick touches the clocks; this waits out
// one that began before it was set.
void WaitForTick() {
    while (WORD_Load(velq_tick_busy, WORD_SEQ_CST) != 0) std::this_thread::yield();
}

void LoadEntry(const VELQ_TapeEntry& e) {
    WaitForTick();
    for (int k = 0; k < kChannels; ++k) {
        velq_ctrls.value[k] = e.channel[k].reset;
        Store(velq_ctrls.clock[k].t, 0);
        Store(velq_ctrls.clock[k].tt, 0);
    }
}

VELQ_SceneFn StateHook(VELQ_SceneFn call) {
    for (const VELQ_SceneHooks& scene : velq_scene_hooks)
        if (scene.call == call) return scene.state;
    return nullptr;
}

// The entry's CALL, as much of it as the frame work asks for.
void Call(const VELQ_TapeEntry& e) {
    if (velq_frame_work == VELQ_FRAME_DRAW ||
        (velq_frame_work == VELQ_FRAME_STATE && VELQ_EntryEnds())) {
        e.call();
    } else if (velq_frame_work == VELQ_FRAME_STATE) {
        if (const VELQ_SceneFn state = StateHook(e.call)) state();
    }
}

void Prep(const VELQ_TapeEntry& e) {
    if (e.prep && velq_frame_work != VELQ_FRAME_NONE) e.prep();
}

// Moves on to the next entry and draws its first frame; 1 at the tape's end.
int32_t Advance() {
    do {
        ++velq_caller;
        if (velq_caller > VELQ_LAST_ENTRY) return 1;
        LoadEntry(velq_tape[velq_caller]);
        WORD_Store(velq_ctrl, 0u, WORD_SEQ_CST);
        Prep(velq_tape[velq_caller]);
    } while (WORD_Load(velq_ctrl, WORD_SEQ_CST) != 0);
    Call(velq_tape[velq_caller]);
    return 0;
}

// The number of whole periods that have ended since the last count; none
// when they span a stall, which drops them. Dropping whole periods keeps the
// grid, so what a stall takes from the tape matches its length on average.
uint64_t CountPeriods(uint64_t now) {
    const uint64_t due = WORD_Load(velq_tick_due, WORD_RELAXED);
    if (now < due) return 0;
    const uint64_t periods = (now - due) / kTickUs + 1;
    WORD_Store(velq_tick_due, due + periods * kTickUs, WORD_RELAXED);
    return now - (due - kTickUs) > velq_stall_us ? 0 : periods;
}

void AdvanceClocks() {
    for (int k = 0; k < kChannels; ++k) {
        const float t = Load(velq_ctrls.clock[k].t) + kTickSeconds;
        Store(velq_ctrls.clock[k].t, t);
        Store(velq_ctrls.clock[k].tt, t * t);
    }
}

}  // namespace

uint64_t velq_stall_us = 250000;

// Periods that end while the advance word is set are dropped, not caught up
// later: the entry being entered starts its clocks at zero.
void VELQ_TickAt(uint64_t now_us) {
    WORD_Store(velq_tick_busy, 1u, WORD_SEQ_CST);
    const uint64_t periods = CountPeriods(now_us);
    if (WORD_Load(velq_ctrl, WORD_SEQ_CST) == 0)
        for (uint64_t i = 0; i < periods; ++i) AdvanceClocks();
    WORD_Store(velq_tick_busy, 0u, WORD_RELEASE);
}

Uint32 VElQ_Tick(Uint32 interval, void*) {
    VELQ_TickAt(SteadyClockUs());
    return interval;
}

void VELQ_ClockStart(uint64_t now_us) { WORD_Store(velq_tick_due, now_us + kTickUs, WORD_RELAXED); }

void VELQ_ClockInit(uint64_t now_us) {
    puts("VELQ_TIMER");
    VELQ_ClockStart(now_us);
}

void VELQ_TimerInit() {
    VELQ_ClockInit(SteadyClockUs());
    velq_timer_id = SDL_AddTimer(VELQ_TICK_MS, VElQ_Tick, nullptr);
}

void VELQ_CoreInit() {
    puts("VELQ_CORE");
    VELQ_CoreEnter();
}

void VELQ_CoreEnter() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    VELQ_TapeEntry& e = velq_tape[velq_caller];
    Prep(e);
    SDL_GL_SwapBuffers();
    WORD_Store(velq_ctrl, 0u, WORD_SEQ_CST);
    for (int k = 0; k < kChannels; ++k) velq_ctrls.value[k] = e.channel[k].reset;
}

void VELQ_CoreRewind() {
    velq_caller = 0;
    velq_ctrl = 0;
    velq_ctrls = {};
    velq_frame_work = VELQ_FRAME_DRAW;
}

int32_t VElQ_Update() {
    if (velq_caller > VELQ_LAST_ENTRY) return 1;
    VELQ_TapeEntry& e = velq_tape[velq_caller];
    StepEntryClock(e);
    if (WORD_Load(velq_ctrl, WORD_SEQ_CST) == 0) {
        Call(e);
        return 0;
    }
    return Advance();
}

bool VELQ_EntryEnds() { return OutOfRange(velq_tape[velq_caller].channel[0], velq_ctrls.value[0]); }
