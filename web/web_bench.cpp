// ?bench: times every frame of the tape, as amber_bench does, and prints
// the same report, a slice of frames per animation frame.
#include <emscripten.h>

#include "engine/velq_bench.h"
#include "gl1/gl1.h"
#include "web/web_page.h"

namespace {

VELQ_BENCH_Times velq_web_bench = VELQ_BENCH_New();
int64_t velq_web_bench_frame = 0;

// A frame is done once a one-pixel read-back has waited for its drawing.
void ReadOnePixel() {
    uint8_t pixel[4];
    GL1_ReadPixels(0, 0, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
}

void BenchSlice() {
    const double until = emscripten_get_now() + WEB_SLICE_MS;
    while (emscripten_get_now() < until) {
        if (!VELQ_BENCH_Frame(velq_web_bench, ++velq_web_bench_frame, emscripten_get_now,
                              ReadOnePixel)) {
            emscripten_cancel_main_loop();
            VELQ_BENCH_Report(velq_web_bench);
            velq_web_bench_done();
            return;
        }
    }
}

}  // namespace

void WEB_BENCH_Start() {
    VELQ_PLAY_Begin(VELQ_PLAY_STEPPED, VELQ_RUN_FRESH);
    emscripten_set_main_loop(BenchSlice, 0, 0);
}
