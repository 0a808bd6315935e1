#include "scenes/vis_draw.h"

#include <initializer_list>

#include "gl1/gl.h"
#include "scenes/vis.h"

void VIS_EmitMesh(const CFS_Mesh* mesh, const CFS_Norms* norms) {
    for (uint32_t i = 0; i < mesh->numfaces; ++i) {
        glBegin(GL_TRIANGLES);
        if (norms) glNormal3f(norms[i].x, norms[i].y, norms[i].z);
        const float* t = mesh->tris + 9 * i;
        for (int k = 0; k < 3; ++k) glVertex3f(t[3 * k], t[3 * k + 1], t[3 * k + 2]);
        glEnd();
    }
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

namespace {

// The OpenGL state the scenes change, as a new context has it; texture
// parameters are left out, since every PREP sets its own.
void DefaultGL() {
    for (GLenum cap : {GL_BLEND, GL_COLOR_MATERIAL, GL_CULL_FACE, GL_DEPTH_TEST, GL_LIGHT0,
                       GL_LIGHT1, GL_LIGHTING, GL_NORMALIZE, GL_TEXTURE_2D})
        glDisable(cap);
    glBlendFunc(GL_ONE, GL_ZERO);
    glShadeModel(GL_SMOOTH);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glFrontFace(GL_CCW);
    glCullFace(GL_BACK);
    glClearColor(0, 0, 0, 0);
    glViewport(0, 0, 640, 480);
    glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glColor4f(1, 1, 1, 1);
    glNormal3f(0, 0, 1);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    constexpr GLfloat kBlack[4] = {0, 0, 0, 1}, kWhite[4] = {1, 1, 1, 1};
    constexpr GLfloat kAmbient[4] = {0.2f, 0.2f, 0.2f, 1}, kDiffuse[4] = {0.8f, 0.8f, 0.8f, 1};
    constexpr GLfloat kOverhead[4] = {0, 0, 1, 0}, kDown[3] = {0, 0, -1};
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, kAmbient);
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, kDiffuse);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, kBlack);
    glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, kBlack);
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, 0);
    for (GLenum light : {GL_LIGHT0, GL_LIGHT1}) {
        const GLfloat* colour = light == GL_LIGHT0 ? kWhite : kBlack;
        VIS_Light(light, kBlack, colour, colour, kOverhead);
        glLightfv(light, GL_SPOT_DIRECTION, kDown);
        glLightf(light, GL_SPOT_CUTOFF, 180);
    }
}

}  // namespace

void VIS_Rewind() {
    DefaultGL();
    VIS_REWIND_Zelto();
}
