// Pictures compiled into display lists: each run of a list re-specifies the
// default texture tile by tile and draws one textured quad per tile.
#pragma once

#include "archive/cfs.h"
#include "gl1/gl.h"

// Sets the default texture up for picture lists: decal mode (the picture's
// RGB as is), nearest filtering, clamped edges.
void VELQ_RASTA_PictureTexture();

// Compiles list to draw pict with its lower-left corner at the origin, one
// unit per picture pixel.
void VELQ_RASTA_PrepBlit24b(GLuint list, const CFS_Pict* pict);
// The same list with every position multiplied by 4.
void VELQ_RASTA_DoublePrepBlit24b(GLuint list, const CFS_Pict* pict);
