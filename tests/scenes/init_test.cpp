// Every scene's INIT against the production drive, as the loader runs them:
// the drive holds what the scenes read, and each step is quick next to the
// loader's one-second pauses.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>

#include "archive/cfs.h"
#include "scenes/vis.h"

namespace {

struct Step {
    const char* name;
    void (*init[2])();
};

TEST(SceneInit, EveryLoaderStepReadsItsAssetsQuickly) {
    CFS_Open(AMBER_DRIVE);
    const Step steps[] = {
        {"Thornax + Zelto", {VIS_INIT_Thornax, VIS_INIT_Zelto}},
        {"Angel", {VIS_INIT_Angel, nullptr}},
        {"Tree", {VIS_INIT_Tree, nullptr}},
        {"TMagic", {VIS_INIT_TMagic, nullptr}},
        {"Glow", {VIS_INIT_Glow, nullptr}},
        {"Quibo", {VIS_INIT_Quibo, nullptr}},
    };
    for (const Step& step : steps) {
        const auto start = std::chrono::steady_clock::now();
        for (auto init : step.init)
            if (init) init();
        const double ms =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count();
        std::printf("INIT %-16s %7.1f ms\n", step.name, ms);
        EXPECT_LT(ms, 300.0) << step.name;
    }
    testing::internal::CaptureStdout();
    CFS_Close();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "CFS_Close: Closing drive ... done.\n");
}

}  // namespace
