// TMagic scene: tunnel, ray fans, rings and emblem.
#include "scenes/vis.h"

void VIS_INIT_TMagic() {}
void VIS_PREP_TMagic() {}
void VIS_CALL_TMagic() {}
