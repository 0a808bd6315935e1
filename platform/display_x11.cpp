// Xlib's own handlers end the process from inside whatever call noticed the
// failure, under SDL and the GL driver: a destroyed window crashed the
// program, and after a lost connection SDL's exit handler waited on it for
// good. SDL's own handler, which puts the screen's mode back on an error,
// hands errors on to these, also when it restores them at exit.
#include <X11/Xlib.h>

#include <cstdlib>

#include "platform/display.h"

namespace {

// Xlib's own handler, for every other error.
XErrorHandler display_next = nullptr;
void (*display_closed)() = nullptr;
void (*display_lost)() = nullptr;

// Errors come back asynchronously, within an Xlib call that must go on.
int OnError(Display* display, XErrorEvent* error) {
    if (error->error_code == BadWindow || error->error_code == BadDrawable) {
        display_closed();
        return 0;
    }
    return display_next ? display_next(display, error) : 0;
}

[[noreturn]] int OnConnectionLost(Display*) {
    display_lost();
    std::abort();  // lost does not return
}

}  // namespace

void DISPLAY_Watch(void (*closed)(), void (*lost)()) {
    display_closed = closed;
    display_lost = lost;
    display_next = XSetErrorHandler(OnError);
    XSetIOErrorHandler(OnConnectionLost);
}

bool DISPLAY_Is(int width, int height) {
    Display* display = XOpenDisplay(nullptr);
    if (!display) return false;
    const int screen = DefaultScreen(display);
    const bool is =
        DisplayWidth(display, screen) == width && DisplayHeight(display, screen) == height;
    XCloseDisplay(display);
    return is;
}

// sdl12-compat otherwise draws into a buffer of its own and copies it,
// scaled to the desktop, into the window at every swap: needed where the
// screen is larger, and about a millisecond a frame for nothing on a
// software renderer where the window is the screen's size.
void DISPLAY_DrawUnscaled() { setenv("SDL12COMPAT_OPENGL_SCALING", "0", 0); }
