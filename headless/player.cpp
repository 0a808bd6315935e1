#include "headless/player.h"

#include <GL/gl.h>
#include <SDL.h>

#include <cstdlib>
#include <stdexcept>
#include <string>

#include "engine/velq_play.h"
#include "headless/xvfb.h"
#include "media/png_write.h"
#include "platform/display.h"
#include "sound/fsound.h"

namespace {

uint64_t player_played_us = PLAYER_NOT_PLAYED;

}  // namespace

void PLAYER_OpenScreen(bool own_server) {
    if (own_server || !std::getenv("DISPLAY")) XVFB_Start();
    DISPLAY_Prepare(VELQ_SCREEN_WIDTH, VELQ_SCREEN_HEIGHT, false);
    // SDL would turn SIGINT and SIGTERM into quit events, which a headless
    // player never reads: Ctrl-C, or a capture ending its players, would
    // leave it drawing to the end.
    setenv("SDL_NO_SIGNAL_HANDLERS", "1", 0);
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_TIMER) != 0)
        throw std::runtime_error(std::string("SDL_Init: ") + SDL_GetError());
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
    if (!SDL_SetVideoMode(VELQ_SCREEN_WIDTH, VELQ_SCREEN_HEIGHT, 32, SDL_OPENGL))
        throw std::runtime_error(std::string("SDL_SetVideoMode: ") + SDL_GetError());
}

void PLAYER_Start(const char* drive) {
    player_played_us = PLAYER_NOT_PLAYED;
    VELQ_PLAY_Start(drive, VELQ_PLAY_STEPPED);
}

uint64_t PLAYER_SoundtrackStartUs() { return player_played_us; }

std::vector<uint8_t> PLAYER_ReadFrame() {
    std::vector<uint8_t> frame(VELQ_SCREEN_WIDTH * VELQ_SCREEN_HEIGHT * 4);
    glFinish();
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, VELQ_SCREEN_WIDTH, VELQ_SCREEN_HEIGHT, GL_RGBA, GL_UNSIGNED_BYTE,
                 frame.data());
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
    if (player_played_us == PLAYER_NOT_PLAYED) player_played_us = VELQ_PLAY_NowUs();
    return channel;
}
