// Prints, for the still comparisons, one moment in each tape entry: one
// second into loading, then the middle of entries 1 to 10, in seconds from
// the program's start. A second line says where entry 2 starts after entry
// 1, in seconds: where the soundtrack should be when entry 2 asks for it.
#include <cstdio>

#include "engine/velq2.h"
#include "engine/velq_play.h"

int main() {
    const std::vector<uint64_t> times = VELQ_PLAY_TapeTimes(VELQ_TICKS_PER_SECOND);
    std::printf("1.00");
    for (size_t e = 1; e < times.size(); ++e) std::printf(",%.2f", (times[e - 1] + times[e]) / 2e6);
    std::printf("\n%.3f\n", (times[1] - times[0]) / 1e6);
    return 0;
}
