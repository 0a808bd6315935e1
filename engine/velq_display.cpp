// What the production does when its display fails under it: one line and
// status 1 through the clean exit.
#include "engine/velq_display.h"

#include "engine/velq_exit.h"
#include "platform/display.h"

namespace {

constexpr const char* kWindowClosed =
    "VELQ_Display: FATAL_ERROR: The window was closed from outside.\n";
constexpr const char* kConnectionLost =
    "VELQ_Display: FATAL_ERROR: The display connection was lost.\n";

// The frame loop ends the production once the failing call has returned.
void OnWindowClosed() { VELQ_ExitDisplayFailed(kWindowClosed); }

[[noreturn]] void OnConnectionLost() { VELQ_ExitDisplayLost(kConnectionLost); }

}  // namespace

void VELQ_DisplayInit() { DISPLAY_Watch(OnWindowClosed, OnConnectionLost); }
