// Quibo scene: the title pictures and two turning wheels.
#include "scenes/vis.h"

void VIS_INIT_Quibo() {}
void VIS_PREP_Quibo() {}
void VIS_CALL_Quibo1() {}
