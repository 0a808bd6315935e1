// How every scene draws a mesh: one GL_TRIANGLES batch per triangle, in
// stored order, optionally led by the triangle's own normal.
#pragma once

#include "archive/cfs.h"

// Emits mesh's triangles; norms may be null for a mesh drawn without normals.
void VIS_EmitMesh(const CFS_Mesh* mesh, const CFS_Norms* norms);
