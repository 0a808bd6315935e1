// The loader paces itself with fixed pauses so that loading takes at least
// 13 s, shows its progress in eight status words, closes the drive and
// finally gives the loading entry's clock an acceleration that ends it.
#include "engine/velq_loader.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <thread>

#include "archive/cfs.h"
#include "engine/velq2.h"
#include "engine/velq_scenes.h"
#include "platform/fatal.h"
#include "platform/word.h"

SDL_Thread* velq_loader_th = nullptr;
uint32_t velq_loader_st[VELQ_LOADER_STEPS] = {};
int velq_loader_stage = 0;

namespace {

bool velq_loader_rehearsing = false;
// The stages before this one have run for real since the last rewind; a
// replay rehearses them, so nothing is read twice and the drive closes once.
int velq_loader_ran = 0;
// The loading entry's clock acceleration from before the release.
float velq_loader_held_acc = 0;
bool velq_loader_released = false;

constexpr int kFirstPauseMs = 3000;
constexpr float kReleaseAcceleration = -10.0f;

struct LoaderStep {
    VELQ_SceneFn init[2];
    int pause_ms;
};

// Step i runs its INIT functions, sets status word i, then pauses.
constexpr LoaderStep kSteps[VELQ_LOADER_STEPS] = {
    {{VIS_INIT_Thornax, VIS_INIT_Zelto}, 1000},
    {{VIS_INIT_Angel, nullptr}, 2000},
    {{VIS_INIT_Tree, nullptr}, 1000},
    {{VIS_INIT_TMagic, nullptr}, 1000},
    {{VIS_INIT_Glow, nullptr}, 2000},
    {{VIS_INIT_Quibo, nullptr}, 1000},
    {{nullptr, nullptr}, 1000},
    {{nullptr, nullptr}, 1000},
};

// The stages: the trace line, the steps, then the end.
constexpr int kLastStep = VELQ_LOADER_STEPS;
constexpr int kEnd = kLastStep + 1;

// The loader is never stopped: when the viewer quits, the process exit
// unloads SDL while the loader may still be pausing. Its pauses therefore
// sleep in the C++ runtime, which stays in place until the process ends.
void Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

int RunStep(int i, bool quiet) {
    for (VELQ_SceneFn init : kSteps[i].init)
        if (init && !quiet) init();
    WORD_Store(velq_loader_st[i], 1u, WORD_RELEASE);
    return kSteps[i].pause_ms;
}

int Begin(bool quiet) {
    if (velq_tape[0].channel[0].vel != 0) {
        velq_loader_stage = kEnd + 1;
        return VELQ_LOADER_DONE;
    }
    if (!quiet) puts("VELQ_LOADER");
    return kFirstPauseMs;
}

int Finish(bool quiet) {
    if (!quiet) CFS_Close();
    VELQ_LoaderRelease();
    return VELQ_LOADER_DONE;
}

}  // namespace

int VELQ_LoaderNext() {
    const int stage = velq_loader_stage;
    if (stage > kEnd) return VELQ_LOADER_DONE;
    ++velq_loader_stage;
    const bool quiet = velq_loader_rehearsing || stage < velq_loader_ran;
    if (!velq_loader_rehearsing) velq_loader_ran = std::max(velq_loader_ran, stage + 1);
    if (stage == 0) return Begin(quiet);
    if (stage <= kLastStep) return RunStep(stage - 1, quiet);
    return Finish(quiet);
}

int VELQ_LoaderThread(void*) {
    for (int ms; (ms = VELQ_LoaderNext()) != VELQ_LOADER_DONE;) Sleep(ms);
    return 0;
}

void VELQ_LoaderRelease() {
    velq_loader_held_acc = velq_tape[0].channel[0].acc;
    velq_loader_released = true;
    // The last write: everything read before it is published with it.
    WORD_Store(velq_tape[0].channel[0].acc, kReleaseAcceleration, WORD_RELEASE);
}

void VELQ_LoaderRewind(VELQ_Run run) {
    if (velq_loader_released) velq_tape[0].channel[0].acc = velq_loader_held_acc;
    velq_loader_released = false;
    velq_loader_stage = 0;
    std::fill(std::begin(velq_loader_st), std::end(velq_loader_st), 0u);
    velq_loader_rehearsing = run == VELQ_RUN_REHEARSAL;
    if (run == VELQ_RUN_FRESH) velq_loader_ran = 0;
}

void VELQ_LoaderInit() {
    velq_loader_th = SDL_CreateThread(VELQ_LoaderThread, nullptr);
    if (!velq_loader_th) FATAL_Exit("");
}
