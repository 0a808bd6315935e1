// Thornax scene: the glyph row, the sliding shape and the emblem.
#include "scenes/vis.h"

void VIS_INIT_Thornax() {}
void VIS_PREP_ThornaxIn() {}
void VIS_CALL_ThornaxIn() {}
void VIS_PREP_Thornax() {}
void VIS_CALL_Thornax() {}
