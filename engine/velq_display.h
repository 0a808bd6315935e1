// What the production does when its display fails under it.
#pragma once

// Watches the display: another client destroying the window, or the
// connection to the display lost (the server killed, or the program's client
// killed by a window manager), ends the production through the clean exit
// with a one-line message and status 1. Called on the main thread before
// SDL starts its video.
void VELQ_DisplayInit();
