#include "platform/program_folder.h"

#include <filesystem>

void FOLDER_EnterProgram() {
    std::error_code error;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error) std::filesystem::current_path(exe.parent_path(), error);
}
