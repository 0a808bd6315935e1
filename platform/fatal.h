// The one way the program reports a fatal failure, on any thread and in any
// build: the message on standard output, then the program's one shutdown.
#pragma once

// Prints message (one line with its newline, beginning with the failing
// function's name; empty for the few failures that end without a word) and
// flushes it, since the process may end without its exit handlers. Only a
// process's first failure is printed: one failure is often noticed by
// several threads, or several times by a display library.
void FATAL_Report(const char* message);

// FATAL_Report, then the end the program installed with FATAL_SetEnd, which
// does not return; exit(1) when none is installed (the tools and tests).
[[noreturn]] void FATAL_Exit(const char* message);

// Installs the program's end for a fatal failure on whichever thread has it.
void FATAL_SetEnd(void (*end)());
