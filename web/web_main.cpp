// The program in a web browser, on the page's one thread. Start-up runs as
// the program's does, with the drive's entries inflated by the browser
// after it is opened. The page reads its address once and hands its options
// to main as arguments:
//
//   --at SECONDS[,SECONDS...]   show the stills at those production times
//   --bench                     time every frame of the tape
//   --from SECONDS              play from there once the viewer clicks
//
// Without --at or --bench the page is a player, which starts once the
// viewer clicks (sound needs a gesture).
#include <SDL.h>
#include <emscripten.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "archive/cfs.h"
#include "archive/cfs_web.h"
#include "engine/velq_exit.h"
#include "engine/velq_start.h"
#include "web/web_page.h"

namespace {

constexpr int kDepthBits = 16;

bool velq_web_bench_asked = false;
double velq_web_from_seconds = 0;

// Comma-separated times in seconds.
std::vector<double> Times(const char* list) {
    std::vector<double> times;
    for (char* end = nullptr;; list = end + 1) {
        times.push_back(std::strtod(list, &end));
        if (*end != ',') break;
    }
    return times;
}

void ReadOptions(int argc, char* argv[]) {
    for (int i = 1; i < argc; ++i) {
        const bool has_value = i + 1 < argc;
        if (std::strcmp(argv[i], "--bench") == 0) {
            velq_web_bench_asked = true;
        } else if (std::strcmp(argv[i], "--at") == 0 && has_value) {
            const std::vector<double> times = Times(argv[++i]);
            WEB_STILLS_Choose(times.data(), int(times.size()));
        } else if (std::strcmp(argv[i], "--from") == 0 && has_value) {
            velq_web_from_seconds = std::strtod(argv[++i], nullptr);
        }
    }
}

void WaitForDrive() {
    if (!CFS_WEB_Ready()) return;
    if (velq_web_bench_asked) {
        emscripten_cancel_main_loop();
        WEB_BENCH_Start();
    } else if (WEB_STILLS_Chosen()) {
        emscripten_cancel_main_loop();
        WEB_STILLS_Start();
    } else if (velq_web_viewer_started()) {
        emscripten_cancel_main_loop();
        WEB_PLAYER_Start(velq_web_from_seconds);
    }
}

}  // namespace

int main(int argc, char* argv[]) {
    velq_web_count_hidden_time();
    ReadOptions(argc, argv);
    const bool player = !WEB_STILLS_Chosen() && !velq_web_bench_asked;
    if (player) WEB_PLAYER_Prepare();
    VELQ_StartSDL();
    VELQ_ExitInit();
    // A WebGL context takes its depth buffer from the request at creation.
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, kDepthBits);
    VELQ_OpenScreen(SDL_OPENGL);
    // The page has no main routine to return from: it ends on its end screen.
    if (player && !VELQ_OpenSound()) VELQ_Shutdown(1);
    CFS_Open(VELQ_DRIVE);
    CFS_WEB_InflateAll(VELQ_DRIVE);
    emscripten_set_main_loop(WaitForDrive, 0, 0);
}
