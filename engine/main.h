// The main routine and the soundtrack it owns.
#pragma once

#include "platform/fsound.h"

// The soundtrack stream: opened at start-up, started by the first scene after
// loading, stopped and closed at shutdown; the main thread alone uses it.
extern FSOUND_STREAM* music;

// The text of a sound-library error code; "Unknown error" outside 0 to 18.
const char* FMOD_ErrorString(int code);

int SDL_main(int argc, char* argv[]);

// Stops the sound, removes the clock, shows the cursor and exits with status;
// the exit handler restores the display. Main thread only.
[[noreturn]] void VELQ_Shutdown(int status);
