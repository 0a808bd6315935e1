// The OpenGL state the scenes change, put back as a new context has it.
#include <initializer_list>

#include "engine/velq_scenes.h"
#include "gl1/gl.h"
#include "scenes/vis_draw.h"

// Texture parameters are left out, since every PREP sets its own.
void VIS_DefaultGL() {
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
