#include "engine/velq_bench.h"

#include <algorithm>
#include <cstdio>

#include "engine/velq2.h"
#include "engine/velq_play.h"

namespace {

double Percentile(std::vector<double> v, double p) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const size_t i = std::min(v.size() - 1, static_cast<size_t>(p * v.size()));
    return v[i];
}

}  // namespace

VELQ_BENCH_Times VELQ_BENCH_New() { return VELQ_BENCH_Times(VELQ_LAST_ENTRY + 1); }

bool VELQ_BENCH_Frame(VELQ_BENCH_Times& times, int64_t k, double (*now_ms)(), void (*finish)()) {
    const uint64_t us = VELQ_PLAY_FrameUs(k, VELQ_TICKS_PER_SECOND);
    VELQ_PLAY_AdvanceTo(us);
    const double start = now_ms();
    if (VELQ_PLAY_FrameAt(us, true) == 1) return false;
    finish();
    times[velq_caller].push_back(now_ms() - start);
    return true;
}

void VELQ_BENCH_Report(const VELQ_BENCH_Times& times) {
    std::printf("%-5s %-9s %6s %10s %8s %8s\n", "entry", "scene", "frames", "median ms", "p99 ms",
                "fps");
    for (int e = 0; e <= VELQ_LAST_ENTRY; ++e) {
        const double median = Percentile(times[e], 0.5), p99 = Percentile(times[e], 0.99);
        std::printf("%-5d %-9s %6zu %10.2f %8.2f %8.1f\n", e, velq_tape_scenes[e], times[e].size(), median,
                    p99, 1000 / median);
    }
    for (int e = 0; e <= VELQ_LAST_ENTRY; ++e) {
        const double median = Percentile(times[e], 0.5), p99 = Percentile(times[e], 0.99);
        std::printf(
            "{\"entry\": %d, \"scene\": \"%s\", \"median_ms\": %.3f, \"p99_ms\": %.3f, "
            "\"fps\": %.1f}\n",
            e, velq_tape_scenes[e], median, p99, 1000 / median);
    }
}
