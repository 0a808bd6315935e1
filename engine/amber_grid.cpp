// SDL 1.2 renames main only on some platforms; here the program's entry
// point hands over to the main routine explicitly.
#include "engine/main.h"

#ifdef AMBER_DATA_BESIDE_PROGRAM
#include <filesystem>

// A release is started from any folder, or by a double click: its drive and
// soundtrack lie beside the program, so that becomes the working folder.
static void EnterProgramFolder() {
    std::error_code error;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error) std::filesystem::current_path(exe.parent_path(), error);
}
#endif

int main(int argc, char* argv[]) {
#ifdef AMBER_DATA_BESIDE_PROGRAM
    EnterProgramFolder();
#endif
    return SDL_main(argc, argv);
}
