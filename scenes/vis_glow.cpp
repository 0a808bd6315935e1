// Glow scene: the turning pipes.
#include "scenes/vis.h"

void VIS_INIT_Glow() {}
void VIS_PREP_Glow() {}
void VIS_CALL_Glow() {}
