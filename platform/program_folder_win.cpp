// The module's path as Windows gives it, in UTF-16, so a folder with spaces
// or letters outside the system's code page works.
#include <windows.h>

#include <filesystem>
#include <string>

#include "platform/program_folder.h"

void FOLDER_EnterProgram() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), DWORD(path.size()));
        if (n == 0) return;
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        path.resize(path.size() * 2);
    }
    std::error_code error;
    std::filesystem::current_path(std::filesystem::path(path).parent_path(), error);
}
