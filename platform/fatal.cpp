#include "platform/fatal.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>

namespace {

std::atomic<bool> fatal_reported{false};
std::atomic<void (*)()> fatal_end{nullptr};

}  // namespace

void FATAL_Report(const char* message) {
    if (fatal_reported.exchange(true)) return;
    std::fputs(message, stdout);
    std::fflush(stdout);
}

void FATAL_Exit(const char* message) {
    FATAL_Report(message);
    if (void (*const end)() = fatal_end.load()) end();
    std::exit(1);
}

void FATAL_SetEnd(void (*end)()) { fatal_end.store(end); }
