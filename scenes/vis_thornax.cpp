// Thornax scene: the glyph row, the sliding shape and the emblem.
#include "archive/cfs.h"
#include "engine/main.h"
#include "scenes/vis.h"

CFS_Mesh* tsy = nullptr;
CFS_Mesh* de = nullptr;
CFS_Mesh* ef = nullptr;
CFS_Mesh* foremka = nullptr;
CFS_Pict* developed_pict = nullptr;
CFS_Mesh* thornax = nullptr;
CFS_Norms* foremka_norms = nullptr;
CFS_Norms* thornax_norms = nullptr;

void VIS_INIT_Thornax() {
    tsy = CFS_ReadASE("tsy");
    de = CFS_ReadASE("de");
    ef = CFS_ReadASE("ef");
    foremka = CFS_ReadASE("foremka");
    developed_pict = CFS_ReadPNG24("developed");
    thornax = CFS_ReadASE("thornax");
    foremka_norms = CFS_CalcNormsASE(foremka);
    thornax_norms = CFS_CalcNormsASE(thornax);
}
namespace {
constexpr int kMusicChannel = 2;
}  // namespace

// The soundtrack starts with the first scene after loading; entering the
// scene again keeps it playing where it is.
void VIS_PREP_ThornaxIn() { FSOUND_Stream_Play(kMusicChannel, music); }
void VIS_CALL_ThornaxIn() {}
void VIS_PREP_Thornax() {}
void VIS_CALL_Thornax() {}
