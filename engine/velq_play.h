// Plays the production from its drive on: start-up's steps from opening the
// drive to entering the first tape entry, then one frame at a time.
//
// The program plays on its own threads in real time: the loader thread reads
// the assets and SDL's timer thread ticks the clock. Where threads are
// unwanted (a headless tool, a test, a browser) the production is stepped on
// the calling thread in virtual time instead: the caller names the time of
// each frame, and the loader stages and clock ticks that fell due by then
// run first. Production time 0 is the program's start. The headless tools
// and the browser share the stepping, so a moment shows the same picture in
// both.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/velq_loader.h"

constexpr uint64_t VELQ_PLAY_SECOND_US = 1000000;

enum VELQ_PlayMode { VELQ_PLAY_THREADS, VELQ_PLAY_STEPPED };

// Closes a drive an earlier run left open, opens the one at path, then
// VELQ_PLAY_Begin(mode, VELQ_RUN_FRESH).
void VELQ_PLAY_Start(const char* drive, VELQ_PlayMode mode);

// Start-up from the open drive on: starts the loader, reads the loading
// scene's picture, starts the clock and enters tape entry 0 (its PREP runs
// and one frame is shown). Main thread, with the OpenGL context current.
//
// Stepped play first resets, in this order: the loader as run says, the
// sequencer, virtual time to 0, the OpenGL state the scenes change, and each
// scene's own state; so a second start in one process shows what a fresh
// process shows. run is fresh, or a replay, which prints no trace line and
// reads nothing twice; a rehearsal is VELQ_PLAY_TapeTimes's own.
// The program starts once a process, on a new context, with nothing to reset.
void VELQ_PLAY_Begin(VELQ_PlayMode mode, VELQ_Run run);

// One frame: clears colour and depth, then runs the sequencer, which draws
// the current entry. Returns 1 when the tape has ended and nothing was drawn.
int32_t VELQ_PLAY_Frame();

// Stepped play only: one frame at virtual time us, as a video shows the
// production: time moves on to us (VELQ_PLAY_AdvanceTo) and the sequencer
// runs, clearing first when clear is set. The program draws several frames
// per tick, so a frame whose entry has just ended is followed at once by the
// next entry's first frame. Returns 1 once the tape has ended.
int VELQ_PLAY_FrameAt(uint64_t us, bool clear);

// Stepped play only: moves virtual time on to us (never back) and runs what
// fell due by then: the loader's stages and the clock's ticks.
void VELQ_PLAY_AdvanceTo(uint64_t us);

// Stepped play only: runs frames first to end - 1 at fps frames per second,
// which nobody sees, as fast as the scenes allow (VELQ_FRAME_STATE), then
// frame end - 1 whole, for the OpenGL state that follows. Frame end then
// shows what it shows after every frame, so the caller draws it with
// VELQ_PLAY_FrameAt. Returns 1 once the tape has ended.
int VELQ_PLAY_Skip(int64_t first, int64_t end, int fps);

// The virtual time now.
uint64_t VELQ_PLAY_NowUs();

// The virtual time of frame k at fps frames per second, in microseconds.
uint64_t VELQ_PLAY_FrameUs(int64_t k, int fps);

// The frame on screen at virtual time us: the last one that starts at or
// before it. A still of a moment is that frame's picture.
int64_t VELQ_PLAY_FrameOn(uint64_t us, int fps);

// Where entries 1 to 10 start, then where the tape ends, in virtual time
// with one frame every 1/fps s, from a rehearsal: the tape stepped with its
// scenes left out (VELQ_FRAME_NONE) and the loader rehearsing. It needs no
// drive and no OpenGL, and leaves the engine at its start: call it before a
// run, not during one.
std::vector<uint64_t> VELQ_PLAY_TapeTimes(int fps);

// VELQ_PLAY_TapeTimes at one frame per tick, in seconds after entry 1
// starts: where the soundtrack has got to as each entry after it starts.
std::vector<double> VELQ_PLAY_SceneTimes();
