// The program's standard output, where its trace lines and messages go.
#pragma once

// Makes every line appear as it is printed, also when the output is a pipe
// or a file. Called first thing in the main routine.
void OUTPUT_LinesAsTheyCome();
