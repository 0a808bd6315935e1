// Small drawing routines the scenes share: flat rings and discs, the
// production's emblem in two display lists, and a matrix print for
// looking at the GL state while developing.
#pragma once

#include "gl1/gl.h"

constexpr GLuint VELQ_EX_EMBLEM_LIST = 22;  // the emblem's shapes
constexpr GLuint VELQ_EX_RING_LIST = 23;    // the ring around them

// The emblem's two colours, RGBA: 0 for the ring and the dark shapes, 1 for
// the light shapes. Constant.
extern GLfloat velq_ex_wendrclrs[2][4];
// The matrix VELQ_EX_PrintMatrix printed last, column-major; main thread.
extern GLfloat velq_ex_pmx_mx[16];

// One quad strip between radii inner and outer around (cx, cy) at z = 0,
// facing +z; inner 0 gives a disc. Sets no colour; may be compiled into a list.
void VELQ_EX_Circle(float cx, float cy, float inner, float outer, int segments);
// Compiles the emblem: its shapes into list 22, its ring into list 23.
void VELQ_EX_WendrikInit();
// Runs list 22, then list 23.
void VELQ_EX_Wendrik();
// Prints the GL matrix pname (such as GL_MODELVIEW_MATRIX) as four rows.
void VELQ_EX_PrintMatrix(GLenum pname);
