// The program's side of its page: the calls into the page, whose bodies and
// the full list of names the two share are in web/amber_page.js, and what
// the player, the stills and the bench share. Each of the three steps the
// production in virtual time on the page's one thread, as amber_capture
// does, one slice or frame per animation frame.
#pragma once

#include <cstdint>

#include "engine/velq2.h"
#include "engine/velq_play.h"

extern "C" {
int velq_web_viewer_started();
void velq_web_chapter(int entry, double seconds, const char* scene);
void velq_web_frame_shown(int entry, double picture, double at);
void velq_web_seeked(double seconds, double ms);
void velq_web_pause_shown(int paused, double seconds);
void velq_web_still_done(double seconds, int shown);
void velq_web_stills_done();
void velq_web_bench_done();
void velq_web_count_hidden_time();
double velq_web_shown_ms();
}

// amber_capture's frame rate, at which the page steps the tape.
constexpr int WEB_FPS = VELQ_TICKS_PER_SECOND;
// How long one animation frame may spend stepping towards a still or
// timing the bench's frames.
constexpr double WEB_SLICE_MS = 30;

inline double WEB_Seconds(uint64_t us) { return double(us) / VELQ_PLAY_SECOND_US; }
inline uint64_t WEB_Us(double seconds) { return uint64_t(seconds * VELQ_PLAY_SECOND_US + 0.5); }

// The tape's times and chapters, worked out before the screen opens.
void WEB_PLAYER_Prepare();
// Plays from the moment at seconds once the viewer has started it.
void WEB_PLAYER_Start(double seconds);

// The stills at these production times (seconds), as ?at= asks.
void WEB_STILLS_Choose(const double* seconds, int count);
bool WEB_STILLS_Chosen();
void WEB_STILLS_Start();

// Times every frame of the tape, as amber_bench does, and prints its report.
void WEB_BENCH_Start();
