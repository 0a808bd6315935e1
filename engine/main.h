// The program's main routine.
#pragma once

#include "engine/velq_start.h"

int SDL_main(int argc, char* argv[]);

// Stops the sound, removes the clock, shows the cursor and exits with status;
// the exit handler restores the display. Main thread only.
[[noreturn]] void VELQ_Shutdown(int status);
