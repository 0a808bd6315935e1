#include "tests/support/gl_bench.h"

#include <GL/gl.h>
#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <stdexcept>

#include "archive/cfs.h"
#include "engine/velq2.h"
#include "media/png_write.h"
#include "scenes/vis.h"
#include "tests/support/xvfb.h"

void BENCH_Start() {
    XVFB_Start();
    BENCH_OpenWindow();
}

void BENCH_OpenWindow() {
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_TIMER) != 0)
        throw std::runtime_error(std::string("SDL_Init: ") + SDL_GetError());
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
    if (!SDL_SetVideoMode(BENCH_WIDTH, BENCH_HEIGHT, 32, SDL_OPENGL))
        throw std::runtime_error(std::string("SDL_SetVideoMode: ") + SDL_GetError());
}

void BENCH_LoadDrive(const char* path) { CFS_Open(path); }

void BENCH_LoadProduction() {
    CFS_Open(BENCH_DRIVE);
    VIS_INIT_Loading();
    for (auto init : {VIS_INIT_Thornax, VIS_INIT_Zelto, VIS_INIT_Angel, VIS_INIT_Tree,
                      VIS_INIT_TMagic, VIS_INIT_Glow, VIS_INIT_Quibo})
        init();
}

namespace {

// Far past the end of every entry's channel-0 range.
constexpr float kPastTheEnd = 1000;
// The loader's release of the loading entry.
constexpr float kLoaderRelease = -10;

}  // namespace

int BENCH_TapeFrame(float t) {
    for (VELQ_Clock& c : velq_ctrls.clock) c = {t, t * t};
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    return VElQ_Update();
}

void BENCH_EnterEntry(int entry) {
    velq_tape[0].channel[0].acc = kLoaderRelease;
    velq_caller = 0;
    velq_ctrl = 0;
    velq_ctrls = {};
    VELQ_CoreInit();
    BENCH_TapeFrame(0);
    while (velq_caller < entry) {
        BENCH_TapeFrame(kPastTheEnd / 2);  // the entry's last frame: out of range
        BENCH_TapeFrame(kPastTheEnd);      // the next entry's PREP and first frame
    }
}

void BENCH_DrawAt(float value0, float value1) {
    velq_ctrls.value[0] = value0;
    velq_ctrls.value[1] = value1;
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    velq_tape[velq_caller].call();
}

void BENCH_WindowPixels() {
    glViewport(0, 0, BENCH_WIDTH, BENCH_HEIGHT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, BENCH_WIDTH, 0, BENCH_HEIGHT, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void BENCH_RunScene(void (*prep)(), void (*call)()) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    if (prep) prep();
    call();
}

std::vector<uint8_t> BENCH_ReadFrame() {
    std::vector<uint8_t> frame(BENCH_WIDTH * BENCH_HEIGHT * 4);
    glFinish();
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, BENCH_WIDTH, BENCH_HEIGHT, GL_RGBA, GL_UNSIGNED_BYTE, frame.data());
    return frame;
}

BENCH_Rgb BENCH_Pixel(const std::vector<uint8_t>& frame, int x, int y) {
    const uint8_t* p = &frame.at((static_cast<size_t>(y) * BENCH_WIDTH + x) * 4);
    return {p[0], p[1], p[2]};
}

BENCH_Census BENCH_Count(const std::vector<uint8_t>& frame, bool (*subject)(BENCH_Rgb), int y0,
                         int y1) {
    BENCH_Census c;
    long sum_x = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = 0; x < BENCH_WIDTH; ++x) {
            const BENCH_Rgb p = BENCH_Pixel(frame, x, y);
            c.brightness += p.r + p.g + p.b;
            if (!subject(p)) continue;
            const int luma = (p.r * 3 + p.g * 6 + p.b) / 10;
            ++c.count;
            sum_x += x;
            c.x0 = std::min(c.x0, x), c.x1 = std::max(c.x1, x);
            c.y0 = std::min(c.y0, y), c.y1 = std::max(c.y1, y);
            c.darkest = std::min(c.darkest, luma), c.brightest = std::max(c.brightest, luma);
            c.red += p.r, c.blue += p.b;
        }
    c.brightness /= double(BENCH_WIDTH) * (y1 - y0);
    if (c.count) c.mean_x = double(sum_x) / c.count;
    return c;
}

std::string BENCH_SaveFrame(const std::vector<uint8_t>& frame, const std::string& name) {
    const std::filesystem::path dir = std::filesystem::path(BENCH_FRAMES_DIR);
    std::filesystem::create_directories(dir);
    const std::string path = (dir / (name + ".png")).string();
    BENCH_SavePNG(path.c_str(), frame, BENCH_WIDTH, BENCH_HEIGHT);
    return path;
}

void BENCH_SavePNG(const char* path, const std::vector<uint8_t>& rgba, int width, int height) {
    // The window's alpha channel is not part of the picture.
    std::vector<uint8_t> rgb;
    rgb.reserve(rgba.size() / 4 * 3);
    for (size_t i = 0; i < rgba.size(); i += 4) rgb.insert(rgb.end(), &rgba[i], &rgba[i + 3]);
    if (!MEDIA_WritePng(path, rgb, width, height, true))
        throw std::runtime_error(std::string("cannot write ") + path);
}
