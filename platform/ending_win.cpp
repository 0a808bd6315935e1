// A console's Ctrl-C, Ctrl-Break and close come to a handler on a thread
// of their own; returning FALSE hands them on to the default, which ends
// the process. A program without a console gets none: its window's close
// button comes as SDL's quit event.
#include <windows.h>

#include "platform/ending.h"

namespace {

bool (*end_quit)() = nullptr;

BOOL WINAPI OnConsoleEvent(DWORD) { return end_quit() ? TRUE : FALSE; }

}  // namespace

void END_CatchQuitRequests(bool (*quit)()) {
    end_quit = quit;
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}
