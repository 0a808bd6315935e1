// The one way the drive modules report a failure: the message on standard
// output, then exit status 1. The normal exit path flushes the output.
#include <cstdio>
#include <cstdlib>

#include "archive/cfs.h"

void CFS_Fatal(const char* message) {
    printf("%s", message);
    exit(1);
}
