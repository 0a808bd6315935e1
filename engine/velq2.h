// The tape, its animated control channels, the 20 ms clock and the per-frame
// sequencer that walks the tape.
#pragma once

#include <SDL.h>

#include <cstdint>

typedef void (*VELQ_SceneFn)();

// One animated control channel. A positive vel starts the channel at min,
// otherwise at max; the value is base + vel*t + acc*t*t.
struct VELQ_Channel {
    float vel;
    float acc;
    float min;
    float max;
    float reset;
};

struct VELQ_TapeEntry {
    VELQ_SceneFn call;  // draws one frame
    VELQ_SceneFn blur;  // never called
    VELQ_SceneFn prep;  // runs each time the tape enters the entry
    uint32_t spare;
    VELQ_Channel channel[8];
    uint8_t flags;  // bit k: channel k is put one unit inside the bound it crossed
    uint8_t used;
};

struct VELQ_Clock {
    float t;   // seconds since the clock was last zeroed
    float tt;  // t*t, kept by the tick
};

struct VELQ_Ctrls {
    VELQ_Clock clock[8];
    float value[8];
};

constexpr int VELQ_TAPE_LENGTH = 14;
// The clock's period: each tick adds 0.02 s of channel time.
constexpr Uint32 VELQ_TICK_MS = 20;
// Ticks per second: one frame per tick shows every picture the tape makes.
constexpr int VELQ_TICKS_PER_SECOND = 1000 / VELQ_TICK_MS;
constexpr int VELQ_LAST_ENTRY = 10;

// Static data; the loader thread writes entry 0's channel-0 acc once.
extern VELQ_TapeEntry velq_tape[VELQ_TAPE_LENGTH];
// The name of the scene each production entry plays, for reports and the
// browser's timeline.
extern const char* const velq_tape_scenes[VELQ_LAST_ENTRY + 1];
// The current entry; the main thread's sequencer writes it.
extern int32_t velq_caller;
// The advance word; the main thread's sequencer writes it, the tick reads it.
extern uint32_t velq_ctrl;
// Clocks: the timer thread's tick advances them, the main thread zeroes them
// on entering an entry. Values: the main thread writes them, scenes read 0 and 1.
extern VELQ_Ctrls velq_ctrls;
// The clock's timer, written by the main thread at start-up.
extern SDL_TimerID velq_timer_id;
// The monotonic time, in microseconds, on which the tick counts the 20 ms
// periods that have passed; a steady clock unless a test or the capture
// tool drives time itself.
extern uint64_t (*velq_clock_us)();
// A gap in that clock longer than this is a stall, not a late tick: the
// process stood still (stopped, or starved by the machine) and the music,
// played by a thread of the same process, stood still with it, so the clock
// resumes where it stopped instead of catching up. A browser plays the music
// on through a stall of the page, so there the clock catches every gap up.
extern uint64_t velq_stall_us;

// Starts the clock and its 20 ms timer, which ticks on SDL's timer thread.
void VELQ_TimerInit();
// Starts the clock without a timer: whoever steps the production calls the
// tick itself. VELQ_TimerInit calls it.
void VELQ_ClockInit();
// The tick counts periods from now on; VELQ_ClockInit calls it.
void VELQ_ClockStart();
Uint32 VElQ_Tick(Uint32 interval, void* param);
void VELQ_CoreInit();
// VELQ_CoreInit without its trace line, for a player that starts again.
void VELQ_CoreEnter();
// The sequencer back at the first entry, as a process starts: clocks and
// values zeroed, the advance word clear. For whoever plays the production
// again in one process.
void VELQ_CoreRewind();
int32_t VElQ_Update();
