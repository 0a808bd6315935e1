// The page as a player: it plays one frame per animation frame, stepped as
// the stills are, with virtual time moved on to the browser's clock, and
// seeks, pauses and resumes through the functions exported below. Each seek
// steps the production again from its start to the moment, as the stills
// do. Whether it stands paused is kept here only: the page shows what
// velq_web_pause_shown tells it.
#include <emscripten.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "engine/velq_exit.h"
#include "engine/velq_start.h"
#include "gl1/gl1.h"
#include "sound/fsound_web.h"
#include "web/web_page.h"

namespace {

// Where entries 1 to 10 start and the tape ends, in virtual time as the
// stills step it; the page's shown time at production time 0; whether it
// has started, stands paused, or has reached the tape's end.
std::vector<uint64_t> velq_web_tape;
double velq_web_origin_ms = 0;
bool velq_web_started = false;
bool velq_web_paused = false;
bool velq_web_ended = false;
int64_t velq_web_shown = 0;  // the frame on the canvas

// Production time on the page's clock while playing.
uint64_t PlayUs() { return WEB_Us(std::max(0.0, velq_web_shown_ms() - velq_web_origin_ms) / 1000); }

// Where the soundtrack is when the production is at us: it starts with
// entry 1.
double SoundSeconds(uint64_t us) { return WEB_Seconds(us) - WEB_Seconds(velq_web_tape[0]); }

// The entry, where that entry's clock puts its picture on the stepped tape
// (which the soundtrack follows), and when the clock reached it.
void ReportFrame() {
    const int entry = velq_caller;
    const double start = entry == 0 ? 0 : WEB_Seconds(velq_web_tape[entry - 1]);
    const double at = emscripten_get_now() - (velq_web_shown_ms() - velq_web_origin_ms) +
                      WEB_Seconds(VELQ_PLAY_NowUs()) * 1000;
    velq_web_frame_shown(entry, start + velq_ctrls.clock[0].t, at);
}

// Picture and sound go on together from where the production stands.
void GoOn() {
    const uint64_t now = VELQ_PLAY_NowUs();
    velq_web_origin_ms = velq_web_shown_ms() - WEB_Seconds(now) * 1000;
    FSOUND_WEB_Place(SoundSeconds(now));
}

// Runs the stills' frames first to k - 1, which nobody sees, then draws
// frame k: the picture ?at= shows at that moment.
void ShowFrame(int64_t first, int64_t k) {
    GL1_Drawing(false);
    velq_web_ended = VELQ_PLAY_Skip(first, k, WEB_FPS) == 1;
    GL1_Drawing(true);
    if (!velq_web_ended)
        velq_web_ended = VELQ_PLAY_FrameAt(VELQ_PLAY_FrameUs(k, WEB_FPS), true) == 1;
    velq_web_shown = k;
}

// Steps the production from its start to the frame on at seconds and shows
// it; picture and sound then go on from there unless paused. The first
// time, the loader reads the assets on the way.
void SeekTo(double seconds) {
    const double began = emscripten_get_now();
    FSOUND_Stream_Stop(music);
    GL1_Drawing(false);
    VELQ_PLAY_Begin(VELQ_PLAY_STEPPED, velq_web_started ? VELQ_RUN_REPLAY : VELQ_RUN_FRESH);
    velq_web_started = true;
    ShowFrame(0, VELQ_PLAY_FrameOn(WEB_Us(seconds), WEB_FPS));
    if (velq_web_ended) return;
    if (velq_web_paused) {
        FSOUND_WEB_Hold();
    } else {
        GoOn();
    }
    ReportFrame();
    const double now = WEB_Seconds(VELQ_PLAY_NowUs());
    velq_web_seeked(now, emscripten_get_now() - began);
    velq_web_pause_shown(velq_web_paused, now);
}

// Each animation frame shows the stills' frame on at the page's clock, once
// the clock has reached a new one, so entries change where the stepped
// tape changes them, however fast the page draws; a paused production
// shows its last frame.
void PlayFrame() {
    const int64_t k = VELQ_PLAY_FrameOn(PlayUs(), WEB_FPS);
    if (!velq_web_paused && !velq_web_ended && k > velq_web_shown) {
        const uint64_t from_us = VELQ_PLAY_FrameUs(velq_web_shown + 1, WEB_FPS);
        ShowFrame(velq_web_shown + 1, k);
        // Entry 1 started the soundtrack: it goes from where the clock is,
        // however late the frame that started it came.
        if (from_us <= velq_web_tape[0] && velq_web_tape[0] <= VELQ_PLAY_NowUs())
            FSOUND_WEB_Place(SoundSeconds(PlayUs()));
        ReportFrame();
    }
    if (velq_web_ended || VELQ_QuitRequested()) VELQ_Shutdown(0);
}

}  // namespace

void WEB_PLAYER_Prepare() {
    velq_web_tape = VELQ_PLAY_TapeTimes(WEB_FPS);
    for (int e = 0; e <= VELQ_LAST_ENTRY + 1; ++e)
        velq_web_chapter(e, e == 0 ? 0 : WEB_Seconds(velq_web_tape[e - 1]),
                         e <= VELQ_LAST_ENTRY ? velq_tape_scenes[e] : "");
}

void WEB_PLAYER_Start(double seconds) {
    SeekTo(seconds);
    emscripten_set_main_loop(PlayFrame, 0, 0);
}

// The page's controls. A seek or pause is taken only once the production
// plays; a moment past the tape's end ends it.
extern "C" {

EMSCRIPTEN_KEEPALIVE void velq_web_seek(double seconds) {
    if (velq_web_started && !velq_web_ended) SeekTo(std::max(0.0, seconds));
}

// Pauses on the frame at the production time now, to 0.01 s, which shows
// what ?at= shows there.
EMSCRIPTEN_KEEPALIVE void velq_web_pause() {
    if (!velq_web_started || velq_web_paused || velq_web_ended) return;
    velq_web_paused = true;
    SeekTo(std::round(WEB_Seconds(PlayUs()) * 100) / 100);
}

// The page resumes its sound first: picture and sound go on together.
EMSCRIPTEN_KEEPALIVE void velq_web_resume() {
    if (!velq_web_paused || velq_web_ended) return;
    velq_web_paused = false;
    GoOn();
    velq_web_pause_shown(0, WEB_Seconds(VELQ_PLAY_NowUs()));
}

}  // extern "C"
