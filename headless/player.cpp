#include "headless/player.h"

#include <GL/gl.h>
#include <SDL.h>

#include <cstdlib>
#include <stdexcept>
#include <string>

#include "engine/velq_step.h"
#include "headless/xvfb.h"
#include "media/png_write.h"
#include "platform/fsound.h"

namespace {

uint64_t player_played_us = PLAYER_NOT_PLAYED;

}  // namespace

void PLAYER_OpenScreen(bool own_server) {
    if (own_server || !std::getenv("DISPLAY")) XVFB_Start();
    // A window of its own fixed size: nothing to scale.
    VELQ_DrawUnscaled();
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_TIMER) != 0)
        throw std::runtime_error(std::string("SDL_Init: ") + SDL_GetError());
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
    if (!SDL_SetVideoMode(PLAYER_WIDTH, PLAYER_HEIGHT, 32, SDL_OPENGL))
        throw std::runtime_error(std::string("SDL_SetVideoMode: ") + SDL_GetError());
}

void PLAYER_Start(const char* drive) {
    player_played_us = PLAYER_NOT_PLAYED;
    VELQ_STEP_Start(drive);
}

void PLAYER_AdvanceTo(uint64_t us) { VELQ_STEP_AdvanceTo(us); }

int PLAYER_FrameAt(uint64_t us, bool draw) { return VELQ_STEP_FrameAt(us, draw); }

uint64_t PLAYER_FrameUs(int64_t k, int fps) { return VELQ_STEP_FrameUs(k, fps); }

std::vector<uint64_t> PLAYER_TapeTimes(int fps) { return VELQ_STEP_TapeTimes(fps); }

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
    if (player_played_us == PLAYER_NOT_PLAYED) player_played_us = VELQ_STEP_NowUs();
    return channel;
}
