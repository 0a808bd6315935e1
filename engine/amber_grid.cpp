// SDL 1.2 renames main only on some platforms; here the program's entry
// point hands over to the main routine explicitly.
#include "engine/main.h"

int main(int argc, char* argv[]) { return SDL_main(argc, argv); }
