// Frame times per tape entry, and their report: the median and the 99th
// percentile of each entry as a table for people and as one JSON object
// per entry for machines. amber_bench and the browser's bench both report
// through here.
#pragma once

#include <vector>

// Frame times in milliseconds, by tape entry 0 to VELQ_LAST_ENTRY.
typedef std::vector<std::vector<double>> VELQ_BENCH_Times;

VELQ_BENCH_Times VELQ_BENCH_New();

// Prints the table, then the JSON lines, to standard output.
void VELQ_BENCH_Report(const VELQ_BENCH_Times& times);
