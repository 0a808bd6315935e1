// A browser has no process to end: the program's runtime stops, and the
// page's exit hook shows the end screen. Exit handlers have nothing to
// restore there, so both ends are one.
#include <emscripten.h>

#include <cstdio>

#include "platform/ending.h"

void END_Process(int status) { END_Now(status); }

// A page has no signals; its end is Escape or the page closing.
void END_CatchQuitRequests(bool (*)()) {}

void END_Now(int status) {
    emscripten_cancel_main_loop();
    std::fflush(stdout);
    emscripten_force_exit(status);
    __builtin_unreachable();
}
