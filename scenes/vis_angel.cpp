// Angel scene: a grey figure turning in white light among eight feathers
// that tumble in place and drift up or down together.
#include "scenes/vis_angel.h"

#include <cmath>

#include "archive/cfs.h"
#include "engine/velq2.h"
#include "engine/velq_glow.h"
#include "engine/velq_rasta.h"
#include "engine/velq_scenes.h"
#include "gl1/gl.h"
#include "scenes/vis_draw.h"

CFS_Mesh* angel = nullptr;
CFS_Pict* angel_ex_hb = nullptr;
CFS_Norms* angel_norms = nullptr;
CFS_Norms* angel_pen_norms = nullptr;
CFS_Norms* angel_fluff_a_norms = nullptr;
CFS_Norms* angel_fluff_b_norms = nullptr;

// clang-format off
// Triangles 0 to 12 are the vane's right side, 13 to 25 its left; the quill
// runs up the y axis to (0, 130, 0) and both sides end in the tip (0, 200, 15).
float angel_pen[ANGEL_PEN_FACES * 9] = {
    0, 0, 0,        4, 5, 5,          0, 40, 0,
    4, 5, 5,        3, 40, 5,         0, 40, 0,
    0, 35, 0,       4, 40, 5,         20, 60, 5,
    0, 35, 0,       20, 60, 5,        0, 50, 0,
    0, 50, 0,       10, 55, 2.5,      10, 80, 2.5,
    0, 50, 0,       10, 80, 2.5,      0, 70, 0,
    0, 70, 0,       20, 90, 5,        23, 110, 5,
    0, 70, 0,       23, 110, 5,       0, 90, 0,
    0, 80, 0,       10, 90, 2.5,      12.5, 120, 2.5,
    0, 80, 0,       12.5, 120, 2.5,   0, 110, 0,
    0, 110, 0,      25, 130, 5,       20, 150, 5,
    0, 110, 0,      20, 150, 5,       0, 130, 0,
    0, 130, 0,      20, 150, 5,       0, 200, 15,
    0, 0, 0,        -4, 5, 5,         -3, 40, 5,
    0, 0, 0,        -3, 40, 5,        0, 35, 0,
    0, 35, 0,       -4, 40, 5,        -20, 60, 5,
    0, 35, 0,       -20, 60, 5,       0, 50, 0,
    0, 50, 0,       -10, 55, 2.5,     -10, 80, 2.5,
    0, 50, 0,       -10, 80, 2.5,     0, 70, 0,
    0, 70, 0,       -20, 90, 5,       -23, 110, 5,
    0, 70, 0,       -23, 110, 5,      0, 90, 0,
    0, 90, 0,       -20, 100, 5,      -25, 120, 5,
    0, 90, 0,       -25, 120, 5,      0, 110, 0,
    0, 110, 0,      -12.5, 115, 2.5,  -10, 150, 2.5,
    0, 110, 0,      -10, 150, 2.5,    0, 130, 0,
    0, 130, 0,      -20, 150, 5,      0, 200, 15,
};

float angel_fluff_a[ANGEL_FLUFF_FACES * 9] = {
    0, 30, 0,  0, 40, 0,  10, 15, 25,
};
float angel_fluff_b[ANGEL_FLUFF_FACES * 9] = {
    0, 30, 0,  0, 40, 0,  -20, 50, -30,
};

// Where each feather stands (x, y, z) and the axis it tumbles about.
float angel_penpos[8][6] = {
    {200, 0, -200,    0, 1, 0},
    {-80, 100, 300,   1, 0, 0},
    {-300, 280, 0,    0, 1, 0},
    {400, 360, 40,    1, 0, 0},
    {-200, 500, -100, 0.33f, 0.33f, 0.33f},
    {-400, 600, 200,  0, 0.5f, 0},
    {380, 900, -300,  0.2f, 1, 0.6f},
    {-300, 980, 400,  0.7f, 0.2f, 0.6f},
};
// clang-format on

CFS_Mesh angel_pen_info = {angel_pen, 0, ANGEL_PEN_FACES};
CFS_Mesh angel_fluff_a_info = {angel_fluff_a, 0, ANGEL_FLUFF_FACES};
CFS_Mesh angel_fluff_b_info = {angel_fluff_b, 0, ANGEL_FLUFF_FACES};

GLfloat angel_lightpos[4] = {-500, 400, 700, 1};
GLfloat angel_lightspec[4] = {1, 0.7f, 0.7f, 1};
GLfloat angel_lightdiff[4] = {1, 1, 0.3f, 1};
GLfloat angel_lightamba[4] = {0.2f, 0.2f, 0.2f, 1};
GLfloat angel_sref[4] = {1, 1, 1, 1};

int32_t angel_n = 0;  // tuft blade in INIT, triangle in PREP, feather in CALL
float angel_x = 0;    // the blade angle while INIT fans the tufts

namespace {

constexpr GLuint kPictureList = 2;
constexpr GLuint kFigureList = 5;
constexpr GLuint kFeatherList = 6;
constexpr float kBladeStep = 0.785f;  // radians between neighbouring blades
constexpr int kFeathers = 8;

// Blade n of a tuft: blade 0 turned about the y axis by angel_x; its two
// corners on the axis stay where they are.
void TurnBlade(float* tuft) {
    const float* base = tuft;
    float* blade = tuft + angel_n * 9;
    for (int k = 0; k < 6; ++k) blade[k] = base[k];
    const float x = base[6], y = base[7], z = base[8];
    const float c = cosf(angel_x), s = sinf(angel_x);
    blade[6] = x * c + z * s;
    blade[7] = y;
    blade[8] = z * c - x * s;
}

void CompleteTufts() {
    angel_x = 0;
    for (angel_n = 1; angel_n < ANGEL_FLUFF_FACES; ++angel_n) {
        angel_x += kBladeStep;
        TurnBlade(angel_fluff_a);
        TurnBlade(angel_fluff_b);
    }
}

// Triangle i, inside the feather's one GL_TRIANGLES batch, after its normal.
void Triangle(const float* tris, int i) {
    for (int k = 0; k < 3; ++k) glVertex3fv(tris + i * 9 + 3 * k);
}

void Normal(const CFS_Norms* norms, int i) { glNormal3f(norms[i].x, norms[i].y, norms[i].z); }

void CompileFigure() {
    glNewList(kFigureList, GL_COMPILE);
    glColor4f(0.5f, 0.5f, 0.5f, 1);
    VIS_EmitSolid(angel, angel_norms);
    glEndList();
}

// The opaque vane, then the half-transparent tufts over it, in one batch:
// a software renderer pays for every batch.
void CompileFeather() {
    glNewList(kFeatherList, GL_COMPILE);
    glBegin(GL_TRIANGLES);
    for (angel_n = 0; angel_n < ANGEL_PEN_FACES; ++angel_n) {
        Normal(angel_pen_norms, angel_n);
        glColor4f(0.9f, 0.7f, 0.6f, 1);
        Triangle(angel_pen, angel_n);
    }
    glColor4f(1, 0.8f, 0.7f, 0.5f);
    for (angel_n = 0; angel_n < ANGEL_FLUFF_FACES; ++angel_n) {
        Normal(angel_fluff_a_norms, angel_n);
        Triangle(angel_fluff_a, angel_n);
        Normal(angel_fluff_b_norms, angel_n);
        Triangle(angel_fluff_b, angel_n);
    }
    glEnd();
    glEndList();
}

void Camera() {
    glLoadIdentity();
    gluLookAt(0, -200, 1000, 0, 0, 0, 0, 1, 0);
}

// The figure turning about the vertical, then the eight feathers, each
// tumbling about its own foot.
void Draw3D() {
    const float turn = velq_ctrls.value[0];
    Camera();
    glRotatef(turn, 0, 1, 0);
    glCallList(kFigureList);
    for (angel_n = 0; angel_n < kFeathers; ++angel_n) {
        const float* pos = angel_penpos[angel_n];
        Camera();
        glTranslatef(pos[0], pos[1] + velq_ctrls.value[1], pos[2]);
        glRotatef(turn, 1, 0.4f, 0.2f);
        glRotatef(turn, pos[3], pos[4], pos[5]);
        glRotatef(turn, 0.1f, 1, 0.2f);
        glCallList(kFeatherList);
    }
}

}  // namespace

void VIS_INIT_Angel() {
    angel = CFS_ReadASE("aniooteq");
    angel_ex_hb = CFS_ReadPNG24("ex_hb");
    CompleteTufts();
    angel_norms = CFS_CalcNormsASE(angel);
    angel_pen_norms = CFS_CalcNormsASE(&angel_pen_info);
    angel_fluff_a_norms = CFS_CalcNormsASE(&angel_fluff_a_info);
    angel_fluff_b_norms = CFS_CalcNormsASE(&angel_fluff_b_info);
}

void VIS_PREP_Angel() {
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_BLEND);
    glClearColor(1, 1, 1, 0);
    glEnable(GL_DEPTH_TEST);
    glFrontFace(GL_CCW);
    glDisable(GL_NORMALIZE);
    glEnable(GL_LIGHTING);
    glPolygonMode(GL_FRONT, GL_FILL);
    glPolygonMode(GL_BACK, GL_FILL);
    // Given under the identity, the light stays put relative to the eye.
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    VIS_Light(GL_LIGHT0, angel_lightamba, angel_lightdiff, angel_lightspec, angel_lightpos);
    glEnable(GL_LIGHT0);
    glColorMaterial(GL_FRONT, GL_AMBIENT_AND_DIFFUSE);
    glMaterialfv(GL_FRONT, GL_SPECULAR, angel_sref);
    glMateriali(GL_FRONT, GL_SHININESS, 100);
    CompileFigure();
    CompileFeather();
    VELQ_RASTA_PictureTexture();
    VELQ_RASTA_PrepBlit24b(kPictureList, angel_ex_hb);
}

void VIS_CALL_Angel() {
    glEnable(GL_LIGHTING);
    glEnable(GL_BLEND);
    glShadeModel(GL_FLAT);
    glEnable(GL_COLOR_MATERIAL);
    VIS_Perspective(1.5385f, 3000);

    glViewport(0, 0, VELQ_GLW_WIDTH, VELQ_GLW_HEIGHT);
    Draw3D();
    VELQ_GLW_Sample01();
    glViewport(0, 80, 640, 320);
    Draw3D();

    glShadeModel(GL_SMOOTH);
    glDisable(GL_LIGHTING);
    glDisable(GL_COLOR_MATERIAL);
    VELQ_GLW_Shader01();

    VIS_WindowPixels();
    glDisable(GL_BLEND);
    // The bottom bar lies behind the caption at z = 0, which shows over it.
    glColor4f(0, 0, 0, 0);
    VIS_LetterboxBars(-0.5f, 0);
    VIS_Caption(kPictureList, 70, 16, 0);
}

void VIS_BLUR_Angel() {}
