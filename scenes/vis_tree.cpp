// Tree scene: a faceted tree on an island in translucent water, two sky
// backdrops behind it, and a camera sliding toward it along z.

#include "archive/cfs.h"
#include "engine/velq2.h"
#include "engine/velq_glow.h"
#include "engine/velq_rasta.h"
#include "engine/velq_scenes.h"
#include "gl1/gl.h"
#include "scenes/vis_draw.h"

CFS_Mesh* tree_wsypa = nullptr;
CFS_Mesh* tree_pien1 = nullptr;
CFS_Mesh* tree_pien2 = nullptr;
CFS_Mesh* tree_korona1 = nullptr;
CFS_Mesh* tree_korona2 = nullptr;
CFS_Pict* tree_shl = nullptr;
CFS_Pict* tree_sky1 = nullptr;
CFS_Norms* tree_wsypa_norms = nullptr;
CFS_Norms* tree_pien1_norms = nullptr;
CFS_Norms* tree_pien2_norms = nullptr;
CFS_Norms* tree_korona1_norms = nullptr;
CFS_Norms* tree_korona2_norms = nullptr;

GLfloat tree_lightamba[4] = {0.7f, 0.2f, 0.2f, 1};
GLfloat tree_lightdiff[4] = {1, 0.7f, 0.3f, 1};
GLfloat tree_lightspec[4] = {1, 0.7f, 0.7f, 1};
GLfloat tree_lightpos[4] = {100, 200, 700, 1};
GLfloat tree_sref[4] = {1, 1, 1, 1};

namespace {

constexpr GLuint kCaptionList = 2;
constexpr GLuint kSkyList = 3;
constexpr GLuint kLandscapeList = 5;
constexpr GLuint kLetterboxList = 7;
constexpr float kWaterY = -40;
constexpr float kWaterHalf = 1000;

// The water has no normal of its own: it is lit with the crown's last one.
void Water() {
    glEnable(GL_BLEND);
    glColor4f(0.3f, 0.4f, 0.7f, 0.8f);
    glBegin(GL_QUADS);
    glVertex3f(-kWaterHalf, kWaterY, kWaterHalf);
    glVertex3f(-kWaterHalf, kWaterY, -kWaterHalf);
    glVertex3f(kWaterHalf, kWaterY, -kWaterHalf);
    glVertex3f(kWaterHalf, kWaterY, kWaterHalf);
    glEnd();
    glDisable(GL_BLEND);
}

// Two upright sky panels, unlit: one across z = 520 behind the tree, one
// along x = 400 to its right. The moves stay in the modelview matrix.
void Skies() {
    glEnable(GL_TEXTURE_2D);
    glDisable(GL_LIGHTING);
    glTranslatef(-600, kWaterY, 520);
    glCallList(kSkyList);
    glTranslatef(1000, 0, -800);
    glRotatef(-90, 0, 1, 0);
    glCallList(kSkyList);
    glEnable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
}

void CompileLandscape() {
    glNewList(kLandscapeList, GL_COMPILE);
    glColor4f(0.5f, 0.7f, 0.5f, 1);
    VIS_EmitSolid(tree_wsypa, tree_wsypa_norms);
    glColor4f(0.6f, 0.5f, 0.2f, 1);
    VIS_EmitSolid(tree_pien1, tree_pien1_norms);
    VIS_EmitSolid(tree_pien2, tree_pien2_norms);
    glColor4f(0.5f, 0.6f, 0.2f, 1);
    VIS_EmitSolid(tree_korona1, tree_korona1_norms);
    VIS_EmitSolid(tree_korona2, tree_korona2_norms);
    Water();
    Skies();
    glEndList();
}

void CompileLetterbox() {
    glNewList(kLetterboxList, GL_COMPILE);
    glColor4f(0, 0, 0, 1);
    VIS_LetterboxBars(0, 0);
    glEndList();
}

void Camera() { gluLookAt(-200, -20, velq_ctrls.value[0], 0, 40, 340, 0, 1, 0); }

}  // namespace

void VIS_INIT_Tree() {
    tree_wsypa = CFS_ReadASE("wsypa");
    tree_pien1 = CFS_ReadASE("pien1");
    tree_pien2 = CFS_ReadASE("pien2");
    tree_korona1 = CFS_ReadASE("korona1");
    tree_korona2 = CFS_ReadASE("korona2");
    tree_shl = CFS_ReadPNG24("shl");
    tree_sky1 = CFS_ReadPNG24("sky1");
    tree_wsypa_norms = CFS_CalcNormsASE(tree_wsypa);
    tree_pien1_norms = CFS_CalcNormsASE(tree_pien1);
    tree_pien2_norms = CFS_CalcNormsASE(tree_pien2);
    tree_korona1_norms = CFS_CalcNormsASE(tree_korona1);
    tree_korona2_norms = CFS_CalcNormsASE(tree_korona2);
}

void VIS_PREP_Tree() {
    glClearColor(0.5f, 0.3f, 0.2f, 0);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
    glFrontFace(GL_CCW);
    glPolygonMode(GL_FRONT, GL_FILL);
    glPolygonMode(GL_BACK, GL_FILL);
    VELQ_RASTA_PictureTexture();
    VELQ_RASTA_PrepBlit24b(kCaptionList, tree_shl);
    VELQ_RASTA_DoublePrepBlit24b(kSkyList, tree_sky1);
    CompileLandscape();
    CompileLetterbox();
    // Given once, under whatever modelview the scene before left: the light
    // stays fixed relative to the eye and does not follow the camera.
    VIS_Light(GL_LIGHT0, tree_lightamba, tree_lightdiff, tree_lightspec, tree_lightpos);
    glEnable(GL_LIGHT0);
    VIS_ColourMaterial(tree_sref, 100);
}

void VIS_CALL_Tree() {
    VIS_Perspective(1.33, 2000);
    glLoadIdentity();
    Camera();

    glEnable(GL_LIGHTING);
    glViewport(0, 0, VELQ_GLW_WIDTH, VELQ_GLW_HEIGHT);
    glCallList(kLandscapeList);
    glLoadIdentity();
    VELQ_GLW_Sample01();
    Camera();
    glViewport(0, 80, 640, 320);
    glCallList(kLandscapeList);
    glLoadIdentity();

    glDisable(GL_LIGHTING);
    VELQ_GLW_Shader01();

    VIS_WindowPixels();
    glCallList(kLetterboxList);
    VIS_Caption(kCaptionList, 10, 408, 1);
}
