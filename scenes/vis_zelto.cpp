// Zelto scene: the closing picture, stripes and fade.
#include "scenes/vis.h"

void VIS_INIT_Zelto() {}
void VIS_PREP_Zelto() {}
void VIS_CALL_Zelto() {}
