// Angel scene: the figure with its tumbling feathers.
#include "archive/cfs.h"
#include "scenes/vis.h"

CFS_Mesh* angel = nullptr;
CFS_Pict* angel_ex_hb = nullptr;
CFS_Norms* angel_norms = nullptr;

void VIS_INIT_Angel() {
    angel = CFS_ReadASE("aniooteq");
    angel_ex_hb = CFS_ReadPNG24("ex_hb");
    angel_norms = CFS_CalcNormsASE(angel);
}
void VIS_PREP_Angel() {}
void VIS_CALL_Angel() {}
