// SDL 1.2 over SDL 2, as far as the program calls it. Full screen is the
// desktop's, with no mode change: the program's 640 x 480 picture is drawn
// off screen and shown scaled to the screen and centred on black, as
// sdl12-compat shows it on Linux. Nothing then depends on a 640 x 480 mode
// existing, nor on how a monitor or driver would stretch one.
#define SDL12_LAYER
#include <SDL2/SDL.h>

#include <cstdint>

#include "SDL.h"
#include "platform/sdl12_scaler.h"

namespace {

SDL_Window* sdl12_window = nullptr;
SDL_GLContext sdl12_context = nullptr;
SDL12_Surface sdl12_screen = {};

SDL_GLattr GlAttr(SDL12_GLattr attr) {
    switch (attr) {
        case SDL12_GL_RED_SIZE:
            return SDL_GL_RED_SIZE;
        case SDL12_GL_GREEN_SIZE:
            return SDL_GL_GREEN_SIZE;
        case SDL12_GL_BLUE_SIZE:
            return SDL_GL_BLUE_SIZE;
        case SDL12_GL_ALPHA_SIZE:
            return SDL_GL_ALPHA_SIZE;
        case SDL12_GL_DOUBLEBUFFER:
            return SDL_GL_DOUBLEBUFFER;
        case SDL12_GL_DEPTH_SIZE:
            return SDL_GL_DEPTH_SIZE;
    }
    return SDL_GL_RED_SIZE;
}

// SDL 2 events as SDL 1.2 reports them; false for the ones it has no word for.
bool Translate(const SDL_Event& from, SDL12_Event* to) {
    switch (from.type) {
        case SDL_KEYDOWN:
        case SDL_KEYUP:
            to->key.type = from.type == SDL_KEYDOWN ? SDL12_KEYDOWN : SDL12_KEYUP;
            // SDL 2's key codes for the keys with a character are SDL 1.2's.
            to->key.keysym.sym = from.key.keysym.sym;
            return true;
        case SDL_QUIT:
            to->type = SDL12_QUIT;
            return true;
        default:
            return false;
    }
}

}  // namespace

int SDL12_Init(Uint32 flags) { return SDL_Init(flags); }
int SDL12_InitSubSystem(Uint32 flags) { return SDL_InitSubSystem(flags); }
void SDL12_QuitSubSystem(Uint32 flags) { SDL_QuitSubSystem(flags); }
void SDL12_Quit() { SDL_Quit(); }
const char* SDL12_GetError() { return SDL_GetError(); }

SDL12_Surface* SDL12_SetVideoMode(int width, int height, int, Uint32 flags) {
    Uint32 window_flags = SDL_WINDOW_OPENGL;
    if (flags & SDL12_FULLSCREEN) window_flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
    sdl12_window = SDL_CreateWindow("", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width,
                                    height, window_flags);
    if (!sdl12_window) return nullptr;
    sdl12_context = SDL_GL_CreateContext(sdl12_window);
    if (!sdl12_context) return nullptr;
    // SDL 1.2 took the keyboard in full screen; SDL 2 does only when asked.
    // While the program has the focus, the system's own shortcuts (the
    // Windows key) then cannot take it away, and Escape stays ours. Alt-F4
    // still closes the window, and Alt-Tab minimizes it.
    if (flags & SDL12_FULLSCREEN) {
        SDL_SetWindowKeyboardGrab(sdl12_window, SDL_TRUE);
        SCALER_Open(sdl12_window, width, height);
    }
    sdl12_screen = {flags, width, height};
    return &sdl12_screen;
}

void SDL12_WM_SetCaption(const char* title, const char*) {
    if (sdl12_window) SDL_SetWindowTitle(sdl12_window, title);
}

int SDL12_ShowCursor(int toggle) { return SDL_ShowCursor(toggle); }

int SDL12_GL_SetAttribute(SDL12_GLattr attr, int value) {
    return SDL_GL_SetAttribute(GlAttr(attr), value);
}

void SDL12_GL_SwapBuffers() { SCALER_Swap(sdl12_window); }

int SDL12_PollEvent(SDL12_Event* event) {
    SDL_Event e;
    while (SDL_PollEvent(&e))
        if (Translate(e, event)) return 1;
    return 0;
}

SDL12_TimerID SDL12_AddTimer(Uint32 interval, SDL12_NewTimerCallback callback, void* param) {
    const SDL_TimerID id = SDL_AddTimer(interval, callback, param);
    return reinterpret_cast<SDL12_TimerID>(static_cast<intptr_t>(id));
}

int SDL12_RemoveTimer(SDL12_TimerID id) {
    return SDL_RemoveTimer(static_cast<SDL_TimerID>(reinterpret_cast<intptr_t>(id)));
}

SDL12_Thread* SDL12_CreateThread(int (*fn)(void*), void* data) {
    return reinterpret_cast<SDL12_Thread*>(SDL_CreateThread(fn, "amber_grid", data));
}

void SDL12_WaitThread(SDL12_Thread* thread, int* status) {
    SDL_WaitThread(reinterpret_cast<SDL_Thread*>(thread), status);
}

void SDL12_Delay(Uint32 ms) { SDL_Delay(ms); }
Uint32 SDL12_GetTicks() { return SDL_GetTicks(); }

int SDL12_OpenAudio(SDL12_AudioSpec* desired, SDL12_AudioSpec* obtained) {
    SDL_AudioSpec want = {};
    want.freq = desired->freq;
    want.format = desired->format;
    want.channels = desired->channels;
    want.samples = desired->samples;
    want.callback = desired->callback;
    want.userdata = desired->userdata;
    SDL_AudioSpec got = {};
    if (SDL_OpenAudio(&want, obtained ? &got : nullptr) != 0) return -1;
    if (obtained) {
        *obtained = *desired;
        obtained->freq = got.freq;
        obtained->format = got.format;
        obtained->channels = got.channels;
        obtained->samples = got.samples;
        obtained->size = got.size;
    }
    return 0;
}

void SDL12_PauseAudio(int pause_on) { SDL_PauseAudio(pause_on); }
void SDL12_CloseAudio() { SDL_CloseAudio(); }
