// What the production does when its display fails under it.
#pragma once

// Takes over the display's error handlers: another client destroying the
// window, or the connection to the X server lost (the server killed, or the
// program's client killed by a window manager), then ends the production
// through the clean exit with a one-line message and status 1. Called on the
// main thread before SDL starts its video: SDL's own handler, which puts the
// screen's mode back on an error, then hands errors on to these, also when
// it restores them at exit.
void VELQ_DisplayInit();

// True when the X screen is width x height pixels, so that a full-screen
// window of that size covers it unscaled.
bool VELQ_DisplayIs(int width, int height);
