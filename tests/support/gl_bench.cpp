#include "tests/support/gl_bench.h"

#include <GL/gl.h>

#include <algorithm>
#include <filesystem>

#include "engine/velq2.h"

namespace {

// The production time at which the current entry started.
uint64_t bench_entry_us = 0;
// Where entries 1 to 10 start and the tape ends, at one frame per tick.
std::vector<uint64_t> bench_tape_times;

}  // namespace

void BENCH_Start() {
    bench_tape_times = VELQ_PLAY_TapeTimes(VELQ_TICKS_PER_SECOND);
    PLAYER_OpenScreen(true);
}

void BENCH_LoadProduction() {
    PLAYER_Start(BENCH_DRIVE);
    VELQ_PLAY_AdvanceTo(bench_tape_times[0]);
}

void BENCH_EnterEntry(int entry, const char* drive) {
    PLAYER_Start(drive);
    bench_entry_us = 0;
    for (int e = 1; e <= entry; ++e)
        VELQ_PLAY_FrameAt(bench_entry_us = bench_tape_times[e - 1], true);
}

float BENCH_EntrySeconds(int e) {
    return float(bench_tape_times.at(e) - bench_tape_times.at(e - 1)) / VELQ_PLAY_SECOND_US;
}

int BENCH_TapeFrame(float t) {
    const int32_t entry = velq_caller;
    const uint64_t us = bench_entry_us + static_cast<uint64_t>(t * double(VELQ_PLAY_SECOND_US));
    const int ended = VELQ_PLAY_FrameAt(us, true);
    if (velq_caller != entry) bench_entry_us = us;
    return ended;
}

void BENCH_DrawAt(float value0, float value1) {
    velq_ctrls.value[0] = value0;
    velq_ctrls.value[1] = value1;
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    velq_tape[velq_caller].call();
}

void BENCH_WindowPixels() {
    glViewport(0, 0, VELQ_SCREEN_WIDTH, VELQ_SCREEN_HEIGHT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, VELQ_SCREEN_WIDTH, 0, VELQ_SCREEN_HEIGHT, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void BENCH_RunScene(void (*prep)(), void (*call)()) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    if (prep) prep();
    call();
}

BENCH_Rgb BENCH_Pixel(const std::vector<uint8_t>& frame, int x, int y) {
    const uint8_t* p = &frame.at((static_cast<size_t>(y) * VELQ_SCREEN_WIDTH + x) * 4);
    return {p[0], p[1], p[2]};
}

BENCH_Census BENCH_Count(const std::vector<uint8_t>& frame, bool (*subject)(BENCH_Rgb), int y0,
                         int y1) {
    BENCH_Census c;
    long sum_x = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = 0; x < VELQ_SCREEN_WIDTH; ++x) {
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
    c.brightness /= double(VELQ_SCREEN_WIDTH) * (y1 - y0);
    if (c.count) c.mean_x = double(sum_x) / c.count;
    return c;
}

std::string BENCH_SaveFrame(const std::vector<uint8_t>& frame, const std::string& name) {
    const std::filesystem::path dir = std::filesystem::path(BENCH_FRAMES_DIR);
    std::filesystem::create_directories(dir);
    const std::string path = (dir / (name + ".png")).string();
    PLAYER_SavePng(path.c_str(), frame, VELQ_SCREEN_WIDTH, VELQ_SCREEN_HEIGHT);
    return path;
}
