// amber_bench: how long each tape entry takes to draw. The whole tape plays
// through the real sequencer and scenes in virtual time, one frame per
// 20 ms tick, each frame timed from the clear to the finished buffer swap;
// then a table of the median and the 99th-percentile frame time per entry,
// and the same as one JSON object per entry for machines.
#include <GL/gl.h>
#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "engine/velq2.h"
#include "tests/support/gl_bench.h"
#include "tests/support/xvfb.h"

namespace {

constexpr float kTick = 0.02f;
const char* const kScenes[VELQ_LAST_ENTRY + 1] = {"Loading", "ThornaxIn", "ThornaxIn", "Thornax",
                                                  "Quibo",   "Angel",     "Tree",      "TMagic",
                                                  "Glow",    "Glow",      "Zelto"};

using Ms = std::chrono::duration<double, std::milli>;

// Frame times in milliseconds per entry, over the whole tape.
std::vector<std::vector<double>> PlayTape() {
    std::vector<std::vector<double>> times(VELQ_LAST_ENTRY + 1);
    BENCH_EnterEntry(0);
    int entry = 0, ticks = 0;
    for (;;) {
        const auto start = std::chrono::steady_clock::now();
        const int ended = BENCH_TapeFrame(++ticks * kTick);
        if (ended) break;
        SDL_GL_SwapBuffers();
        glFinish();
        if (velq_caller != entry) entry = velq_caller, ticks = 0;
        times[entry].push_back(Ms(std::chrono::steady_clock::now() - start).count());
    }
    return times;
}

double Percentile(std::vector<double> v, double p) {
    std::sort(v.begin(), v.end());
    const size_t i = std::min(v.size() - 1, static_cast<size_t>(p * v.size()));
    return v[i];
}

void Report(const std::vector<std::vector<double>>& times) {
    std::printf("%-5s %-9s %6s %10s %8s %8s\n", "entry", "scene", "frames", "median ms", "p99 ms",
                "fps");
    for (int e = 0; e <= VELQ_LAST_ENTRY; ++e) {
        const double median = Percentile(times[e], 0.5), p99 = Percentile(times[e], 0.99);
        std::printf("%-5d %-9s %6zu %10.2f %8.2f %8.1f\n", e, kScenes[e], times[e].size(), median,
                    p99, 1000 / median);
    }
    for (int e = 0; e <= VELQ_LAST_ENTRY; ++e) {
        const double median = Percentile(times[e], 0.5), p99 = Percentile(times[e], 0.99);
        std::printf(
            "{\"entry\": %d, \"scene\": \"%s\", \"median_ms\": %.3f, \"p99_ms\": %.3f, "
            "\"fps\": %.1f}\n",
            e, kScenes[e], median, p99, 1000 / median);
    }
}

}  // namespace

int main() {
    // Like ./play.sh: a virtual screen only where there is no display.
    if (!std::getenv("DISPLAY")) XVFB_Start();
    BENCH_OpenWindow();
    std::printf("renderer: %s, 640 x 480\n", glGetString(GL_RENDERER));
    BENCH_LoadProduction();
    Report(PlayTape());
    return 0;
}
