// Start-up, the frame loop and shutdown.
#include "engine/main.h"

#include <SDL.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "engine/velq2.h"
#include "engine/velq_display.h"
#include "engine/velq_exit.h"
#include "engine/velq_play.h"

Uint32 sdl_video_flags = 0;
SDL_Surface* velq_screen = nullptr;
SDL_Event event;
FSOUND_STREAM* music = nullptr;

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr int kDepth = 32;
constexpr int kMixRate = 44100;
constexpr int kSoftwareChannels = 32;
constexpr int kStreamBufferMs = 500;
constexpr int kDirectSoundOutput = 2;
constexpr const char* kCaption = "VElQ series 2 qk: amber_grid";
constexpr const char* kIconName = "Ryx";
constexpr const char* kSoundtrack = "amber_grid.mp3";
constexpr const char* kDrive = "./amber_grid.cfs";

constexpr const char* kSoundErrors[] = {
    "No errors",
    "Cannot call this command after FSOUND_Init.  Call FSOUND_Close first.",
    "This command failed because FSOUND_Init was not called",
    "Error initializing output device.",
    "The output device is already in use and cannot be reused.",
    "Playing the sound failed.",
    "Soundcard does not support the features needed for this soundsystem (16bit stereo output)",
    "Error setting cooperative level for hardware.",
    "Error creating hardware sound buffer.",
    "File not found",
    "Unknown file format",
    "Error loading file",
    "Not enough memory ",
    "The version number of this file format is not supported",
    "An invalid parameter was passed to this function",
    "Tried to use an EAX command on a non EAX enabled channel or output.",
    "Failed to allocate a new channel",
    "Recording not supported on this device",
    "Required Mediaplayer codec is not installed",
};
constexpr int kSoundErrorCount = sizeof(kSoundErrors) / sizeof(kSoundErrors[0]);

void OpenScreen() {
    VELQ_DisplayInit();
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_TIMER) != 0) {
        puts("SDL initialization error ...");
        exit(1);
    }
    atexit(SDL_Quit);
    VELQ_ExitInit();
    puts("VELQ_MAIN");
    sdl_video_flags |= SDL_FULLSCREEN | SDL_OPENGL;
    velq_screen = SDL_SetVideoMode(kWidth, kHeight, kDepth, sdl_video_flags);
    if (!velq_screen) exit(1);
    SDL_ShowCursor(SDL_DISABLE);
    SDL_WM_SetCaption(kCaption, kIconName);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 8);
}

// False, with the failure reported, when there is no sound.
bool OpenSound() {
    FSOUND_SetOutput(kDirectSoundOutput);
    if (!FSOUND_Init(kMixRate, kSoftwareChannels, 0)) {
        puts("Error!");
        puts(FMOD_ErrorString(FSOUND_GetError()));
        FSOUND_Close();
        return false;
    }
    FSOUND_Stream_SetBufferSize(kStreamBufferMs);
    music = FSOUND_Stream_Open(kSoundtrack, 0, 0, 0);
    if (!music)
        printf("FSOUND_Stream_Open: %s: %s; playing without sound.\n", kSoundtrack,
               FMOD_ErrorString(FSOUND_GetError()));
    return true;
}

// True when the viewer pressed Escape or closed the window.
bool QuitRequested() {
    bool quit = false;
    while (SDL_PollEvent(&event)) {
        if (event.type == SDL_KEYDOWN && event.key.keysym.sym == SDLK_ESCAPE) quit = true;
        if (event.type == SDL_QUIT) quit = true;
    }
    return quit;
}

}  // namespace

void VELQ_Shutdown(int status) {
    VELQ_ExitBegin(status);
    FSOUND_Stream_Stop(music);
    FSOUND_Stream_Close(music);
    FSOUND_Close();
    SDL_RemoveTimer(velq_timer_id);
    // Without a display there is no cursor to show, and SDL's exit handler
    // would wait on the dead connection for good.
    if (VELQ_DisplayLost()) {
        fflush(stdout);
        _exit(status);
    }
    SDL_ShowCursor(SDL_ENABLE);
    exit(status);
}

const char* FMOD_ErrorString(int code) {
    if (code < 0 || code >= kSoundErrorCount) return "Unknown error";
    return kSoundErrors[code];
}

int SDL_main(int, char*[]) {
    // Trace lines appear as they happen, also when the output is a pipe.
    setvbuf(stdout, nullptr, _IOLBF, 0);
    OpenScreen();
    if (!OpenSound()) return 1;
    VELQ_PLAY_Start(kDrive, VELQ_PLAY_THREADS);
    for (;;) {
        if (VELQ_PLAY_Frame() == 1) break;
        SDL_GL_SwapBuffers();
        if (QuitRequested()) break;
        // A signal or another thread's failure asks for the end.
        const int pending = VELQ_ExitPending();
        if (pending != VELQ_EXIT_NONE) VELQ_Shutdown(pending);
    }
    VELQ_Shutdown(0);
}
