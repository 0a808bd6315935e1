// On Windows SDL 2 reports a closed window as a quit event and a lost
// display never happens under a running program; the SDL 1.2 layer scales
// the full-screen picture itself.
#include "platform/display.h"

void DISPLAY_Watch(void (*)(), void (*)()) {}

void DISPLAY_ConfirmQuit() {}

void DISPLAY_Prepare(int, int, bool) {}

void DISPLAY_TakeScreen() {}

void DISPLAY_KeepKeyboard() {}
