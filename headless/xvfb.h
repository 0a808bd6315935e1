// A private X server for tests that need a display: each test process starts
// its own Xvfb on a free display number and points DISPLAY at it.
#pragma once

// Starts Xvfb with one 640x480x24 screen (once per process) and sets DISPLAY.
// The server ends with the process.
void XVFB_Start();
