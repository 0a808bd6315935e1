// The drive modules' failures take the program's one fatal path.
#include "archive/cfs.h"
#include "platform/fatal.h"

void CFS_Fatal(const char* message) { FATAL_Exit(message); }
