// A private X server for the headless tools and the tests: each process
// starts its own Xvfb on a free display number and points DISPLAY at it.
#pragma once

// Starts Xvfb with one 640x480x24 screen (once per process) and sets DISPLAY.
// The server ends with the process.
void XVFB_Start();
// Ends the server now, as a crashing X server would end.
void XVFB_Stop();
