// A fatal failure on the main thread shuts down in order and exits with
// status 1. On any other thread, running the exit handlers there would tear
// SDL and the GL driver down under a main thread that is still rendering, so
// the failing thread publishes the failure and parks; the frame loop picks it
// up within a frame and shuts down in order. Should the main thread not
// answer in time (blocked in the driver), the failing thread ends the
// process at once (END_Now): no handler runs, and the display drops the window.
// A failing display gets a watcher thread that does the same.
#include "engine/velq_exit.h"

#include <SDL.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "engine/velq2.h"
#include "engine/velq_start.h"
#include "platform/ending.h"
#include "platform/fatal.h"

namespace {

using namespace std::chrono_literals;

// The states of velq_exit_state.
enum : int { kRunning, kQuitAsked, kFatalAsked, kEnding };

// How long a failing thread waits for the main thread to take its failure,
// and then for the process to end, before it ends the process itself.
constexpr auto kTakeWait = 500ms;
constexpr auto kEndWait = 3s;
constexpr auto kPoll = 1ms;

// Lock-free, so the signal handler may write it.
std::atomic<int> velq_exit_state{kRunning};
static_assert(std::atomic<int>::is_always_lock_free);
std::thread::id velq_main_thread;
// The status the main thread is ending with, once it is.
std::atomic<int> velq_exit_status{1};
std::atomic<bool> velq_display_lost{false};
std::atomic<bool> velq_display_reported{false};

bool OnMainThread() { return std::this_thread::get_id() == velq_main_thread; }

// The first request from outside asks for the same end as a window close; a
// second one, while an end is under way, ends the process as by default.
bool VELQ_OnQuitRequest() {
    int running = kRunning;
    return velq_exit_state.compare_exchange_strong(running, kQuitAsked);
}

// True once the main thread has begun to end the process, false after limit.
bool VELQ_EndingWithin(std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (velq_exit_state.load(std::memory_order_acquire) != kEnding) {
        if (std::chrono::steady_clock::now() >= end) return false;
        std::this_thread::sleep_for(kPoll);
    }
    return true;
}

// Waits for the main thread to end the process, and ends it if it does not.
[[noreturn]] void VELQ_AwaitEnd() {
    if (!VELQ_EndingWithin(kTakeWait)) END_Now(1);
    std::this_thread::sleep_for(kEndWait);
    END_Now(velq_exit_status.load());
}

// Hands the failure to the main thread and parks until the process ends.
// A quit asked before the failure keeps its status.
[[noreturn]] void VELQ_HandOver() {
    int running = kRunning;
    velq_exit_state.compare_exchange_strong(running, kFatalAsked, std::memory_order_acq_rel);
    VELQ_AwaitEnd();
}

// Marks that the main thread is ending the process with status; from here
// on a failing thread only waits for the end.
void VELQ_ExitBegin(int status) {
    velq_exit_status.store(status);
    velq_exit_state.store(kEnding, std::memory_order_release);
}

// The end of every fatal failure: its message is already out and flushed.
void VELQ_OnFatal() {
    if (OnMainThread()) VELQ_Shutdown(1);
    VELQ_HandOver();
}

}  // namespace

void VELQ_ExitDisplayFailed(const char* message) {
    FATAL_Report(message);
    if (!velq_display_reported.exchange(true)) {
        // The call that failed goes on inside the GL driver, which may then
        // clear a buffer of whatever size it read off the lost window: a
        // gigabyte and more, for seconds. A watcher ends the process should
        // that keep the main thread from the frame loop.
        std::thread(VELQ_AwaitEnd).detach();
    }
    int running = kRunning;
    velq_exit_state.compare_exchange_strong(running, kFatalAsked, std::memory_order_acq_rel);
}

void VELQ_ExitDisplayLost(const char* message) {
    velq_display_lost.store(true);
    VELQ_ExitDisplayFailed(message);
    if (!OnMainThread()) VELQ_HandOver();
    // Lost while shutting down: what is left of it needs the display.
    if (velq_exit_state.load(std::memory_order_acquire) == kEnding)
        END_Now(velq_exit_status.load());
    VELQ_Shutdown(1);
}

bool VELQ_DisplayLost() { return velq_display_lost.load(); }

void VELQ_ExitInit() {
    velq_main_thread = std::this_thread::get_id();
    FATAL_SetEnd(VELQ_OnFatal);
    END_CatchQuitRequests(VELQ_OnQuitRequest);
}

int VELQ_ExitPending() {
    switch (velq_exit_state.load(std::memory_order_acquire)) {
        case kQuitAsked:
            return 0;
        case kFatalAsked:
            return 1;
        default:
            return VELQ_EXIT_NONE;
    }
}

void VELQ_Shutdown(int status) {
    VELQ_ExitBegin(status);
    FSOUND_Stream_Stop(music);
    FSOUND_Stream_Close(music);
    FSOUND_Close();
    SDL_RemoveTimer(velq_timer_id);
    // Without a display there is no cursor to show, and SDL's exit handler
    // would wait on the dead connection for good.
    if (VELQ_DisplayLost()) END_Now(status);
    SDL_ShowCursor(SDL_ENABLE);
    END_Process(status);
}
