// Loading scene: the boot picture and eight progress boxes.
#include "scenes/vis.h"

void VIS_INIT_Loading() {}
void VIS_PREP_Loading() {}
void VIS_CALL_Loading() {}
void VIS_BLUR_Loading() {}
