#include "platform/output.h"

#include <cstdio>

void OUTPUT_LinesAsTheyCome() {
#ifdef _WIN32
    // Windows' C library takes line buffering for full buffering.
    setvbuf(stdout, nullptr, _IONBF, 0);
#else
    setvbuf(stdout, nullptr, _IOLBF, 0);
#endif
}
