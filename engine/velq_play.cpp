#include "engine/velq_play.h"

#include "archive/cfs.h"
#include "engine/velq2.h"
#include "engine/velq_loader.h"
#include "engine/velq_scenes.h"
#include "gl1/gl.h"

namespace {

constexpr uint64_t kNever = UINT64_MAX;

// When the stepped loader's next stage is due, on the clock's time.
uint64_t velq_play_loader_due = kNever;

// Runs every loader stage whose time has come, each after the pause that
// the stage before it asked for.
void CatchUpLoader(uint64_t now) {
    while (velq_play_loader_due <= now) {
        const int pause_ms = VELQ_LoaderNext();
        velq_play_loader_due = pause_ms == VELQ_LOADER_DONE
                                   ? kNever
                                   : velq_play_loader_due + pause_ms * uint64_t{1000};
    }
}

}  // namespace

void VELQ_PLAY_Start(const char* drive, VELQ_PlayMode mode) {
    CFS_Open(drive);
    VELQ_PLAY_Begin(mode);
}

void VELQ_PLAY_Begin(VELQ_PlayMode mode) {
    if (mode == VELQ_PLAY_THREADS)
        VELQ_LoaderInit();
    else
        VELQ_PLAY_BeginLoader();
    VIS_INIT_Loading();
    if (mode == VELQ_PLAY_THREADS)
        VELQ_TimerInit();
    else
        VELQ_ClockInit();
    VELQ_CoreInit();
}

void VELQ_PLAY_BeginLoader() {
    velq_play_loader_due = velq_clock_us();
    CatchUpLoader(velq_play_loader_due);
}

void VELQ_PLAY_Replay() {
    VELQ_LoaderReplay();
    VELQ_CoreRewind();
    VIS_Rewind();
    VELQ_PLAY_BeginLoader();
    VELQ_ClockStart();
    VELQ_CoreEnter();
}

void VELQ_PLAY_CatchUp() {
    CatchUpLoader(velq_clock_us());
    VElQ_Tick(VELQ_TICK_MS, nullptr);
}

int32_t VELQ_PLAY_Frame() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    return VElQ_Update();
}
