// Tree scene: the lit landscape with sky backdrops and water.
#include "scenes/vis.h"

void VIS_INIT_Tree() {}
void VIS_PREP_Tree() {}
void VIS_CALL_Tree() {}
