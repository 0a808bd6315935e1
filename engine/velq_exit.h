// Ending the production from any thread, in every build. SDL, the video
// mode and the GL context belong to the main thread, and the process exit
// handlers tear them down, so only the main thread ends the process in
// order, through VELQ_Shutdown. A signal, or a fatal error on another
// thread, is handed to it through one word that the frame loop reads every
// frame.
#pragma once

// Nothing has asked the production to end.
constexpr int VELQ_EXIT_NONE = -1;

// Takes over requests from outside to end (SIGINT, SIGTERM) and the program's fatal failures
// (platform/fatal.h). Called on the main thread right after SDL_Init.
void VELQ_ExitInit();

// The one shutdown: stops and closes the soundtrack and the sound library,
// removes the clock, shows the cursor and ends the process with status; the
// exit handlers restore the display. Main thread only.
[[noreturn]] void VELQ_Shutdown(int status);

// The exit status asked for by a signal (0) or by a fatal failure on
// another thread (1); VELQ_EXIT_NONE when there is none.
int VELQ_ExitPending();

// The display failed under the production: reports message (one line with
// its newline) through the fatal path and asks the main thread to end with
// status 1. It returns at once, for the display's error handler,
// which must return to the library call that noticed the failure.
void VELQ_ExitDisplayFailed(const char* message);

// The display connection is lost, which no display library call returns
// from: as VELQ_ExitDisplayFailed, then on the main thread the production
// ends here, and another thread hands the failure over. Shutdown then
// leaves the display alone.
[[noreturn]] void VELQ_ExitDisplayLost(const char* message);

// True once the display connection is lost.
bool VELQ_DisplayLost();
