#include "platform/ending.h"

#include <cstdlib>

void END_Process(int status) { std::exit(status); }

void END_Now(int status) { std::_Exit(status); }
