// How the process ends, which differs between the builds: natively the
// process exits; in a browser the page's main loop stops and the page shows
// its end screen with the status.
#pragma once

// Ends the process with status, running its exit handlers, which restore
// the display.
[[noreturn]] void END_Process(int status);

// Runs quit() on the first request from outside to end (SIGINT or SIGTERM;
// on Windows the console's Ctrl-C, Ctrl-Break or close), in a signal's
// context: quit may only set a word. Where quit returns false, as once an
// end is under way, the request ends the process as it would by default.
void END_CatchQuitRequests(bool (*quit)());

// Ends it at once, running nothing: for a display that is gone, or a main
// thread that no longer answers. Every line printed is out already
// (platform/output.h), and fatal messages are flushed.
[[noreturn]] void END_Now(int status);
