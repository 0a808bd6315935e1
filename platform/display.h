// What the display library under SDL does for the program, which differs
// between systems: reporting a window or a connection lost under the
// production, and choosing between drawing into the window unscaled and
// scaling the picture to the screen.
#pragma once

// Takes over the display library's error handling: closed runs when another
// client destroyed the window, inside the library call that noticed, and
// must return to it; lost runs when the connection to the display is gone,
// and must not return. Called on the main thread before SDL starts its video.
void DISPLAY_Watch(void (*closed)(), void (*lost)());

// True when the screen is width x height pixels, so that a full-screen
// window of that size covers it unscaled.
bool DISPLAY_Is(int width, int height);

// Has SDL's OpenGL screen drawn straight into its window, unless the
// environment says otherwise. Called before SDL starts.
void DISPLAY_DrawUnscaled();
