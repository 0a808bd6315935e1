// Xlib's own handlers end the process from inside whatever call noticed the
// failure, under SDL and the GL driver: a destroyed window crashed the
// program, and after a lost connection SDL's exit handler waited on it for
// good. SDL's own handler, which puts the screen's mode back on an error,
// hands errors on to these, also when it restores them at exit.
#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <string_view>

#include "platform/display.h"
#include "platform/wayland_probe.h"

namespace {

// More atoms than any window manager lists as supported.
constexpr long kMaxAtoms = 1024;

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

// A request written after the server went away would otherwise end the
// process by SIGPIPE, silently and with status 141, whenever the write
// notices the loss before a read does; ignored, the write fails and Xlib
// reports the lost connection like any other.
void DISPLAY_Watch(void (*closed)(), void (*lost)()) {
    display_closed = closed;
    display_lost = lost;
    display_next = XSetErrorHandler(OnError);
    XSetIOErrorHandler(OnConnectionLost);
    std::signal(SIGPIPE, SIG_IGN);
}

void DISPLAY_ConfirmQuit() {
    constexpr const char* kWayland = "wayland";
    char driver[16] = "";
    if (SDL_VideoDriverName(driver, sizeof driver) && std::string_view(driver) == kWayland &&
        !WAYLAND_CompositorAnswers())
        display_lost();
}

namespace {

// The program's own connection while SDL starts: where the program is a
// bare X server's only client, closing it before SDL connects would make the
// server reset under SDL's connection.
Display* display_own = nullptr;
// Whether DISPLAY_TakeScreen has to size the window.
bool display_cover = false;

// A window manager that follows the desktop conventions lists full-screen
// windows among what it supports on the root window; only such a one is
// trusted to size SDL's full-screen window to the screen.
bool ManagesFullScreen(Display* display) {
    const Atom supported = XInternAtom(display, "_NET_SUPPORTED", True);
    const Atom fullscreen = XInternAtom(display, "_NET_WM_STATE_FULLSCREEN", True);
    if (supported == None || fullscreen == None) return false;
    Atom type;
    int format;
    unsigned long count, after;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display, DefaultRootWindow(display), supported, 0, kMaxAtoms, False,
                           XA_ATOM, &type, &format, &count, &after, &data) != Success)
        return false;
    const Atom* atoms = reinterpret_cast<Atom*>(data);
    const bool found =
        data && format == 32 && std::find(atoms, atoms + count, fullscreen) != atoms + count;
    XFree(data);
    return found;
}

// Mesa's software renderer, llvmpipe (22.3 in Debian 12), lets the drawing
// thread free a finished batch's fence while the rasterizer thread that
// finished it is still unlocking it: it reads the fence's count without the
// lock. The freed block's reuse then corrupts the heap, rarely, mostly while
// the loading scene flushes a batch per tile. Rasterizing on the drawing
// thread alone leaves no such thread; the production still draws at well
// over its 50 frames a second. Other drivers ignore the setting.
void DrawOnOneThread() { setenv("LP_NUM_THREADS", "0", 0); }

}  // namespace

// Scaling, sdl12-compat draws into a buffer of its own and copies it into
// the window at every swap: about a millisecond a frame on a software
// renderer, for nothing where the window is the picture's size.
void DISPLAY_Prepare(int width, int height, bool full_screen) {
    constexpr const char* kScaling = "SDL12COMPAT_OPENGL_SCALING";
    DrawOnOneThread();
    if (!full_screen) {
        setenv(kScaling, "0", 0);
        return;
    }
    display_own = XOpenDisplay(nullptr);
    if (!display_own) return;  // SDL reports the display it cannot open
    const int screen = DefaultScreen(display_own);
    if (DisplayWidth(display_own, screen) == width && DisplayHeight(display_own, screen) == height)
        setenv(kScaling, "0", 0);
    else
        display_cover = !ManagesFullScreen(display_own);
}

namespace {

// Without a window manager SDL's window keeps the picture's size while SDL
// scales the picture for the whole screen into it: the viewer would see its
// top-left corner, magnified.
void CoverScreen(Window window) {
    const int screen = DefaultScreen(display_own);
    XMoveResizeWindow(display_own, window, 0, 0, DisplayWidth(display_own, screen),
                      DisplayHeight(display_own, screen));
    XRaiseWindow(display_own, window);
}

// Asks the window manager, where there is one, to make the window the active
// one, as a program the viewer just started expects to be.
void AskToBeActive(Window window) {
    const Atom active = XInternAtom(display_own, "_NET_ACTIVE_WINDOW", False);
    XEvent request{};
    request.xclient.type = ClientMessage;
    request.xclient.window = window;
    request.xclient.message_type = active;
    request.xclient.format = 32;
    request.xclient.data.l[0] = 1;  // from an application
    request.xclient.data.l[1] = CurrentTime;
    XSendEvent(display_own, DefaultRootWindow(display_own), False,
               SubstructureRedirectMask | SubstructureNotifyMask, &request);
}

// SDL's connection and the program's full-screen window, for the keyboard
// grab; none for a window that is not full-screen.
Display* display_sdl = nullptr;
Window display_window = 0;

}  // namespace

void DISPLAY_TakeScreen() {
    if (!display_own) return;
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    // SDL may draw through another window system, as on Wayland.
    if (SDL_GetWMInfo(&info) == 1 && info.subsystem == SDL_SYSWM_X11) {
        if (display_cover) CoverScreen(info.info.x11.window);
        AskToBeActive(info.info.x11.window);
        display_sdl = info.info.x11.display;
        display_window = info.info.x11.window;
    }
    XCloseDisplay(display_own);  // flushes the requests
    display_own = nullptr;
}

// SDL 1.2 took the keyboard in full screen, so Escape reached the program
// whichever window held the focus. SDL 2 holds the keyboard only while its
// window has the focus, and lets it go when the focus moves elsewhere. The
// grab is made on SDL's own connection, so that the keys come to SDL.
void DISPLAY_KeepKeyboard() {
    if (display_sdl && !(SDL_GetAppState() & SDL_APPINPUTFOCUS))
        XGrabKeyboard(display_sdl, display_window, True, GrabModeAsync, GrabModeAsync, CurrentTime);
}
