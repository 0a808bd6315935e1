#include "tests/gl_bench.h"

#include <GL/gl.h>
#include <SDL.h>
#include <png.h>

#include <cstdio>
#include <filesystem>
#include <stdexcept>

#include "archive/cfs.h"
#include "engine/velq2.h"
#include "tests/xvfb.h"

void BENCH_Start() {
    XVFB_Start();
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_TIMER) != 0)
        throw std::runtime_error(std::string("SDL_Init: ") + SDL_GetError());
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
    if (!SDL_SetVideoMode(BENCH_WIDTH, BENCH_HEIGHT, 32, SDL_OPENGL))
        throw std::runtime_error(std::string("SDL_SetVideoMode: ") + SDL_GetError());
}

void BENCH_LoadDrive(const char* path) { CFS_Open(path); }

void BENCH_SetChannels(float value0, float value1) {
    velq_ctrls.value[0] = value0;
    velq_ctrls.value[1] = value1;
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

std::string BENCH_SaveFrame(const std::vector<uint8_t>& frame, const std::string& name) {
    const std::filesystem::path dir = std::filesystem::path(BENCH_FRAMES_DIR);
    std::filesystem::create_directories(dir);
    const std::string path = (dir / (name + ".png")).string();
    BENCH_SavePNG(path.c_str(), frame, BENCH_WIDTH, BENCH_HEIGHT);
    return path;
}

void BENCH_SavePNG(const char* path, const std::vector<uint8_t>& rgba, int width, int height) {
    // Saved opaque: the window's alpha channel is not part of the picture.
    std::vector<uint8_t> opaque(rgba);
    for (size_t i = 3; i < opaque.size(); i += 4) opaque[i] = 255;
    png_image image = {};
    image.version = PNG_IMAGE_VERSION;
    image.width = width;
    image.height = height;
    image.format = PNG_FORMAT_RGBA;
    // A negative stride writes the bottom row last, so the PNG stands upright.
    const png_int_32 stride = -static_cast<png_int_32>(width * 4);
    if (!png_image_write_to_file(&image, path, 0, opaque.data(), stride, nullptr))
        throw std::runtime_error(std::string("cannot write ") + path);
}
