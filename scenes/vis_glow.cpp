// Glow scene: the turning pipes.
#include "archive/cfs.h"
#include "scenes/vis.h"

CFS_Mesh* glow_pipe1 = nullptr;
CFS_Mesh* glow_pipe2 = nullptr;
CFS_Pict* glow_lans = nullptr;
CFS_Norms* glow_pipe1_norms = nullptr;
CFS_Norms* glow_pipe2_norms = nullptr;

void VIS_INIT_Glow() {
    glow_pipe1 = CFS_ReadASE("rurawew");
    glow_pipe2 = CFS_ReadASE("rurazew");
    glow_lans = CFS_ReadPNG24("lans");
    glow_pipe1_norms = CFS_CalcNormsASE(glow_pipe1);
    glow_pipe2_norms = CFS_CalcNormsASE(glow_pipe2);
}
void VIS_PREP_Glow() {}
void VIS_CALL_Glow() {}
