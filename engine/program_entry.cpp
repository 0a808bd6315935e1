// The program's entry point: SDL 1.2 renames main only on some platforms,
// so it hands over to the main routine explicitly. It runs from the folder
// that holds its drive and soundtrack; the release's own start finds them
// from anywhere.
#include "engine/main.h"

int main(int argc, char* argv[]) { return SDL_main(argc, argv); }
