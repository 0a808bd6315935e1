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
// What a player needs of a scene beyond its tape entries, one row a scene,
// found by its CALL: state, the part of the CALL whose own state later
// frames read, and rewind, which puts that state back as a process starts
// it; null where a scene keeps no state of its own.
struct VELQ_SceneHooks {
    VELQ_SceneFn call;
    VELQ_SceneFn state;
    VELQ_SceneFn rewind;
};
constexpr int VELQ_SCENE_COUNT = 9;
extern const VELQ_SceneHooks velq_scene_hooks[VELQ_SCENE_COUNT];

// The current entry; the main thread's sequencer writes it.
extern int32_t velq_caller;
// The advance word; the main thread's sequencer writes it, the tick reads it.
extern uint32_t velq_ctrl;
// Clocks: the timer thread's tick advances them, the main thread zeroes them
// on entering an entry. Values: the main thread writes them, scenes read 0 and 1.
extern VELQ_Ctrls velq_ctrls;
// The clock's timer, written by the main thread at start-up.
extern SDL_TimerID velq_timer_id;
// A gap between two ticks' times longer than this is a stall, not a late tick: the
// process stood still (stopped, or starved by the machine) and the music,
// played by a thread of the same process, stood still with it, so the clock
// resumes where it stopped instead of catching up. A browser plays the music
// on through a stall of the page, so there the clock catches every gap up.
extern uint64_t velq_stall_us;

// What the sequencer runs of the current entry's scene in each frame; the
// main thread sets it, and only between frames.
enum VELQ_FrameWork {
    VELQ_FRAME_DRAW,  // the CALL: the frame as the program shows it
    // A frame nobody sees: only the part of the CALL that keeps the scene's
    // own state (its row's state hook), except in the entry's last frame,
    // which runs whole since the next entry inherits its OpenGL state.
    VELQ_FRAME_STATE,
    VELQ_FRAME_NONE,  // no PREP and no CALL: the tape's timing alone
};
extern VELQ_FrameWork velq_frame_work;

// Starts the clock and its 20 ms timer, which ticks on SDL's timer thread.
void VELQ_TimerInit();
// Starts the clock at now_us (microseconds) without a timer: whoever steps
// the production ticks it with VELQ_TickAt on its own time. VELQ_TimerInit
// calls it on the steady clock.
void VELQ_ClockInit(uint64_t now_us);
// VELQ_ClockInit without its trace line: the tick counts periods from now_us.
void VELQ_ClockStart(uint64_t now_us);
// The timer's callback: VELQ_TickAt on the steady clock.
Uint32 VElQ_Tick(Uint32 interval, void* param);
// Advances the clocks by the 20 ms periods that have ended by now_us, on
// the time VELQ_ClockInit started.
void VELQ_TickAt(uint64_t now_us);
void VELQ_CoreInit();
// VELQ_CoreInit without its trace line, for a player that starts again.
void VELQ_CoreEnter();
// The sequencer back at the first entry, as a process starts: clocks and
// values zeroed, the advance word clear, frames drawn. For whoever plays the production
// again in one process.
void VELQ_CoreRewind();
int32_t VElQ_Update();
// The current entry's clock has left its range: the next frame enters the
// next entry.
bool VELQ_EntryEnds();
