// Zelto scene: the closing picture, stripes and fade.
#include "archive/cfs.h"
#include "scenes/vis.h"

CFS_Pict* zelto_pict = nullptr;

void VIS_INIT_Zelto() { zelto_pict = CFS_ReadPNG24("zelto"); }
void VIS_PREP_Zelto() {}
void VIS_CALL_Zelto() {}
