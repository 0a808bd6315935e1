// A private X server for the headless tools and the tests: each process
// starts its own Xvfb on a free display number and points DISPLAY at it.
#pragma once

// Starts Xvfb with one width x height x 24 screen and sets DISPLAY; a server
// already running with that screen is kept, one with another is ended
// first. The server ends with the process.
void XVFB_Start(int width = 640, int height = 480);
// Ends the server now, as a crashing X server would end.
void XVFB_Stop();
