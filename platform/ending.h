// How the process ends, which differs between the builds: natively the
// process exits; in a browser the page's main loop stops and the page shows
// its end screen with the status.
#pragma once

// Ends the process with status, running its exit handlers, which restore
// the display.
[[noreturn]] void END_Process(int status);

// Ends it at once, running nothing: for a display that is gone, or a main
// thread that no longer answers. Standard output is line-buffered and fatal
// messages are flushed, so nothing printed is lost.
[[noreturn]] void END_Now(int status);
