// Glow scene: two lit pipes wind about the z axis and turn with channel 0,
// seen by a camera on the line x = 5 that channel 1 moves along the axis.
// Letterboxed, with the glow over the band and the caption just above the
// bottom bar.

#include <cstdint>

#include "archive/cfs.h"
#include "engine/velq2.h"
#include "engine/velq_glow.h"
#include "engine/velq_rasta.h"
#include "engine/velq_scenes.h"
#include "gl1/gl.h"
#include "scenes/vis_draw.h"

CFS_Mesh* glow_pipe1 = nullptr;
CFS_Mesh* glow_pipe2 = nullptr;
CFS_Pict* glow_lans = nullptr;
CFS_Norms* glow_pipe1_norms = nullptr;
CFS_Norms* glow_pipe2_norms = nullptr;

GLfloat glow_lightamba[4] = {0.2f, 0.1f, 0.1f, 1.0f};
GLfloat glow_lightdiff[4] = {0.9f, 0.8f, 0.2f, 1.0f};
GLfloat glow_lightspec[4] = {0.8f, 0.6f, 0.0f, 1.0f};
GLfloat glow_lightpos[4] = {0, 20, -50, 1};
GLfloat glow_sref[4] = {1.0f, 1.0f, 1.0f, 1.0f};

namespace {

constexpr GLuint kCaptionList = 2;
constexpr GLuint kPipesList = 6;
constexpr GLuint kLetterboxList = 7;

constexpr float kCameraX = 5;  // beside the pipes' axis, inside both helices
constexpr GLfloat kShininess = 100;

void CompilePipes() {
    glNewList(kPipesList, GL_COMPILE);
    glColor4f(0.6f, 0.5f, 0.1f, 1.0f);
    VIS_EmitSolid(glow_pipe1, glow_pipe1_norms);
    VIS_EmitSolid(glow_pipe2, glow_pipe2_norms);
    glEndList();
}

void CompileLetterbox() {
    glNewList(kLetterboxList, GL_COMPILE);
    glColor4f(0, 0, 0, 1);
    VIS_LetterboxBars(0.5f, 0.5f);
    glEndList();
}

// The position goes through whatever model-view the scene before left, and
// is never given again: the light stays put relative to the eye.
void SetLight() {
    VIS_Light(GL_LIGHT0, glow_lightamba, glow_lightdiff, glow_lightspec, glow_lightpos);
    glEnable(GL_LIGHT0);
}

// With the eye on the look-at point (channel 1 at 0) the view matrix
// collapses and the pipes vanish for that frame; nothing else depends on it.
void DrawPipes(float c0, float c1) {
    VIS_Perspective(1.33, 300);
    glLoadIdentity();
    glEnable(GL_LIGHTING);
    glEnable(GL_DEPTH_TEST);
    gluLookAt(kCameraX, 0, c1, kCameraX, 0, 0, 0, 1, 0);
    glRotatef(c0, 0, 0, 1);
    glViewport(0, 0, VELQ_GLW_WIDTH, VELQ_GLW_HEIGHT);
    glCallList(kPipesList);
    VELQ_GLW_Sample01();
    glViewport(0, 80, 640, 320);
    glCallList(kPipesList);
}

void DrawFrame() {
    VIS_WindowPixels();
    glDisable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    glCallList(kLetterboxList);
    VIS_Caption(kCaptionList, 10, 84, 0.7f);
}

}  // namespace

void VIS_INIT_Glow() {
    glow_pipe1 = CFS_ReadASE("rurawew");
    glow_pipe2 = CFS_ReadASE("rurazew");
    glow_lans = CFS_ReadPNG24("lans");
    glow_pipe1_norms = CFS_CalcNormsASE(glow_pipe1);
    glow_pipe2_norms = CFS_CalcNormsASE(glow_pipe2);
}

void VIS_PREP_Glow() {
    glClearColor(0, 0, 0, 0);
    glPixelStorei(GL_PACK_SKIP_ROWS, 0);  // the glow read-back starts at the block's first row
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    CompilePipes();
    CompileLetterbox();
    SetLight();
    VIS_ColourMaterial(glow_sref, kShininess);
    VELQ_RASTA_PictureTexture();
    VELQ_RASTA_PrepBlit24b(kCaptionList, glow_lans);
}

void VIS_CALL_Glow() {
    DrawPipes(velq_ctrls.value[0], velq_ctrls.value[1]);
    glDisable(GL_LIGHTING);
    VELQ_GLW_Shader01();
    DrawFrame();
}

void VIS_CALL_GlowB() {}

void VIS_CALL_BlowC() {}
