#include "scenes/vis_mesh.h"

#include <GL/gl.h>

void VIS_EmitMesh(const CFS_Mesh* mesh, const CFS_Norms* norms) {
    for (uint32_t i = 0; i < mesh->numfaces; ++i) {
        glBegin(GL_TRIANGLES);
        if (norms) glNormal3f(norms[i].x, norms[i].y, norms[i].z);
        const float* t = mesh->tris + 9 * i;
        for (int k = 0; k < 3; ++k) glVertex3f(t[3 * k], t[3 * k + 1], t[3 * k + 2]);
        glEnd();
    }
}
