// amber_bench: how long each tape entry takes to draw. The headless player
// plays the whole tape in virtual time, one frame per 20 ms tick, each frame
// timed from the clear to the finished buffer swap;
// then a table of the median and the 99th-percentile frame time per entry,
// and the same as one JSON object per entry for machines.
#include <GL/gl.h>
#include <SDL.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "engine/velq2.h"
#include "engine/velq_bench.h"
#include "headless/player.h"
#include "tools/tool_args.h"

namespace {

constexpr int kFps = 50;  // one frame per tick
constexpr const char* kUsage =
    "usage: amber_bench\n"
    "Plays the whole tape, one frame per 20 ms tick, and prints each entry's median\n"
    "and 99th-percentile frame time and frame rate, as a table and as JSON lines.\n";

using Ms = std::chrono::duration<double, std::milli>;

// Frame times in milliseconds per entry, over the whole tape. Time moves on
// (the loader's steps included) before each frame's clock starts.
VELQ_BENCH_Times PlayTape() {
    VELQ_BENCH_Times times = VELQ_BENCH_New();
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

}  // namespace

int main(int argc, char* argv[]) {
    TOOL_ARGS_Operands(argc, argv, 0, kUsage);
    // Like ./play.sh: a virtual screen only where there is no display.
    PLAYER_OpenScreen(false);
    std::printf("renderer: %s, 640 x 480\n", glGetString(GL_RENDERER));
    VELQ_BENCH_Report(PlayTape());
    return 0;
}
