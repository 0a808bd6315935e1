// The rendering bench itself, on a frame the test draws, and the core start,
// which needs the OpenGL window.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "engine/velq2.h"
#include "engine/velq_scenes.h"
#include "tests/support/gl_bench.h"

namespace {

void PrepBox() {
    glClearColor(0, 0, 0, 0);
    BENCH_WindowPixels();
}

// A solid red box over rows 100 to 149, columns 200 to 299, and a green
// triangle in the upper right.
void DrawBox() {
    glColor3f(1, 0, 0);
    glRecti(200, 100, 300, 150);
    glColor3f(0, 1, 0);
    glBegin(GL_TRIANGLES);
    glVertex2i(500, 300);
    glVertex2i(600, 300);
    glVertex2i(550, 400);
    glEnd();
}

class Bench : public ::testing::Test {
protected:
    static void SetUpTestSuite() { BENCH_Start(); }
};

TEST_F(Bench, FrameShowsWhatWasDrawnWhereItWasDrawn) {
    VIS_DefaultGL();  // whatever scene ran before in this process
    BENCH_RunScene(PrepBox, DrawBox);
    const auto frame = PLAYER_ReadFrame();
    for (int y = 100; y < 150; ++y)
        for (int x = 200; x < 300; ++x) {
            const BENCH_Rgb p = BENCH_Pixel(frame, x, y);
            ASSERT_TRUE(p.r == 255 && p.g == 0 && p.b == 0) << x << "," << y;
        }
    // Just outside the box the frame is black: nothing spilled over an edge.
    for (int x : {199, 300}) EXPECT_EQ(BENCH_Pixel(frame, x, 120).r, 0);
    for (int y : {99, 150}) EXPECT_EQ(BENCH_Pixel(frame, 250, y).r, 0);
    EXPECT_EQ(BENCH_Pixel(frame, 550, 330).g, 255);  // inside the triangle
    EXPECT_EQ(BENCH_Pixel(frame, 510, 390).g, 0);    // beside its tip
    // The next scene's clear hides it.
    BENCH_RunScene(nullptr, [] {});
    EXPECT_EQ(BENCH_Pixel(PLAYER_ReadFrame(), 250, 120).r, 0);

    const std::string path = BENCH_SaveFrame(frame, "bench_box");
    ASSERT_TRUE(std::filesystem::exists(path));
    EXPECT_GT(std::filesystem::file_size(path), 100u);
}

int prep_runs = 0;

TEST_F(Bench, CoreStartEntersTheFirstEntryWithRunningClocks) {
    const VELQ_SceneFn saved = velq_tape[0].prep;
    velq_tape[0].prep = [] { ++prep_runs; };
    velq_ctrls.clock[0].t = 1.5f;
    velq_ctrl = 1;
    testing::internal::CaptureStdout();
    VELQ_CoreInit();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "VELQ_CORE\n");
    velq_tape[0].prep = saved;
    EXPECT_EQ(prep_runs, 1);
    EXPECT_EQ(velq_ctrl, 0u);
    EXPECT_EQ(velq_ctrls.clock[0].t, 1.5f);  // clocks are not zeroed
    for (int k = 0; k < 8; ++k) EXPECT_EQ(velq_ctrls.value[k], velq_tape[0].channel[k].reset);
}

}  // namespace
