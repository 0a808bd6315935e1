// A private X server for the headless tools and the tests: each process
// starts its own Xvfb on a free display number and points DISPLAY at it.
// The server listens only on its abstract socket, so it leaves no socket
// file behind; it ends with the process, even one killed outright.
#pragma once

// Starts Xvfb with one width x height x 24 screen and sets DISPLAY; a server
// already running with that screen is kept, one with another is ended
// first. Throws std::runtime_error when no server comes up.
void XVFB_Start(int width = 640, int height = 480);
// Starts Debian's openbox on the server, as every desktop has a window
// manager, and returns once it manages the screen; it lives as long as the
// server. A second call keeps the one running.
void XVFB_StartWindowManager();
// Ends the server, and its window manager, now, as a crashing X server would
// end.
void XVFB_Stop();
