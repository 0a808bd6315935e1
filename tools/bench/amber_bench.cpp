// amber_bench: how long each tape entry takes to draw. The headless player
// plays the whole tape in virtual time, one frame per 20 ms tick, each frame
// timed from the clear to the finished buffer swap;
// then a table of the median and the 99th-percentile frame time per entry,
// and the same as one JSON object per entry for machines.
#include <GL/gl.h>
#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "engine/velq2.h"
#include "headless/player.h"

namespace {

constexpr int kFps = 50;  // one frame per tick
const char* const kScenes[VELQ_LAST_ENTRY + 1] = {"Loading", "ThornaxIn", "ThornaxIn", "Thornax",
                                                  "Quibo",   "Angel",     "Tree",      "TMagic",
                                                  "Glow",    "Glow",      "Zelto"};

using Ms = std::chrono::duration<double, std::milli>;

// Frame times in milliseconds per entry, over the whole tape. Time moves on
// (the loader's steps included) before each frame's clock starts.
std::vector<std::vector<double>> PlayTape() {
    std::vector<std::vector<double>> times(VELQ_LAST_ENTRY + 1);
    const auto drive =
        std::filesystem::read_symlink("/proc/self/exe").parent_path() / "amber_grid.cfs";
    PLAYER_Start(drive.c_str());
    for (int64_t k = 1;; ++k) {
        PLAYER_AdvanceTo(PLAYER_FrameUs(k, kFps));
        const auto start = std::chrono::steady_clock::now();
        if (PLAYER_FrameAt(PLAYER_FrameUs(k, kFps), true) == 1) break;
        SDL_GL_SwapBuffers();
        glFinish();
        times[velq_caller].push_back(Ms(std::chrono::steady_clock::now() - start).count());
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
    PLAYER_OpenScreen(false);
    std::printf("renderer: %s, 640 x 480\n", glGetString(GL_RENDERER));
    Report(PlayTape());
    return 0;
}
