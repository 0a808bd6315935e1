// Angel scene: the figure with its tumbling feathers.
#include "scenes/vis.h"

void VIS_INIT_Angel() {}
void VIS_PREP_Angel() {}
void VIS_CALL_Angel() {}
