// Tree scene: the lit landscape with sky backdrops and water.
#include "archive/cfs.h"
#include "scenes/vis.h"

CFS_Mesh* tree_wsypa = nullptr;
CFS_Mesh* tree_pien1 = nullptr;
CFS_Mesh* tree_pien2 = nullptr;
CFS_Mesh* tree_korona1 = nullptr;
CFS_Mesh* tree_korona2 = nullptr;
CFS_Pict* tree_shl = nullptr;
CFS_Pict* tree_sky1 = nullptr;
CFS_Norms* tree_wsypa_norms = nullptr;
CFS_Norms* tree_pien1_norms = nullptr;
CFS_Norms* tree_pien2_norms = nullptr;
CFS_Norms* tree_korona1_norms = nullptr;
CFS_Norms* tree_korona2_norms = nullptr;

void VIS_INIT_Tree() {
    tree_wsypa = CFS_ReadASE("wsypa");
    tree_pien1 = CFS_ReadASE("pien1");
    tree_pien2 = CFS_ReadASE("pien2");
    tree_korona1 = CFS_ReadASE("korona1");
    tree_korona2 = CFS_ReadASE("korona2");
    tree_shl = CFS_ReadPNG24("shl");
    tree_sky1 = CFS_ReadPNG24("sky1");
    tree_wsypa_norms = CFS_CalcNormsASE(tree_wsypa);
    tree_pien1_norms = CFS_CalcNormsASE(tree_pien1);
    tree_pien2_norms = CFS_CalcNormsASE(tree_pien2);
    tree_korona1_norms = CFS_CalcNormsASE(tree_korona1);
    tree_korona2_norms = CFS_CalcNormsASE(tree_korona2);
}
void VIS_PREP_Tree() {}
void VIS_CALL_Tree() {}
