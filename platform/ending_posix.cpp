#include <signal.h>

#include "platform/ending.h"

namespace {

bool (*end_quit)() = nullptr;

void OnSignal(int sig) {
    if (end_quit()) return;
    signal(sig, SIG_DFL);
    raise(sig);
}

}  // namespace

void END_CatchQuitRequests(bool (*quit)()) {
    end_quit = quit;
    struct sigaction action {};
    action.sa_handler = OnSignal;
    // The handler only sets a word: whatever call it interrupted goes on.
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}
