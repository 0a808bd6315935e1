// The release's entry point. A release is started from any folder, or by a
// double click: its drive and soundtrack lie beside the program, so that
// folder becomes the working folder before the main routine opens them.
#include "engine/main.h"
#include "platform/program_folder.h"

int main(int argc, char* argv[]) {
    FOLDER_EnterProgram();
    return SDL_main(argc, argv);
}
