// Xlib's own handlers end the process from inside whatever call noticed the
// failure, under SDL and the GL driver: a destroyed window crashed the
// program, and after a lost connection SDL's exit handler waited on it for
// good.
#include "engine/velq_display.h"

#include <X11/Xlib.h>

#include "engine/velq_exit.h"

namespace {

constexpr const char* kWindowClosed =
    "VELQ_Display: FATAL_ERROR: The window was closed from outside.\n";
constexpr const char* kConnectionLost =
    "VELQ_Display: FATAL_ERROR: The display connection was lost.\n";

// Xlib's own handler, for every other error.
XErrorHandler velq_display_next = nullptr;

// Errors come back asynchronously, within an Xlib call that must go on: the
// frame loop ends the production after it returns.
int OnError(Display* display, XErrorEvent* error) {
    if (error->error_code == BadWindow || error->error_code == BadDrawable) {
        VELQ_ExitDisplayFailed(kWindowClosed);
        return 0;
    }
    return velq_display_next ? velq_display_next(display, error) : 0;
}

int OnConnectionLost(Display*) { VELQ_ExitDisplayLost(kConnectionLost); }

}  // namespace

void VELQ_DisplayInit() {
    velq_display_next = XSetErrorHandler(OnError);
    XSetIOErrorHandler(OnConnectionLost);
}

bool VELQ_DisplayIs(int width, int height) {
    Display* display = XOpenDisplay(nullptr);
    if (!display) return false;
    const int screen = DefaultScreen(display);
    const bool is =
        DisplayWidth(display, screen) == width && DisplayHeight(display, screen) == height;
    XCloseDisplay(display);
    return is;
}
