// The one way the drive modules report a failure: the message on standard
// output, then exit status 1. The message is flushed before anything else
// happens, since the process may end without its exit handlers.
#include <cstdio>
#include <cstdlib>

#include "archive/cfs.h"

void (*cfs_fatal_exit)() = nullptr;

void CFS_Fatal(const char* message) {
    printf("%s", message);
    fflush(stdout);
    if (cfs_fatal_exit) cfs_fatal_exit();
    exit(1);
}
