// Showing a full-screen picture of the program's own size on a desktop of
// any size, without a mode change: the picture is drawn off screen at its
// own size and scaled to the window at each swap. Part of the SDL 1.2
// layer over SDL 2.
#pragma once
#include <SDL2/SDL.h>

// Called once the window's GL context is current. Where the window's
// drawable differs from width x height, makes the off-screen picture and
// binds it, so that everything drawn and read back (glReadPixels) is the
// width x height picture. Leaves the window drawn into directly where the
// sizes agree, or where the driver offers no framebuffer objects.
void SCALER_Open(SDL_Window* window, int width, int height);

// Shows the picture: scaled to the window's height or width, centred on
// black, with linear filtering; then swaps and binds the picture again.
// A plain swap where SCALER_Open made no picture.
void SCALER_Swap(SDL_Window* window);
