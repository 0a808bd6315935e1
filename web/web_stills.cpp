// ?at=SECONDS[,SECONDS...]: the stills at those production times, stepped
// in virtual time as amber_capture --still makes them, without sound, a
// slice of frames per animation frame so that the page stays responsive.
#include <emscripten.h>

#include <algorithm>
#include <vector>

#include "gl1/gl1.h"
#include "web/web_page.h"

namespace {

// The frames that show the stills and, index for index, the stills' times.
std::vector<int64_t> velq_web_still_frames;
std::vector<double> velq_web_still_times;
int64_t velq_web_frame = 0;  // the next frame stepped towards them

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

// Steps frames towards the stills a slice at a time; the last still's
// frame is the last one drawn.
void StepTowardsStills() {
    const double until = emscripten_get_now() + WEB_SLICE_MS;
    const int64_t last =
        *std::max_element(velq_web_still_frames.begin(), velq_web_still_frames.end());
    while (velq_web_frame <= last && emscripten_get_now() < until) {
        const int64_t k = velq_web_frame++;
        DrawOnlyStills(k);
        const bool ended = VELQ_PLAY_FrameAt(VELQ_PLAY_FrameUs(k, WEB_FPS), true) == 1;
        StillsDone(k, ended);
        if (ended) velq_web_frame = last + 1;
    }
    if (velq_web_frame <= last) return;
    emscripten_cancel_main_loop();
    velq_web_stills_done();
}

}  // namespace

// Each still's frame, as amber_capture picks it.
void WEB_STILLS_Choose(const double* seconds, int count) {
    for (int i = 0; i < count; ++i) {
        velq_web_still_times.push_back(seconds[i]);
        velq_web_still_frames.push_back(VELQ_PLAY_FrameOn(WEB_Us(seconds[i]), WEB_FPS));
    }
}

bool WEB_STILLS_Chosen() { return !velq_web_still_frames.empty(); }

void WEB_STILLS_Start() {
    VELQ_PLAY_Begin(VELQ_PLAY_STEPPED, VELQ_RUN_FRESH);
    emscripten_set_main_loop(StepTowardsStills, 0, 0);
}
