// The tape played in virtual production time: the clock reads a time the
// caller sets instead of a steady clock, and each frame is made at a fixed
// production time. Production time 0 is the program's start.
#pragma once

#include <cstdint>
#include <vector>

constexpr uint64_t CAPTURE_SECOND_US = 1000000;

// The production time of frame k at fps frames per second, in microseconds.
uint64_t CAPTURE_FrameUs(int64_t k, int fps);

// The clock reads virtual time from here on and starts at production time 0.
void CAPTURE_StartClock();

// The production time the clock reads now.
uint64_t CAPTURE_NowUs();

// One frame of the sequencer at production time us: the ticks that have
// ended by then, then the sequencer. Draws (clear included) only when draw
// is set. Returns 1 once the tape has ended.
int CAPTURE_Frame(uint64_t us, bool draw);

// Where entries 1 to 10 start, then where the tape ends, in production time
// at the given frame rate, from a run of the tape with its scenes left out.
// The engine's state is as before afterwards.
std::vector<uint64_t> CAPTURE_TapeTimes(int fps);
