// The background loader: reads every scene's assets on a second thread while
// the loading entry plays, then releases that entry.
#pragma once

#include <SDL.h>

#include <cstdint>

constexpr int VELQ_LOADER_STEPS = 8;

// The loader thread, written once by the main thread at start-up.
extern SDL_Thread* velq_loader_th;
// One word per loading step, set to 1 by the loader thread once the step is
// done; the main thread reads them with std::atomic_ref and acquire order.
extern uint32_t velq_loader_st[VELQ_LOADER_STEPS];

// How the loader waits out its pauses: it sleeps, unless a tool that plays
// the production in virtual time passes that time instead. Set before the
// loader starts.
extern void (*velq_loader_pause)(Uint32 ms);

void VELQ_LoaderInit();
int VELQ_LoaderThread(void* data);
// Ends the loading entry: its clock channel gets the acceleration that
// takes it out of its range.
void VELQ_LoaderRelease();
// The sum of the loader's pauses: how long loading takes at the least.
Uint32 VELQ_LoaderPaceMs();
