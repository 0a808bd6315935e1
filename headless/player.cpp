#include "headless/player.h"

#include <GL/gl.h>
#include <SDL.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>

#include "archive/cfs.h"
#include "engine/velq2.h"
#include "engine/velq_loader.h"
#include "engine/velq_play.h"
#include "headless/xvfb.h"
#include "media/png_write.h"
#include "platform/fsound.h"

namespace {

constexpr uint64_t kTickUs = VELQ_TICK_MS * uint64_t{1000};

uint64_t player_now_us = 0;
uint64_t player_played_us = PLAYER_NOT_PLAYED;
bool player_started = false;
// The loading entry's clock channel as the tape holds it before the loader
// releases it.
VELQ_Channel player_loading_clock;

uint64_t VirtualClock() { return player_now_us; }
void Nothing() {}
void Tick() { VElQ_Tick(VELQ_TICK_MS, nullptr); }

// Moves virtual time on to us a tick at a time, running catch_up after each
// step: the clock takes a longer gap for a stall and would not catch it up.
void StepTo(uint64_t us, void (*catch_up)()) {
    while (player_now_us < us) {
        player_now_us = std::min(us, player_now_us + kTickUs);
        catch_up();
    }
}

bool EntryClockOutOfRange() {
    const VELQ_Channel& c = velq_tape[velq_caller].channel[0];
    return velq_ctrls.value[0] < c.min || velq_ctrls.value[0] > c.max;
}

int32_t Sequence(bool draw) {
    if (draw) return VELQ_PLAY_Frame();
    return VElQ_Update();
}

// The program draws several frames per tick, so it enters the next entry
// within the tick in which the current one ended.
int SequenceFrame(bool draw) {
    if (Sequence(draw) == 1) return 1;
    if (EntryClockOutOfRange()) return Sequence(draw);
    return 0;
}

// The engine as a process starts it: first entry, clocks at zero, nothing
// loaded, virtual time at 0.
void Rewind() {
    if (player_started) {
        velq_tape[0].channel[0] = player_loading_clock;
        CFS_Close();
    }
    player_loading_clock = velq_tape[0].channel[0];
    player_started = true;
    velq_caller = 0;
    velq_ctrl = 0;
    velq_ctrls = {};
    velq_loader_stage = 0;
    std::fill(std::begin(velq_loader_st), std::end(velq_loader_st), 0u);
    velq_clock_us = VirtualClock;
    player_now_us = 0;
    player_played_us = PLAYER_NOT_PLAYED;
}

// The scene slots of every entry replaced by one that does nothing.
void LeaveScenesOut() {
    for (int e = 0; e <= VELQ_LAST_ENTRY; ++e) {
        velq_tape[e].call = Nothing;
        if (velq_tape[e].prep) velq_tape[e].prep = Nothing;
    }
}

}  // namespace

void PLAYER_OpenScreen(bool own_server) {
    if (own_server || !std::getenv("DISPLAY")) XVFB_Start();
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_TIMER) != 0)
        throw std::runtime_error(std::string("SDL_Init: ") + SDL_GetError());
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
    if (!SDL_SetVideoMode(PLAYER_WIDTH, PLAYER_HEIGHT, 32, SDL_OPENGL))
        throw std::runtime_error(std::string("SDL_SetVideoMode: ") + SDL_GetError());
}

void PLAYER_Start(const char* drive) {
    Rewind();
    VELQ_PLAY_Start(drive, VELQ_PLAY_STEPPED);
}

void PLAYER_AdvanceTo(uint64_t us) { StepTo(us, VELQ_PLAY_CatchUp); }

int PLAYER_FrameAt(uint64_t us, bool draw) {
    PLAYER_AdvanceTo(us);
    return SequenceFrame(draw);
}

uint64_t PLAYER_FrameUs(int64_t k, int fps) { return k * PLAYER_SECOND_US / fps; }

std::vector<uint64_t> PLAYER_TapeTimes(int fps) {
    VELQ_TapeEntry tape[VELQ_TAPE_LENGTH];
    std::memcpy(tape, velq_tape, sizeof tape);
    uint64_t (*const clock)() = velq_clock_us;
    LeaveScenesOut();
    velq_clock_us = VirtualClock;
    player_now_us = 0;
    velq_caller = 0;
    velq_ctrl = 0;
    velq_ctrls = {};
    VELQ_ClockStart();
    const uint64_t release = VELQ_LoaderPaceMs() * uint64_t{1000};
    std::vector<uint64_t> times;
    for (int64_t k = 0; velq_caller <= VELQ_LAST_ENTRY; ++k) {
        StepTo(PLAYER_FrameUs(k, fps), Tick);
        if (player_now_us >= release) VELQ_LoaderRelease();
        const int32_t entry = velq_caller;
        if (SequenceFrame(false) == 1 || velq_caller != entry) times.push_back(player_now_us);
    }
    std::memcpy(velq_tape, tape, sizeof tape);
    velq_clock_us = clock;
    player_now_us = 0;
    velq_caller = 0;
    velq_ctrl = 0;
    velq_ctrls = {};
    return times;
}

std::vector<double> PLAYER_SceneTimes() {
    const std::vector<uint64_t> times = PLAYER_TapeTimes(50);
    std::vector<double> seconds;
    for (uint64_t us : times) seconds.push_back(double(us - times[0]) / PLAYER_SECOND_US);
    return seconds;
}

uint64_t PLAYER_SoundtrackStartUs() { return player_played_us; }

std::vector<uint8_t> PLAYER_ReadFrame() {
    std::vector<uint8_t> frame(PLAYER_WIDTH * PLAYER_HEIGHT * 4);
    glFinish();
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, PLAYER_WIDTH, PLAYER_HEIGHT, GL_RGBA, GL_UNSIGNED_BYTE, frame.data());
    return frame;
}

void PLAYER_SavePng(const char* path, const std::vector<uint8_t>& rgba, int width, int height) {
    std::vector<uint8_t> rgb;
    rgb.reserve(rgba.size() / 4 * 3);
    for (size_t i = 0; i < rgba.size(); i += 4) rgb.insert(rgb.end(), &rgba[i], &rgba[i + 3]);
    if (!MEDIA_WritePng(path, rgb, width, height, true))
        throw std::runtime_error(std::string("cannot write ") + path);
}

// Every program that plays headless links with the scenes' play request
// routed here (see CMakeLists.txt): there is no sound device to play on,
// and the time of the first request is what the tools and tests need.
extern "C" int __wrap__Z18FSOUND_Stream_PlayiP13FSOUND_STREAM(int channel, FSOUND_STREAM*) {
    if (player_played_us == PLAYER_NOT_PLAYED) player_played_us = player_now_us;
    return channel;
}
