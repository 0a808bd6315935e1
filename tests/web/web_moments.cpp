// Prints, for the browser test, one moment inside each tape entry 1 to 10
// (the middle of the entry, in seconds from the program's start) and where
// entry 2 starts after entry 1, in seconds: where the soundtrack should be
// when entry 2 asks for it again.
#include <cstdio>

#include "headless/player.h"

int main() {
    const std::vector<uint64_t> times = PLAYER_TapeTimes(50);
    for (size_t e = 1; e < times.size(); ++e)
        std::printf("%.2f%c", (times[e - 1] + times[e]) / 2e6, e + 1 < times.size() ? ',' : '\n');
    std::printf("%.3f\n", (times[1] - times[0]) / 1e6);
    return 0;
}
