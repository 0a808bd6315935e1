// Plays the production from its drive on: start-up's steps from opening the
// drive to entering the first tape entry, then one frame at a time.
//
// The program plays on its own threads in real time: the loader thread reads
// the assets and SDL's timer thread ticks the clock. Where threads are
// unwanted (a headless tool, a test, a browser) the production is stepped on
// the calling thread instead: before each frame, VELQ_PLAY_CatchUp runs the
// loader stages and the clock periods that have fallen due by the time
// velq_clock_us reads, which may be real time or a time the caller sets.
#pragma once

#include <cstdint>

enum VELQ_PlayMode { VELQ_PLAY_THREADS, VELQ_PLAY_STEPPED };

// Opens the drive, then VELQ_PLAY_Begin.
void VELQ_PLAY_Start(const char* drive, VELQ_PlayMode mode);

// Start-up from the open drive on: starts the loader, reads the loading
// scene's picture, starts the clock and enters tape entry 0 (its PREP runs
// and one frame is shown). Main thread, with the OpenGL context current.
void VELQ_PLAY_Begin(VELQ_PlayMode mode);

// Stepped play only: starts the loader on the calling thread, its first
// stage due now. VELQ_PLAY_Begin calls it.
void VELQ_PLAY_BeginLoader();

// Stepped play only: start-up again, at the clock's time now, in a process
// that has played: the loader from its start, keeping what it has read, the
// scenes' own state and the clock back at their start, and tape entry 0
// entered, with no trace line and nothing read twice.
void VELQ_PLAY_Replay();

// Stepped play only: the loader stages and clock ticks due by now.
void VELQ_PLAY_CatchUp();

// One frame: clears colour and depth, then runs the sequencer, which draws
// the current entry. Returns 1 when the tape has ended and nothing was drawn.
int32_t VELQ_PLAY_Frame();
