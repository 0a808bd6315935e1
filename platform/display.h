// What the display library under SDL does for the program, which differs
// between systems: reporting a window or a connection lost under the
// production, and showing the whole picture on any screen.
#pragma once

// Takes over the display library's error handling: closed runs when another
// client destroyed the window, inside the library call that noticed, and
// must return to it; lost runs when the connection to the display is gone,
// whether a read or a write finds it so, and must not return. Called on the
// main thread before SDL starts its video.
void DISPLAY_Watch(void (*closed)(), void (*lost)());

// Called when SDL reported a quit, before the program ends on it. SDL's
// Wayland driver reports the compositor's going away as a quit, as it does
// the compositor's closing the window: where the compositor no longer
// answers, this reports the loss through DISPLAY_Watch's lost, which does
// not return. Returns otherwise.
void DISPLAY_ConfirmQuit();

// Decides, once, how SDL's OpenGL window shows a width x height picture.
// SDL draws straight into a window that is not full-screen, and into a
// full-screen one where the screen is the picture's size. On any other
// screen it scales the picture to the screen's height or width and centres
// it on black, which needs a window covering the screen: where no window
// manager sizes full-screen windows, DISPLAY_TakeScreen does it. The
// environment may still ask SDL otherwise. Also keeps a software renderer
// from drawing on threads of its own. Called before SDL starts.
void DISPLAY_Prepare(int width, int height, bool full_screen);

// Makes SDL's full-screen window the viewer's: covers the screen where
// DISPLAY_Prepare found nobody else would, and asks a window manager to make
// it the active window. Ends the connection DISPLAY_Prepare kept. Does
// nothing for a window that is not full-screen. Called once SDL has opened
// the window.
void DISPLAY_TakeScreen();

// Keeps the keyboard with the full-screen window while another window holds
// the focus, so that Escape always reaches the program. Called every frame,
// on the thread that reads SDL's events.
void DISPLAY_KeepKeyboard();
