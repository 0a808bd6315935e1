// On Windows SDL 2 reports a closed window as a quit event and a lost
// display never happens under a running program; the program's full-screen
// mode is a real mode change, so there is nothing to scale.
#include "platform/display.h"

void DISPLAY_Watch(void (*)(), void (*)()) {}

bool DISPLAY_Is(int, int) { return false; }

void DISPLAY_DrawUnscaled() {}
