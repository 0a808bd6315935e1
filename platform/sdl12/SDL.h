// The SDL 1.2 calls the program makes, over SDL 2, for the Windows build,
// where no SDL 1.2 is at hand. The engine and the sound layer include
// <SDL.h> and call SDL 1.2 by its names; this header stands first on that
// build's include path and maps each name onto an SDL12_ function, so that
// none meets SDL 2's own function of the same name. platform/sdl12.cpp
// implements them over SDL 2.
#pragma once

#include <cstdint>

typedef uint8_t Uint8;
typedef uint16_t Uint16;
typedef uint32_t Uint32;
typedef int16_t Sint16;
typedef int32_t Sint32;
typedef uint64_t Uint64;

struct SDL12_Surface {
    Uint32 flags;
    int w, h;
};
struct SDL12_Thread;
typedef struct SDL12_Timer* SDL12_TimerID;
typedef Uint32 (*SDL12_NewTimerCallback)(Uint32 interval, void* param);

struct SDL12_keysym {
    int sym;
};
struct SDL12_KeyboardEvent {
    Uint8 type;
    SDL12_keysym keysym;
};
union SDL12_Event {
    Uint8 type;
    SDL12_KeyboardEvent key;
};

struct SDL12_AudioSpec {
    int freq;
    Uint16 format;
    Uint8 channels;
    Uint8 silence;
    Uint16 samples;
    Uint16 padding;
    Uint32 size;
    void (*callback)(void* userdata, Uint8* stream, int len);
    void* userdata;
};

enum SDL12_GLattr {
    SDL12_GL_RED_SIZE,
    SDL12_GL_GREEN_SIZE,
    SDL12_GL_BLUE_SIZE,
    SDL12_GL_ALPHA_SIZE,
    SDL12_GL_DOUBLEBUFFER,
    SDL12_GL_DEPTH_SIZE,
};

constexpr Uint32 SDL12_INIT_TIMER = 0x00000001;
constexpr Uint32 SDL12_INIT_AUDIO = 0x00000010;
constexpr Uint32 SDL12_INIT_VIDEO = 0x00000020;
constexpr Uint32 SDL12_OPENGL = 0x00000002;
constexpr Uint32 SDL12_FULLSCREEN = 0x80000000;
constexpr int SDL12_ENABLE = 1;
constexpr int SDL12_DISABLE = 0;
constexpr Uint8 SDL12_KEYDOWN = 2;
constexpr Uint8 SDL12_KEYUP = 3;
constexpr Uint8 SDL12_QUIT = 12;
constexpr int SDL12_K_ESCAPE = 27;
constexpr Uint16 SDL12_AUDIO_S16SYS = 0x8010;

int SDL12_Init(Uint32 flags);
int SDL12_InitSubSystem(Uint32 flags);
void SDL12_QuitSubSystem(Uint32 flags);
void SDL12_Quit();
const char* SDL12_GetError();
SDL12_Surface* SDL12_SetVideoMode(int width, int height, int bpp, Uint32 flags);
void SDL12_WM_SetCaption(const char* title, const char* icon);
int SDL12_ShowCursor(int toggle);
int SDL12_GL_SetAttribute(SDL12_GLattr attr, int value);
void SDL12_GL_SwapBuffers();
int SDL12_PollEvent(SDL12_Event* event);
SDL12_TimerID SDL12_AddTimer(Uint32 interval, SDL12_NewTimerCallback callback, void* param);
int SDL12_RemoveTimer(SDL12_TimerID id);
SDL12_Thread* SDL12_CreateThread(int (*fn)(void*), void* data);
void SDL12_WaitThread(SDL12_Thread* thread, int* status);
void SDL12_Delay(Uint32 ms);
Uint32 SDL12_GetTicks();
int SDL12_OpenAudio(SDL12_AudioSpec* desired, SDL12_AudioSpec* obtained);
void SDL12_PauseAudio(int pause_on);
void SDL12_CloseAudio();

// The program's SDL 1.2 names; the layer's own source keeps SDL 2's.
#ifndef SDL12_LAYER
#define SDL_Surface SDL12_Surface
#define SDL_Thread SDL12_Thread
#define SDL_TimerID SDL12_TimerID
#define SDL_Event SDL12_Event
#define SDL_AudioSpec SDL12_AudioSpec
#define SDL_INIT_TIMER SDL12_INIT_TIMER
#define SDL_INIT_AUDIO SDL12_INIT_AUDIO
#define SDL_INIT_VIDEO SDL12_INIT_VIDEO
#define SDL_OPENGL SDL12_OPENGL
#define SDL_FULLSCREEN SDL12_FULLSCREEN
#define SDL_ENABLE SDL12_ENABLE
#define SDL_DISABLE SDL12_DISABLE
#define SDL_KEYDOWN SDL12_KEYDOWN
#define SDL_KEYUP SDL12_KEYUP
#define SDL_QUIT SDL12_QUIT
#define SDLK_ESCAPE SDL12_K_ESCAPE
#define AUDIO_S16SYS SDL12_AUDIO_S16SYS
#define SDL_GL_RED_SIZE SDL12_GL_RED_SIZE
#define SDL_GL_GREEN_SIZE SDL12_GL_GREEN_SIZE
#define SDL_GL_BLUE_SIZE SDL12_GL_BLUE_SIZE
#define SDL_GL_ALPHA_SIZE SDL12_GL_ALPHA_SIZE
#define SDL_GL_DOUBLEBUFFER SDL12_GL_DOUBLEBUFFER
#define SDL_GL_DEPTH_SIZE SDL12_GL_DEPTH_SIZE
#define SDL_Init SDL12_Init
#define SDL_InitSubSystem SDL12_InitSubSystem
#define SDL_QuitSubSystem SDL12_QuitSubSystem
#define SDL_Quit SDL12_Quit
#define SDL_GetError SDL12_GetError
#define SDL_SetVideoMode SDL12_SetVideoMode
#define SDL_WM_SetCaption SDL12_WM_SetCaption
#define SDL_ShowCursor SDL12_ShowCursor
#define SDL_GL_SetAttribute SDL12_GL_SetAttribute
#define SDL_GL_SwapBuffers SDL12_GL_SwapBuffers
#define SDL_PollEvent SDL12_PollEvent
#define SDL_AddTimer SDL12_AddTimer
#define SDL_RemoveTimer SDL12_RemoveTimer
#define SDL_CreateThread SDL12_CreateThread
#define SDL_WaitThread SDL12_WaitThread
#define SDL_Delay SDL12_Delay
#define SDL_GetTicks SDL12_GetTicks
#define SDL_OpenAudio SDL12_OpenAudio
#define SDL_PauseAudio SDL12_PauseAudio
#define SDL_CloseAudio SDL12_CloseAudio
#endif
