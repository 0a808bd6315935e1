#include "platform/output_file.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <string>

static bool OUTFILE_Write(const char* path, const std::vector<uint8_t>& bytes) {
    FILE* file = std::fopen(path, "wb");
    if (!file) return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

bool OUTFILE_IsReplaceable(const char* path) {
    struct stat st;
    if (lstat(path, &st) != 0) return errno == ENOENT;
    return S_ISREG(st.st_mode);
}

void OUTFILE_Discard(const char* path) {
    struct stat st;
    if (lstat(path, &st) == 0 && S_ISREG(st.st_mode)) std::remove(path);
}

bool OUTFILE_Save(const char* path, const std::vector<uint8_t>& bytes) {
    if (!OUTFILE_IsReplaceable(path)) return OUTFILE_Write(path, bytes);
    const std::string part = std::string(path) + ".part";
    if (OUTFILE_Write(part.c_str(), bytes) && std::rename(part.c_str(), path) == 0) return true;
    OUTFILE_Discard(part.c_str());
    return false;
}
