// TMagic scene: tunnel, ray fans, rings and emblem.
#include "archive/cfs.h"
#include "scenes/vis.h"

CFS_Pict* tmagic_vostil = nullptr;
CFS_Mesh* tmagic_tunel = nullptr;
CFS_Norms* tmagic_tunel_norms = nullptr;

void VIS_INIT_TMagic() {
    tmagic_vostil = CFS_ReadPNG24("tmagic");
    tmagic_tunel = CFS_ReadASE("tunel");
    tmagic_tunel_norms = CFS_CalcNormsASE(tmagic_tunel);
}
void VIS_PREP_TMagic() {}
void VIS_CALL_TMagic() {}
