// Quibo scene: the title pictures and two turning wheels.
#include "archive/cfs.h"
#include "scenes/vis.h"

CFS_Pict* quibo_amber = nullptr;
CFS_Pict* quibo_grid = nullptr;

void VIS_INIT_Quibo() {
    quibo_amber = CFS_ReadPNG24("amber");
    quibo_grid = CFS_ReadPNG24("grid");
}
void VIS_PREP_Quibo() {}
void VIS_CALL_Quibo1() {}
