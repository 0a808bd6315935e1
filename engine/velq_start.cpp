// Start-up's shared steps: the screen, the sound and the soundtrack.
#include "engine/velq_start.h"

#include <cstdio>
#include <cstdlib>

#include "platform/fatal.h"

Uint32 sdl_video_flags = 0;
SDL_Surface* velq_screen = nullptr;
SDL_Event event;
FSOUND_STREAM* music = nullptr;

namespace {

constexpr int kDepth = 32;
constexpr int kMixRate = 44100;
constexpr int kSoftwareChannels = 32;
constexpr int kStreamBufferMs = 500;
constexpr int kDirectSoundOutput = 2;
constexpr const char* kCaption = "VElQ series 2 qk: amber_grid";
constexpr const char* kIconName = "Ryx";
constexpr const char* kSoundtrack = "amber_grid.mp3";

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

}  // namespace

void VELQ_StartSDL() {
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_TIMER) != 0) {
        FATAL_Exit("SDL initialization error ...\n");
    }
    atexit(SDL_Quit);
}

void VELQ_OpenScreen(Uint32 flags) {
    puts("VELQ_MAIN");
    sdl_video_flags |= flags;
    velq_screen = SDL_SetVideoMode(VELQ_SCREEN_WIDTH, VELQ_SCREEN_HEIGHT, kDepth, sdl_video_flags);
    if (!velq_screen) FATAL_Exit("");
    SDL_ShowCursor(SDL_DISABLE);
    SDL_WM_SetCaption(kCaption, kIconName);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 8);
}

bool VELQ_OpenSound() {
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

bool VELQ_QuitRequested() {
    bool quit = false;
    while (SDL_PollEvent(&event)) {
        if (event.type == SDL_KEYDOWN && event.key.keysym.sym == SDLK_ESCAPE) quit = true;
        if (event.type == SDL_QUIT) quit = true;
    }
    return quit;
}

const char* FMOD_ErrorString(int code) {
    if (code < 0 || code >= kSoundErrorCount) return "Unknown error";
    return kSoundErrors[code];
}
