// The background loader: reads every scene's assets on a second thread while
// the loading entry plays, then releases that entry.
#pragma once

#include <SDL.h>

#include <cstdint>

constexpr int VELQ_LOADER_STEPS = 8;
// What VELQ_LoaderNext returns once the loader has finished.
constexpr int VELQ_LOADER_DONE = -1;

// The loader thread, written once by the main thread at start-up.
extern SDL_Thread* velq_loader_th;
// One word per loading step, set to 1 by the loader once the step is done;
// the main thread reads them whole with acquire order (platform/word.h).
extern uint32_t velq_loader_st[VELQ_LOADER_STEPS];
// The loader's next stage, 0 before it starts; only the thread that runs the
// loader touches it.
extern int velq_loader_stage;

void VELQ_LoaderInit();
int VELQ_LoaderThread(void* data);
// Runs the loader's next stage: its trace line, one step, or closing the
// drive and releasing the loading entry. Returns the pause in milliseconds
// that follows it, or VELQ_LOADER_DONE once the loader has finished. The
// thread sleeps out the pauses; a player that steps the production on one
// thread runs each stage when its time has come.
int VELQ_LoaderNext();
// Ends the loading entry: its clock channel gets the acceleration that
// takes it out of its range.
void VELQ_LoaderRelease();
// How a run starts in a process that may have played the production.
enum VELQ_Run {
    VELQ_RUN_FRESH,   // as a process starts: everything read anew
    VELQ_RUN_REPLAY,  // what the loader read stays read: stages that ran are rehearsed
    // Every stage rehearsed: its pause and the release kept, but no trace
    // line, no asset read and no drive closed. The tape's timing is worked
    // out from such a run.
    VELQ_RUN_REHEARSAL,
};

// The loader back before its start, the loading entry unreleased and no
// step done, for a run as run says.
void VELQ_LoaderRewind(VELQ_Run run);
