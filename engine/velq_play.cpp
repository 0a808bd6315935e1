#include "engine/velq_play.h"

#include <algorithm>

#include "archive/cfs.h"
#include "engine/velq2.h"
#include "engine/velq_scenes.h"
#include "gl1/gl.h"

namespace {

constexpr uint64_t kNever = UINT64_MAX;
constexpr uint64_t kTickUs = VELQ_TICK_MS * uint64_t{1000};

// Stepped play's virtual time, and when its loader's next stage is due.
uint64_t velq_play_now_us = 0;
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

// The loader on the calling thread, its first stage due now.
void BeginLoader() {
    velq_play_loader_due = velq_play_now_us;
    CatchUpLoader(velq_play_now_us);
}

// The engine's own modules as a run starts them, at virtual time 0.
void RewindEngine(VELQ_Run run) {
    VELQ_LoaderRewind(run);
    VELQ_CoreRewind();
    velq_play_now_us = 0;
    if (run == VELQ_RUN_REHEARSAL) velq_frame_work = VELQ_FRAME_NONE;
}

// The one reset before every stepped run.
void Reset(VELQ_Run run) {
    RewindEngine(run);
    VIS_DefaultGL();
    for (const VELQ_SceneHooks& scene : velq_scene_hooks)
        if (scene.rewind) scene.rewind();
}

// Moves virtual time on to us a tick at a time, catching up after each
// step: the clock takes a longer gap for a stall and would not catch it up.
void StepTo(uint64_t us) {
    while (velq_play_now_us < us) {
        velq_play_now_us = std::min(us, velq_play_now_us + kTickUs);
        CatchUpLoader(velq_play_now_us);
        VELQ_TickAt(velq_play_now_us);
    }
}

int32_t Sequence(bool clear) {
    if (clear) return VELQ_PLAY_Frame();
    return VElQ_Update();
}

// The program draws several frames per tick, so it enters the next entry
// within the tick in which the current one ended.
int SequenceFrame(bool clear) {
    if (Sequence(clear) == 1) return 1;
    if (VELQ_EntryEnds()) return Sequence(clear);
    return 0;
}

}  // namespace

void VELQ_PLAY_Start(const char* drive, VELQ_PlayMode mode) {
    CFS_Close();
    CFS_Open(drive);
    VELQ_PLAY_Begin(mode, VELQ_RUN_FRESH);
}

void VELQ_PLAY_Begin(VELQ_PlayMode mode, VELQ_Run run) {
    const bool fresh = run == VELQ_RUN_FRESH;
    if (mode == VELQ_PLAY_THREADS) {
        VELQ_LoaderInit();
    } else {
        Reset(run);
        BeginLoader();
    }
    if (fresh) VIS_INIT_Loading();
    if (mode == VELQ_PLAY_THREADS)
        VELQ_TimerInit();
    else if (fresh)
        VELQ_ClockInit(velq_play_now_us);
    else
        VELQ_ClockStart(velq_play_now_us);
    if (fresh)
        VELQ_CoreInit();
    else
        VELQ_CoreEnter();
}

int32_t VELQ_PLAY_Frame() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    const int32_t ended = VElQ_Update();
    glFlush();  // the frame is whole before anyone shows or reads it
    return ended;
}

int VELQ_PLAY_FrameAt(uint64_t us, bool clear) {
    StepTo(us);
    return SequenceFrame(clear);
}

void VELQ_PLAY_AdvanceTo(uint64_t us) { StepTo(us); }

int VELQ_PLAY_Skip(int64_t first, int64_t end, int fps) {
    int ended = 0;
    velq_frame_work = VELQ_FRAME_STATE;
    for (int64_t k = first; k + 1 < end && !ended; ++k)
        ended = VELQ_PLAY_FrameAt(VELQ_PLAY_FrameUs(k, fps), false);
    velq_frame_work = VELQ_FRAME_DRAW;
    // Its CALL leaves the OpenGL state in which frame end starts.
    if (!ended && first < end) ended = VELQ_PLAY_FrameAt(VELQ_PLAY_FrameUs(end - 1, fps), false);
    return ended;
}

uint64_t VELQ_PLAY_NowUs() { return velq_play_now_us; }

uint64_t VELQ_PLAY_FrameUs(int64_t k, int fps) { return k * VELQ_PLAY_SECOND_US / fps; }

int64_t VELQ_PLAY_FrameOn(uint64_t us, int fps) {
    // Frame times are rounded down to whole microseconds: the next frame
    // may start within the microsecond.
    const int64_t k = us * fps / VELQ_PLAY_SECOND_US;
    return VELQ_PLAY_FrameUs(k + 1, fps) <= us ? k + 1 : k;
}

std::vector<uint64_t> VELQ_PLAY_TapeTimes(int fps) {
    RewindEngine(VELQ_RUN_REHEARSAL);
    BeginLoader();
    VELQ_ClockStart(velq_play_now_us);
    std::vector<uint64_t> times;
    for (int64_t k = 0; velq_caller <= VELQ_LAST_ENTRY; ++k) {
        const int32_t entry = velq_caller;
        if (VELQ_PLAY_FrameAt(VELQ_PLAY_FrameUs(k, fps), false) == 1 || velq_caller != entry)
            times.push_back(velq_play_now_us);
    }
    RewindEngine(VELQ_RUN_FRESH);
    return times;
}

std::vector<double> VELQ_PLAY_SceneTimes() {
    const std::vector<uint64_t> times = VELQ_PLAY_TapeTimes(VELQ_TICKS_PER_SECOND);
    std::vector<double> seconds;
    for (uint64_t us : times) seconds.push_back(double(us - times[0]) / VELQ_PLAY_SECOND_US);
    return seconds;
}
