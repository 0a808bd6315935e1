// The program in a web browser, on the page's one thread. Start-up runs as
// the program's does, with the drive's entries inflated by the browser
// after it is opened; the production starts once the viewer clicks (sound
// needs a gesture) and then plays one frame per animation frame, its loader
// stepped and its clock caught up on the browser's clock. With
// ?at=SECONDS[,SECONDS...] the page shows the stills at those production
// times instead, stepped in virtual time as amber_capture --still makes
// them, without sound; with ?bench it times every frame of the tape, as
// amber_bench does, and prints the same report.
#include <SDL.h>
#include <emscripten.h>

#include <algorithm>
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
#include "engine/velq_step.h"
#include "platform/gl1.h"

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

// clang-format on
uint64_t ShownClockUs() { return uint64_t(velq_web_shown_ms() * 1000); }

void PlayFrame() {
    VELQ_PLAY_CatchUp();
    if (VELQ_PLAY_Frame() == 1 || VELQ_QuitRequested()) VELQ_Shutdown(0);
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
        const bool ended = VELQ_STEP_FrameAt(VELQ_STEP_FrameUs(k, kStillFps), true) == 1;
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
        VELQ_PLAY_Begin(VELQ_PLAY_STEPPED);
        emscripten_cancel_main_loop();
        emscripten_set_main_loop(BenchSlice, 0, 0);
    } else if (!velq_web_still_frames.empty()) {
        VELQ_PLAY_Begin(VELQ_PLAY_STEPPED);
        emscripten_cancel_main_loop();
        emscripten_set_main_loop(StepTowardsStills, 0, 0);
    } else if (velq_web_viewer_started()) {
        velq_clock_us = ShownClockUs;
        velq_stall_us = UINT64_MAX;
        VELQ_PLAY_Begin(VELQ_PLAY_STEPPED);
        emscripten_cancel_main_loop();
        emscripten_set_main_loop(PlayFrame, 0, 0);
    }
}

// Each still's frame, as amber_capture picks it.
void ChooseStills() {
    for (int i = 0;; ++i) {
        const double seconds = velq_web_still_seconds(i);
        if (seconds < 0) break;
        const uint64_t us = uint64_t(seconds * VELQ_STEP_SECOND_US + 0.5);
        velq_web_still_times.push_back(seconds);
        velq_web_still_frames.push_back(VELQ_STEP_FrameOn(us, kStillFps));
    }
    if (!velq_web_still_frames.empty() || velq_web_bench_asked()) VELQ_STEP_Rewind();
}

}  // namespace

int main() {
    velq_web_count_hidden_time();
    ChooseStills();
    VELQ_StartSDL();
    VELQ_ExitInit();
    // A WebGL context takes its depth buffer from the request at creation.
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, kDepthBits);
    VELQ_OpenScreen(SDL_OPENGL);
    const bool stepped = !velq_web_still_frames.empty() || velq_web_bench_asked();
    // The page has no main routine to return from: it ends on its end screen.
    if (!stepped && !VELQ_OpenSound()) VELQ_Shutdown(1);
    CFS_Open(VELQ_DRIVE);
    CFS_WEB_InflateAll(VELQ_DRIVE);
    emscripten_set_main_loop(WaitForDrive, 0, 0);
}
