// The program's main routine.
#pragma once

#include "engine/velq_start.h"

int SDL_main(int argc, char* argv[]);
