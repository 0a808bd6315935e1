// The production played headless, for the tools and the tests: the
// program's 640x480 OpenGL window on a private X server, the production
// stepped on the calling thread in virtual time, and frames read back.
// Production time 0 is the program's start.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/velq_start.h"
#include "engine/velq_step.h"

constexpr int PLAYER_WIDTH = VELQ_SCREEN_WIDTH;
constexpr int PLAYER_HEIGHT = VELQ_SCREEN_HEIGHT;
constexpr uint64_t PLAYER_SECOND_US = VELQ_STEP_SECOND_US;
// What PLAYER_SoundtrackStartUs reports before the soundtrack is asked for.
constexpr uint64_t PLAYER_NOT_PLAYED = UINT64_MAX;

// Opens a 640x480 RGBA OpenGL window with a depth buffer: on a private Xvfb
// server started for this process, or on DISPLAY where there is one and
// own_server is false. Once per process, before any OpenGL call.
void PLAYER_OpenScreen(bool own_server);

// Starts the production from the drive at path at production time 0: the
// program's start-up from opening the drive to entering the loading entry,
// with the loader and the clock stepped in virtual time. A later call
// starts over.
void PLAYER_Start(const char* drive);

// Moves production time on to us (never back) and runs what fell due by
// then: the loader's stages and the clock's ticks.
void PLAYER_AdvanceTo(uint64_t us);

// One frame at production time us, as a video shows the production: time
// moves on to us and the sequencer runs, drawing when draw is set. The
// program draws several frames per tick, so a frame whose entry has just
// ended is followed at once by the next entry's first frame. Returns 1 once
// the tape has ended.
int PLAYER_FrameAt(uint64_t us, bool draw);

// The production time of frame k at fps frames per second, in microseconds.
uint64_t PLAYER_FrameUs(int64_t k, int fps);

// Where entries 1 to 10 start, then where the tape ends, in production time
// with one frame every 1/fps s, from a run of the tape with its scenes and
// loading left out. It leaves the engine at its start: call it before
// PLAYER_Start, not during a run.
std::vector<uint64_t> PLAYER_TapeTimes(int fps);

// PLAYER_TapeTimes at one frame per tick, in seconds after entry 1 starts:
// where the soundtrack has got to as each entry after it starts.
std::vector<double> PLAYER_SceneTimes();

// When the scenes first asked for the soundtrack to play since the last
// start, in production time; PLAYER_NOT_PLAYED before.
uint64_t PLAYER_SoundtrackStartUs();

// The back buffer as RGBA bytes, row 0 at the bottom of the window.
std::vector<uint8_t> PLAYER_ReadFrame();

// Writes RGBA pixels (row 0 at the bottom) to a PNG file; the alpha channel
// is not part of the picture.
void PLAYER_SavePng(const char* path, const std::vector<uint8_t>& rgba, int width, int height);
