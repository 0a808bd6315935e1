// The program in a web browser, on the page's one thread. Start-up runs as
// the program's does, with the drive's entries inflated by the browser
// after it is opened; the production starts once the viewer clicks (sound
// needs a gesture) and then plays one frame per animation frame, stepped
// as the stills are, with virtual time moved on to the browser's clock.
// The page is a player: it starts from ?t=SECONDS, seeks, pauses and
// resumes through the functions exported below, each seek stepping the
// production again from its start to the moment as the stills do. With
// ?at=SECONDS[,SECONDS...] the page shows the stills at those production
// times instead, stepped in virtual time as amber_capture --still makes
// them, without sound; with ?bench it times every frame of the tape, as
// amber_bench does, and prints the same report.
#include <SDL.h>
#include <emscripten.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "archive/cfs.h"
#include "archive/cfs_web.h"
#include "engine/velq2.h"
#include "engine/velq_bench.h"
#include "engine/velq_exit.h"
#include "engine/velq_play.h"
#include "engine/velq_start.h"
#include "gl1/gl1.h"
#include "sound/fsound_web.h"

namespace {

constexpr int kStillFps = VELQ_TICKS_PER_SECOND;  // amber_capture's frame rate
constexpr int kDepthBits = 16;
// How long one animation frame may spend stepping towards a still.
constexpr double kStillSliceMs = 30;

// The frames that show the stills and, index for index, the stills' times.
std::vector<int64_t> velq_web_still_frames;
std::vector<double> velq_web_still_times;
int64_t velq_web_frame = 0;  // the next frame stepped towards them
VELQ_BENCH_Times velq_web_bench = VELQ_BENCH_New();

// The player: where entries 1 to 10 start and the tape ends, in virtual
// time as the stills step it; the page's shown time at production time 0;
// whether it has started, stands paused, or has reached the tape's end.
std::vector<uint64_t> velq_web_tape;
double velq_web_origin_ms = 0;
bool velq_web_started = false;
bool velq_web_paused = false;
bool velq_web_ended = false;
int64_t velq_web_shown = 0;  // the frame on the canvas

// The JavaScript below is not C++.
// clang-format off
// The still times from the page's address, in seconds: entry i, or a
// negative number past the list's end.
EM_JS(double, velq_web_still_seconds, (int i), {
    const at = new URLSearchParams(location.search).get('at');
    const times = at === null ? [] : at.split(',').map(Number).filter((t) => t >= 0);
    return i < times.length ? times[i] : -1;
});

EM_JS(int, velq_web_viewer_started, (), { return Module.amberStarted ? 1 : 0; });

EM_JS(int, velq_web_bench_asked, (), {
    return new URLSearchParams(location.search).has('bench') ? 1 : 0;
});

EM_JS(void, velq_web_bench_done, (), { Module.amberBenchDone(); });

// The page takes each still from the canvas before the browser shows it;
// shown is 0 for one past the tape's end.
EM_JS(void, velq_web_still_done, (double seconds, int shown), {
    Module.amberStillDone(seconds, shown);
});

EM_JS(void, velq_web_stills_done, (), { Module.amberStillsDone(); });

// The page's time while it has been shown. A hidden page draws nothing and
// its sound pauses, so the production pauses with both; a stall of the shown
// page is caught up, since the sound plays on through it.
EM_JS(void, velq_web_count_hidden_time, (), {
    Module.amberHiddenMs = 0;
    let hiddenSince = document.hidden ? performance.now() : -1;
    document.addEventListener('visibilitychange', () => {
        if (document.hidden) {
            hiddenSince = performance.now();
        } else if (hiddenSince >= 0) {
            Module.amberHiddenMs += performance.now() - hiddenSince;
            hiddenSince = -1;
        }
    });
});

EM_JS(double, velq_web_shown_ms, (), { return performance.now() - Module.amberHiddenMs; });

// The moment to play from: ?t=SECONDS, or 0.
EM_JS(double, velq_web_start_seconds, (), {
    const t = Number(new URLSearchParams(location.search).get('t'));
    return t > 0 ? t : 0;
});

// The tape's chapters for the page's timeline: entry, start and scene, then
// entry 11 at the tape's end.
EM_JS(void, velq_web_chapter, (int entry, double seconds, const char* scene), {
    Module.amberChapter(entry, seconds, UTF8ToString(scene));
});

// Each frame shown: the entry, where that entry's clock puts its picture on
// the stepped tape, which the soundtrack follows, and the page's time
// (performance.now) at which the production's clock reached the picture.
EM_JS(void, velq_web_frame_shown, (int entry, double picture, double at), {
    Module.amberFrame(entry, picture, at);
});

EM_JS(void, velq_web_seeked, (double seconds, double ms, int paused), {
    Module.amberSeeked(seconds, ms, paused);
});

// clang-format on
double Seconds(uint64_t us) { return double(us) / VELQ_PLAY_SECOND_US; }
uint64_t Us(double seconds) { return uint64_t(seconds * VELQ_PLAY_SECOND_US + 0.5); }

// Production time on the page's clock while playing.
uint64_t PlayUs() {
    return Us(std::max(0.0, velq_web_shown_ms() - velq_web_origin_ms) / 1000);
}

// Where the soundtrack is when the production is at us: it starts with
// entry 1.
double SoundSeconds(uint64_t us) { return Seconds(us) - Seconds(velq_web_tape[0]); }

void ReportFrame() {
    const int entry = velq_caller;
    const double start = entry == 0 ? 0 : Seconds(velq_web_tape[entry - 1]);
    const double at = emscripten_get_now() - (velq_web_shown_ms() - velq_web_origin_ms) +
                      Seconds(VELQ_PLAY_NowUs()) * 1000;
    velq_web_frame_shown(entry, start + velq_ctrls.clock[0].t, at);
}

// Picture and sound go on together from where the production stands.
void GoOn() {
    const uint64_t now = VELQ_PLAY_NowUs();
    velq_web_origin_ms = velq_web_shown_ms() - Seconds(now) * 1000;
    FSOUND_WEB_Place(SoundSeconds(now));
}

// Runs the stills' frames first to k - 1, which nobody sees, then draws
// frame k: the picture ?at= shows at that moment.
void ShowFrame(int64_t first, int64_t k) {
    GL1_Drawing(false);
    velq_web_ended = VELQ_PLAY_Skip(first, k, kStillFps) == 1;
    GL1_Drawing(true);
    if (!velq_web_ended) velq_web_ended = VELQ_PLAY_FrameAt(VELQ_PLAY_FrameUs(k, kStillFps), true) == 1;
    velq_web_shown = k;
}

// Steps the production from its start to the frame on at seconds and shows
// it; picture and sound then go on from there unless paused. The first
// time, the loader reads the assets on the way.
void SeekTo(double seconds) {
    const double began = emscripten_get_now();
    FSOUND_Stream_Stop(music);
    GL1_Drawing(false);
    if (velq_web_started) {
        VELQ_PLAY_Begin(VELQ_PLAY_STEPPED, VELQ_RUN_REPLAY);
    } else {
        VELQ_PLAY_Begin(VELQ_PLAY_STEPPED, VELQ_RUN_FRESH);
        velq_web_started = true;
    }
    ShowFrame(0, VELQ_PLAY_FrameOn(Us(seconds), kStillFps));
    if (velq_web_ended) return;
    if (velq_web_paused) {
        FSOUND_WEB_Hold();
    } else {
        GoOn();
    }
    ReportFrame();
    velq_web_seeked(Seconds(VELQ_PLAY_NowUs()), emscripten_get_now() - began, velq_web_paused);
}

// Each animation frame shows the stills' frame on at the page's clock, once
// the clock has reached a new one, so entries change where the stepped
// tape changes them, however fast the page draws; a paused production
// shows its last frame.
void PlayFrame() {
    const int64_t k = VELQ_PLAY_FrameOn(PlayUs(), kStillFps);
    if (!velq_web_paused && !velq_web_ended && k > velq_web_shown) {
        const uint64_t from_us = VELQ_PLAY_FrameUs(velq_web_shown + 1, kStillFps);
        ShowFrame(velq_web_shown + 1, k);
        // Entry 1 started the soundtrack: it goes from where the clock is,
        // however late the frame that started it came.
        if (from_us <= velq_web_tape[0] && velq_web_tape[0] <= VELQ_PLAY_NowUs())
            FSOUND_WEB_Place(SoundSeconds(PlayUs()));
        ReportFrame();
    }
    if (velq_web_ended || VELQ_QuitRequested()) VELQ_Shutdown(0);
}

void ShowChapters() {
    for (int e = 0; e <= VELQ_LAST_ENTRY + 1; ++e)
        velq_web_chapter(e, e == 0 ? 0 : Seconds(velq_web_tape[e - 1]),
                         e <= VELQ_LAST_ENTRY ? velq_tape_scenes[e] : "");
}

bool StillFrame(int64_t k) {
    return std::find(velq_web_still_frames.begin(), velq_web_still_frames.end(), k) !=
           velq_web_still_frames.end();
}

// Only a still's own frame needs its pixels: every frame starts with a clear
// and reads back only what it drew itself, so the frames between stills
// keep the GL state as they go but draw nothing.
void DrawOnlyStills(int64_t k) { GL1_Drawing(StillFrame(k)); }

void StillsDone(int64_t k, bool tape_ended) {
    for (size_t i = 0; i < velq_web_still_times.size(); ++i)
        if (velq_web_still_frames[i] == k || (tape_ended && velq_web_still_frames[i] >= k))
            velq_web_still_done(velq_web_still_times[i], !tape_ended);
}

// Steps frames towards the stills a slice at a time, so the page stays
// responsive; the last still's frame is the last one drawn.
void StepTowardsStills() {
    const double until = emscripten_get_now() + kStillSliceMs;
    const int64_t last =
        *std::max_element(velq_web_still_frames.begin(), velq_web_still_frames.end());
    while (velq_web_frame <= last && emscripten_get_now() < until) {
        const int64_t k = velq_web_frame++;
        DrawOnlyStills(k);
        const bool ended = VELQ_PLAY_FrameAt(VELQ_PLAY_FrameUs(k, kStillFps), true) == 1;
        StillsDone(k, ended);
        if (ended) velq_web_frame = last + 1;
    }
    if (velq_web_frame <= last) return;
    emscripten_cancel_main_loop();
    velq_web_stills_done();
}

// A frame is done once a one-pixel read-back has waited for its drawing.
void ReadOnePixel() {
    uint8_t pixel[4];
    GL1_ReadPixels(0, 0, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
}

// The bench's frames through the whole tape, a slice per animation frame.
void BenchSlice() {
    const double until = emscripten_get_now() + kStillSliceMs;
    while (emscripten_get_now() < until) {
        if (!VELQ_BENCH_Frame(velq_web_bench, ++velq_web_frame, emscripten_get_now, ReadOnePixel)) {
            emscripten_cancel_main_loop();
            VELQ_BENCH_Report(velq_web_bench);
            velq_web_bench_done();
            return;
        }
    }
}

void WaitForDrive() {
    if (!CFS_WEB_Ready()) return;
    if (velq_web_bench_asked()) {
        VELQ_PLAY_Begin(VELQ_PLAY_STEPPED, VELQ_RUN_FRESH);
        emscripten_cancel_main_loop();
        emscripten_set_main_loop(BenchSlice, 0, 0);
    } else if (!velq_web_still_frames.empty()) {
        VELQ_PLAY_Begin(VELQ_PLAY_STEPPED, VELQ_RUN_FRESH);
        emscripten_cancel_main_loop();
        emscripten_set_main_loop(StepTowardsStills, 0, 0);
    } else if (velq_web_viewer_started()) {
        SeekTo(velq_web_start_seconds());
        emscripten_cancel_main_loop();
        emscripten_set_main_loop(PlayFrame, 0, 0);
    }
}

// Each still's frame, as amber_capture picks it.
void ChooseStills() {
    for (int i = 0;; ++i) {
        const double seconds = velq_web_still_seconds(i);
        if (seconds < 0) break;
        const uint64_t us = uint64_t(seconds * VELQ_PLAY_SECOND_US + 0.5);
        velq_web_still_times.push_back(seconds);
        velq_web_still_frames.push_back(VELQ_PLAY_FrameOn(us, kStillFps));
    }
}

}  // namespace

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
    SeekTo(std::round(Seconds(PlayUs()) * 100) / 100);
}

EMSCRIPTEN_KEEPALIVE void velq_web_resume() {
    if (!velq_web_paused || velq_web_ended) return;
    velq_web_paused = false;
    GoOn();
}

}  // extern "C"

int main() {
    velq_web_count_hidden_time();
    ChooseStills();
    const bool stepped = !velq_web_still_frames.empty() || velq_web_bench_asked();
    if (!stepped) {
        velq_web_tape = VELQ_PLAY_TapeTimes(kStillFps);
        ShowChapters();
    }
    VELQ_StartSDL();
    VELQ_ExitInit();
    // A WebGL context takes its depth buffer from the request at creation.
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, kDepthBits);
    VELQ_OpenScreen(SDL_OPENGL);
    // The page has no main routine to return from: it ends on its end screen.
    if (!stepped && !VELQ_OpenSound()) VELQ_Shutdown(1);
    CFS_Open(VELQ_DRIVE);
    CFS_WEB_InflateAll(VELQ_DRIVE);
    emscripten_set_main_loop(WaitForDrive, 0, 0);
}
