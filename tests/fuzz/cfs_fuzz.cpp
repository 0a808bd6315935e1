// Fuzzes the whole read path of a drive: CFS_Open, then every directory
// entry through the reader its type names, and the normals of each mesh.
// A fatal failure is a correct outcome, so this build's CFS_Fatal checks the
// message's form and throws back to the fuzzer instead of ending the process;
// the handler and readers release their blocks before reporting, and the
// close afterwards releases the drive, so leaks still count as findings.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "archive/cfs.h"

namespace {

struct FuzzFatal {};

// Entries read per drive: enough for every path, few enough to stay fast.
constexpr uint32_t kMaxEntries = 16;

int fuzz_drive = -1;
char fuzz_path[64];

void FUZZ_ReadEntry(const CFS_Entry& entry) {
    char name[CFS_NAME_SIZE];
    std::memcpy(name, entry.name, sizeof name);
    if (entry.type == CFS_TYPE_ASE) {
        CFS_Mesh* mesh = CFS_ReadASE(name);
        free(CFS_CalcNormsASE(mesh));
        free(mesh->tris);
        free(mesh);
    } else {
        CFS_Pict* pict = CFS_ReadPNG24(name);
        free(pict->pixels);
        free(pict);
    }
}

}  // namespace

// Every message is one line ending in a full stop.
void CFS_Fatal(const char* message) {
    const char* line_end = std::strchr(message, '\n');
    if (!line_end || line_end[1] != '\0' || line_end == message || line_end[-1] != '.') abort();
    fputs(message, stdout);
    throw FuzzFatal{};
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    if (!freopen("/dev/null", "w", stdout)) abort();
    fuzz_drive = memfd_create("drive", 0);
    if (fuzz_drive < 0) abort();
    snprintf(fuzz_path, sizeof fuzz_path, "/proc/self/fd/%d", fuzz_drive);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (ftruncate(fuzz_drive, 0) != 0 || pwrite(fuzz_drive, data, size, 0) != ssize_t(size))
        abort();
    try {
        CFS_Open(fuzz_path);
        for (uint32_t i = 0; i < cfs_nfiles && i < kMaxEntries; i++)
            FUZZ_ReadEntry(cfs_directory[i]);
    } catch (const FuzzFatal&) {
    }
    CFS_Close();
    return 0;
}
