// Our own GL layer against the system's OpenGL: the production captured
// both ways shows the same still at a moment inside every tape entry.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "headless/player.h"

namespace {

// One second into the loading entry, then the middle of entries 1 to 10.
std::vector<long> MomentsMs() {
    const std::vector<uint64_t> tape = PLAYER_TapeTimes(50);
    std::vector<long> ms{1000};
    for (size_t e = 0; e + 1 < tape.size(); ++e) ms.push_back((tape[e] + tape[e + 1]) / 2000);
    return ms;
}

std::string Seconds(long ms, const char* format) {
    char text[32];
    std::snprintf(text, sizeof text, format, ms / 1000.0);
    return text;
}

}  // namespace

TEST(Gl1, EveryEntryLooksAsTheSystemOpenGlDrawsIt) {
    const std::vector<long> moments = MomentsMs();
    std::string stills;
    for (long ms : moments) stills += (stills.empty() ? "" : ",") + Seconds(ms, "%.3f");
    const std::string ref = testing::TempDir() + "system";
    const std::string ours = testing::TempDir() + "gl1";
    std::filesystem::create_directories(ref);
    std::filesystem::create_directories(ours);
    // Both captures at once, one on each core.
    const std::string options = " --still " + stills + " >/dev/null 2>&1";
    const std::string command = "cd " + ref + " && " + AMBER_CAPTURE + options + " & cd " + ours +
                                " && " + AMBER_CAPTURE_GL1 + options + " && wait $!";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    for (long ms : moments) {
        const std::string name = "/amber_grid_at_" + Seconds(ms, "%g") + ".png";
        const std::string compare =
            std::string(AMBER_STILLCMP) + " " + ref + name + " " + ours + name;
        EXPECT_EQ(std::system(compare.c_str()), 0) << compare;
    }
}
