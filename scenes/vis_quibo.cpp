// Quibo scene: the two title pictures, "grid" and "amber", on a cream ground
// with a white left half, and behind them two half-transparent orange wheels
// turning against each other about the horizontal axis: a wheel of paddles
// and a wheel of combs. A narrow perspective keeps only a thin slab of the
// wheels, so they show as slices that change shape as they turn.

#include <cmath>
#include <initializer_list>

#include "archive/cfs.h"
#include "engine/velq2.h"
#include "engine/velq_rasta.h"
#include "engine/velq_scenes.h"
#include "gl1/gl.h"
#include "scenes/vis_draw.h"

CFS_Pict* quibo_amber = nullptr;
CFS_Pict* quibo_grid = nullptr;

// The comb outline in the plane of its fan: the handle end, then the prongs
// zigzagging between x = 30 and x = 10.
GLfloat quibo_fork[8][3] = {{-40, 0, -60}, {30, 25, 6}, {10, 15, -2},  {30, 10, 6},
                            {10, 0, -2},   {30, -5, 6}, {10, -10, -2}, {30, -15, 6}};
// The comb turned to 16 angles about the x axis, filled by INIT.
GLfloat quibo_fork_a[16][8][3];

// Column-major. One unit per window pixel, depths -10 (far) to 10 (near).
GLfloat quibo_ortho[16] = {0.003125f, 0, 0, 0, 0, 0.004167f, 0, 0, 0, 0, -0.1f, 0, -1, -1, 0, 1};
// About 45 degrees, near 160 and far 190: a slab 30 units deep.
GLfloat quibo_persy[16] = {1.815f, 0, 0,        0,  0, 2.414f, 0,          0,
                           0,      0, -11.667f, -1, 0, 0,      -2026.667f, 0};
// Eye coordinates (x - 1, y - 1, -z - 200).
GLfloat quibo_lookat[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, -1, 0, -1, -1, -200, 1};

float quibo_a;
float quibo_b, quibo_c, quibo_d, quibo_e;
int32_t quibo_x, quibo_y;

namespace {

constexpr GLuint kAmberList = 2;
constexpr GLuint kGridList = 3;
constexpr GLuint kPaddleList = 7;
constexpr GLuint kForkList = 8;
constexpr GLuint kLetterboxList = 10;
constexpr int kForkRows = 16;
constexpr int kForkPoints = 8;
constexpr float kAngleStep = 0.392f;
constexpr float kPaddleEnd = 6.29f;

constexpr GLfloat kPaddleLight[4] = {1, 0.6f, 0.3f, 0.5f};
constexpr GLfloat kPaddleDark[4] = {0.8f, 0.4f, 0.3f, 0.5f};
constexpr GLfloat kForkHandle[4] = {0.9f, 0.5f, 0.3f, 0.5f};
constexpr GLfloat kForkDark[4] = {0.8f, 0.4f, 0.1f, 0.5f};
constexpr GLfloat kForkLight[4] = {0.9f, 0.6f, 0.1f, 0.5f};

// The next angle of both wheels: the sum is formed in double precision and
// stored as single.
float NextAngle(float a) { return static_cast<float>(static_cast<double>(a) + kAngleStep); }

void TurnFork() {
    const float c = cosf(quibo_a), s = sinf(quibo_a);
    for (quibo_y = 0; quibo_y < kForkPoints; ++quibo_y) {
        const GLfloat* p = quibo_fork[quibo_y];
        GLfloat* q = quibo_fork_a[quibo_x][quibo_y];
        q[0] = p[0];
        q[1] = p[1] * c - p[2] * s;
        q[2] = p[1] * s + p[2] * c;
    }
}

// Paddle rim points (y, z) = (10, -140) and (-10, -140) turned about x by
// the current angle, stored as (b, c) and (d, e).
void PaddleRim() {
    const float c = cosf(quibo_a), s = sinf(quibo_a);
    quibo_b = 10 * c + 140 * s;
    quibo_c = 10 * s - 140 * c;
    quibo_d = -10 * c + 140 * s;
    quibo_e = -10 * s - 140 * c;
}

// One fan of paddles from the hub out along x: the rim points alternate
// light (b, c) and dark (d, e) from x = first, stepping 20 towards the hub.
void PaddleFan(float first, int rim_points) {
    const float step = first > 0 ? -20 : 20;
    glBegin(GL_TRIANGLE_FAN);
    glColor4fv(kPaddleLight);
    glVertex3f(0, 0, 0);
    for (int i = 0; i < rim_points; ++i) {
        const bool light = i % 2 == 0;
        glColor4fv(light ? kPaddleLight : kPaddleDark);
        glVertex3f(first + i * step, light ? quibo_b : quibo_d, light ? quibo_c : quibo_e);
    }
    glEnd();
}

void CompilePaddleWheel() {
    glNewList(kPaddleList, GL_COMPILE);
    for (quibo_a = 0; quibo_a < kPaddleEnd; quibo_a = NextAngle(quibo_a)) {
        PaddleRim();
        PaddleFan(120, 5);   // reaches x = 40
        PaddleFan(-120, 6);  // reaches x = -20: the wheel is not symmetric
    }
    glEndList();
}

void CompileForkWheel() {
    glNewList(kForkList, GL_COMPILE);
    for (quibo_x = 0; quibo_x < kForkRows; ++quibo_x) {
        glBegin(GL_TRIANGLE_FAN);
        glColor4fv(kForkHandle);
        glVertex3fv(quibo_fork_a[quibo_x][0]);
        for (quibo_y = 1; quibo_y < kForkPoints; ++quibo_y) {
            glColor4fv(quibo_y % 2 ? kForkDark : kForkLight);
            glVertex3fv(quibo_fork_a[quibo_x][quibo_y]);
        }
        glEnd();
    }
    glEndList();
}

void CompileLetterbox() {
    glNewList(kLetterboxList, GL_COMPILE);
    glColor4f(0, 0, 0, 1);
    VIS_LetterboxBars(-0.5f, -0.5f);
    glEndList();
}

void Projection(const GLfloat* m) {
    glMatrixMode(GL_PROJECTION);
    glLoadMatrixf(m);
    glMatrixMode(GL_MODELVIEW);
}

// The left half of the window, far back; drawn in whatever viewport the
// previous frame left.
void WhitePanel() {
    glBegin(GL_QUADS);
    glColor4f(1, 1, 1, 1);
    glVertex3f(0, 480, -9);
    glVertex3f(0, 0, -9);
    glVertex3f(320, 0, -9);
    glVertex3f(320, 480, -9);
    glEnd();
}

void Wheel(GLuint list, float angle) {
    glLoadMatrixf(quibo_lookat);
    glRotatef(angle, 1, 0, 0);
    glCallList(list);
}

}  // namespace

void VIS_INIT_Quibo() {
    quibo_a = 0;
    for (quibo_x = 0; quibo_x < kForkRows; ++quibo_x) {
        TurnFork();
        quibo_a = NextAngle(quibo_a);
    }
    quibo_amber = CFS_ReadPNG24("amber");
    quibo_grid = CFS_ReadPNG24("grid");
}

void VIS_PREP_Quibo() {
    glClearColor(1, 0.9f, 0.7f, 1);
    glViewport(0, 64, 640, 352);
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
    glDisable(GL_COLOR_MATERIAL);
    glShadeModel(GL_SMOOTH);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_BLEND);
    CompilePaddleWheel();
    CompileForkWheel();
    CompileLetterbox();
    VELQ_RASTA_PictureTexture();
    VELQ_RASTA_PrepBlit24b(kAmberList, quibo_amber);
    VELQ_RASTA_PrepBlit24b(kGridList, quibo_grid);
}

void VIS_CALL_Quibo1() {
    const float angle = velq_ctrls.value[0];
    Projection(quibo_ortho);
    glLoadIdentity();
    WhitePanel();
    Projection(quibo_persy);
    glViewport(0, 80, 640, 320);
    Wheel(kPaddleList, angle);
    Wheel(kForkList, -angle);
    glViewport(0, 0, 640, 480);
    Projection(quibo_ortho);
    glLoadIdentity();
    glCallList(kLetterboxList);
    // The pictures lie in front of the letterbox and the panel.
    glEnable(GL_TEXTURE_2D);
    glTranslatef(0, 8, 1);
    glCallList(kGridList);
    glTranslatef(0, 200, 0);
    glCallList(kAmberList);
    glDisable(GL_TEXTURE_2D);
}

void VIS_CALL_Quibo2() {}
void VIS_CALL_Quibo3() {}
void VIS_CALL_Quibo4() {}
