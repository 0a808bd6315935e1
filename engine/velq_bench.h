// Frame times per tape entry, and their report: the median and the 99th
// percentile of each entry as a table for people and as one JSON object
// per entry for machines. amber_bench and the browser's bench both report
// through here.
#pragma once

#include <cstdint>
#include <vector>

// Frame times in milliseconds, by tape entry 0 to VELQ_LAST_ENTRY.
typedef std::vector<std::vector<double>> VELQ_BENCH_Times;

VELQ_BENCH_Times VELQ_BENCH_New();

// Frame k of the tape stepped in virtual time at one frame per tick, timed
// on now_ms from its clear until finish returns (the buffer swapped, or a
// pixel read back, once the drawing is done), and noted under its entry.
// Time moves on to the frame before its timing starts, so the loader's
// steps are not counted. False, with nothing noted, once the tape has ended.
bool VELQ_BENCH_Frame(VELQ_BENCH_Times& times, int64_t k, double (*now_ms)(), void (*finish)());

// Prints the table, then the JSON lines, to standard output.
void VELQ_BENCH_Report(const VELQ_BENCH_Times& times);
