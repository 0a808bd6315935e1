// On Windows SDL 2 reports a closed window as a quit event and a lost
// display never happens under a running program; the program's full-screen
// mode is a real mode change, so there is nothing to scale.
#include "platform/display.h"

void DISPLAY_Watch(void (*)(), void (*)()) {}

void DISPLAY_Prepare(int, int, bool) {}

void DISPLAY_TakeScreen() {}

void DISPLAY_KeepKeyboard() {}
