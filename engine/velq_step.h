// The production stepped in virtual time on the calling thread: the same
// start-up, loader stages, clock ticks and frames as the program, with time
// moved on by the caller instead of a clock. Production time 0 is the
// program's start. The headless tools and the browser's stills share it, so
// a moment shows the same picture in both.
#pragma once

#include <cstdint>
#include <vector>

constexpr uint64_t VELQ_STEP_SECOND_US = 1000000;

// The engine as a process starts it: first entry, clocks at zero, nothing
// loaded, the clock reading virtual time 0. A drive left open by an earlier
// run is closed.
void VELQ_STEP_Rewind();

// Rewinds, puts the scenes' own state and the OpenGL state back as a
// process starts, then starts the production from the drive at path,
// stepped: a second start in one process shows what a fresh one shows.
void VELQ_STEP_Start(const char* drive);

// Starts the production again at virtual time 0 in a process that has
// played it (VELQ_PLAY_Replay): what the loader read stays read.
void VELQ_STEP_Replay();

// Runs frames first to end - 1 at fps frames per second, which nobody sees,
// as fast as the scenes allow: each runs its loader stages, ticks,
// sequencer and PREPs as VELQ_STEP_FrameAt does, but a CALL only where what
// it leaves behind outlasts its frame: whole in the last frame of each entry
// and in frame end - 1 (the OpenGL state that follows), elsewhere only the
// part that keeps a scene's own state (VIS_SkippedFrame). Frame end then
// shows what it shows after every frame, so the caller draws it with
// VELQ_STEP_FrameAt. Returns 1 once the tape has ended.
int VELQ_STEP_Skip(int64_t first, int64_t end, int fps);

// Moves virtual time on to us (never back) and runs what fell due by then:
// the loader's stages and the clock's ticks.
void VELQ_STEP_AdvanceTo(uint64_t us);

// One frame at virtual time us, as a video shows the production: time moves
// on to us and the sequencer runs, clearing first when clear is set. The
// program draws several frames per tick, so a frame whose entry has just
// ended is followed at once by the next entry's first frame. Returns 1 once
// the tape has ended.
int VELQ_STEP_FrameAt(uint64_t us, bool clear);

// The virtual time of frame k at fps frames per second, in microseconds.
uint64_t VELQ_STEP_FrameUs(int64_t k, int fps);

// The frame on screen at virtual time us: the last one that starts at or
// before it. A still of a moment is that frame's picture.
int64_t VELQ_STEP_FrameOn(uint64_t us, int fps);

// The virtual time now.
uint64_t VELQ_STEP_NowUs();

// Where entries 1 to 10 start, then where the tape ends, in virtual time
// with one frame every 1/fps s, from a run of the tape with its scenes left
// out and the loader rehearsing its schedule. It leaves the engine at its
// start: call it before a run, not during one.
std::vector<uint64_t> VELQ_STEP_TapeTimes(int fps);

// VELQ_STEP_TapeTimes at one frame per tick, in seconds after entry 1
// starts: where the soundtrack has got to as each entry after it starts.
std::vector<double> VELQ_STEP_SceneTimes();
