// Every scene's INIT against the production drive, run by the loader's own
// steps: the drive holds what the scenes read, and each step is quick next
// to the loader's one-second pauses.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>

#include "archive/cfs.h"
#include "engine/velq2.h"
#include "engine/velq_loader.h"

namespace {

TEST(SceneInit, EveryLoaderStepReadsItsAssetsQuickly) {
    CFS_Open(AMBER_DRIVE);
    testing::internal::CaptureStdout();
    EXPECT_EQ(VELQ_LoaderNext(), 3000);  // the trace line, then the first pause
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "VELQ_LOADER\n");
    for (int step = 0; step < VELQ_LOADER_STEPS; ++step) {
        const auto start = std::chrono::steady_clock::now();
        EXPECT_GT(VELQ_LoaderNext(), 0) << step;
        const double ms =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count();
        std::printf("step %d %7.1f ms\n", step, ms);
        EXPECT_LT(ms, 300.0) << "step " << step;
        EXPECT_EQ(velq_loader_st[step], 1u) << step;
    }
    testing::internal::CaptureStdout();
    EXPECT_EQ(VELQ_LoaderNext(), VELQ_LOADER_DONE);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "CFS_Close: Closing drive ... done.\n");
    EXPECT_EQ(velq_tape[0].channel[0].acc, -10.0f);
    EXPECT_EQ(VELQ_LoaderNext(), VELQ_LOADER_DONE);
}

}  // namespace
