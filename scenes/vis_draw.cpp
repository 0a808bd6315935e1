#include "scenes/vis_draw.h"

#include "gl1/gl.h"

void VIS_EmitMesh(const CFS_Mesh* mesh, const CFS_Norms* norms) {
    glBegin(GL_TRIANGLES);
    for (uint32_t i = 0; i < mesh->numfaces; ++i) {
        if (norms) glNormal3f(norms[i].x, norms[i].y, norms[i].z);
        const float* t = mesh->tris + 9 * i;
        for (int k = 0; k < 3; ++k) glVertex3f(t[3 * k], t[3 * k + 1], t[3 * k + 2]);
    }
    glEnd();
}

void VIS_EmitSolid(const CFS_Mesh* mesh, const CFS_Norms* norms) {
    glPushAttrib(GL_POLYGON_BIT);
    if (mesh->solid) {
        glFrontFace(GL_CCW);
        glCullFace(GL_BACK);
        glEnable(GL_CULL_FACE);
    } else {
        glDisable(GL_CULL_FACE);
    }
    VIS_EmitMesh(mesh, norms);
    glPopAttrib();
}

void VIS_WindowPixels() {
    glViewport(0, 0, 640, 480);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, 640, 0, 480, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void VIS_Light(GLenum light, const GLfloat* ambient, const GLfloat* diffuse,
               const GLfloat* specular, const GLfloat* position) {
    glLightfv(light, GL_AMBIENT, ambient);
    glLightfv(light, GL_DIFFUSE, diffuse);
    glLightfv(light, GL_SPECULAR, specular);
    glLightfv(light, GL_POSITION, position);
}

void VIS_ColourMaterial(const GLfloat* specular, GLfloat shininess) {
    glEnable(GL_COLOR_MATERIAL);
    glColorMaterial(GL_FRONT, GL_AMBIENT_AND_DIFFUSE);
    glMaterialfv(GL_FRONT, GL_SPECULAR, specular);
    glMaterialf(GL_FRONT, GL_SHININESS, shininess);
}

void VIS_Perspective(double aspect, double far) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45, aspect, 1, far);
    glMatrixMode(GL_MODELVIEW);
}

void VIS_LetterboxBars(GLfloat bottom_z, GLfloat top_z) {
    glBegin(GL_QUADS);
    glVertex3f(0, 0, bottom_z);
    glVertex3f(640, 0, bottom_z);
    glVertex3f(640, VIS_BAR_ROWS, bottom_z);
    glVertex3f(0, VIS_BAR_ROWS, bottom_z);
    glVertex3f(0, 480 - VIS_BAR_ROWS, top_z);
    glVertex3f(640, 480 - VIS_BAR_ROWS, top_z);
    glVertex3f(640, 480, top_z);
    glVertex3f(0, 480, top_z);
    glEnd();
}

void VIS_Caption(GLuint list, GLfloat x, GLfloat y, GLfloat z) {
    glEnable(GL_TEXTURE_2D);
    glTranslatef(x, y, z);
    glCallList(list);
    glDisable(GL_TEXTURE_2D);
}
