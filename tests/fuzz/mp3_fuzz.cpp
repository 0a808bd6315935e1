// Fuzzes the sound layer's stream path as the program uses it: open a file
// as the soundtrack, start it (one decode pass on this thread, then the
// decoder thread), stop it and close it. Output goes to SDL's dummy driver.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "sound/fsound.h"

namespace {

int fuzz_file = -1;
char fuzz_path[64];

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    if (!FSOUND_Init(44100, 32, 0)) abort();
    fuzz_file = memfd_create("soundtrack", 0);
    if (fuzz_file < 0) abort();
    snprintf(fuzz_path, sizeof fuzz_path, "/proc/self/fd/%d", fuzz_file);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (ftruncate(fuzz_file, 0) != 0 || pwrite(fuzz_file, data, size, 0) != ssize_t(size)) abort();
    FSOUND_STREAM* stream = FSOUND_Stream_Open(fuzz_path, 0, 0, 0);
    if (!stream) return 0;
    FSOUND_Stream_Play(2, stream);
    FSOUND_Stream_Stop(stream);
    FSOUND_Stream_Close(stream);
    return 0;
}
