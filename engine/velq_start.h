// Start-up as every build of the program does it, natively and in a
// browser: SDL, the screen, the sound library and the soundtrack stream;
// and the viewer's quit.
#pragma once

#include <SDL.h>

#include "sound/fsound.h"

// The screen's size in pixels.
constexpr int VELQ_SCREEN_WIDTH = 640;
constexpr int VELQ_SCREEN_HEIGHT = 480;

// The drive, opened by its bare name from the working folder.
constexpr const char* VELQ_DRIVE = "./amber_grid.cfs";

// The soundtrack stream: opened at start-up, started by the first scene after
// loading, stopped and closed at shutdown; the main thread alone uses it.
extern FSOUND_STREAM* music;

// The text of a sound-library error code; "Unknown error" outside 0 to 18.
const char* FMOD_ErrorString(int code);

// SDL's video and timer, shut down by the exit handlers; when they fail,
// "SDL initialization error ..." and exit status 1.
void VELQ_StartSDL();

// Prints VELQ_MAIN and sets the 640x480x32 OpenGL mode with flags added to
// the video flags (exit status 1 when it fails), hides the cursor, sets the
// caption and makes the program's attribute requests.
void VELQ_OpenScreen(Uint32 flags);

// The sound library and the soundtrack stream, not yet playing. False, with
// the failure reported, when there is no sound.
bool VELQ_OpenSound();

// True when the viewer pressed Escape or closed the window; drains the
// event queue.
bool VELQ_QuitRequested();
