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

#include "engine/velq_bench.h"
#include "headless/player.h"
#include "tools/tool_args.h"

namespace {

constexpr const char* kUsage =
    "usage: amber_bench\n"
    "Plays the whole tape, one frame per 20 ms tick, and prints each entry's median\n"
    "and 99th-percentile frame time and frame rate, as a table and as JSON lines.\n";

double NowMs() {
    using Ms = std::chrono::duration<double, std::milli>;
    return Ms(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// A frame is done once its buffer is swapped and drawn.
void SwapAndFinish() {
    SDL_GL_SwapBuffers();
    glFinish();
}

// Frame times in milliseconds per entry, over the whole tape.
VELQ_BENCH_Times PlayTape() {
    VELQ_BENCH_Times times = VELQ_BENCH_New();
    const auto drive =
        std::filesystem::read_symlink("/proc/self/exe").parent_path() / "amber_grid.cfs";
    VELQ_PLAY_Start(drive.c_str(), VELQ_PLAY_STEPPED);
    for (int64_t k = 1; VELQ_BENCH_Frame(times, k, NowMs, SwapAndFinish); ++k) {
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
