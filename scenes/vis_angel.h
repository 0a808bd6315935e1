// The Angel scene's feather: constant meshes built into the program rather
// than read from the drive.
#pragma once

#include "archive/cfs.h"

constexpr int ANGEL_PEN_FACES = 26;
constexpr int ANGEL_FLUFF_FACES = 8;

// The quill and vane: nine floats a triangle.
extern float angel_pen[ANGEL_PEN_FACES * 9];
// Two tufts of blades fanned about the quill's foot; only blade 0 is
// initialised, VIS_INIT_Angel turns it into the other seven.
extern float angel_fluff_a[ANGEL_FLUFF_FACES * 9];
extern float angel_fluff_b[ANGEL_FLUFF_FACES * 9];

extern CFS_Mesh angel_pen_info;
extern CFS_Mesh angel_fluff_a_info;
extern CFS_Mesh angel_fluff_b_info;
