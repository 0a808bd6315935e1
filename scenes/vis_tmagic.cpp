// TMagic scene: a lit tunnel far down the z axis turns with the scene clock;
// in front of it two fans of rays turn against each other, a chain of rings
// and discs runs toward the camera and the emblem sits in the middle, all lit
// by a spot fixed to the camera. Letterboxed, with the glow over the band and
// the caption just above the bottom bar.
#include "scenes/vis_tmagic.h"

#include <cmath>
#include <cstdint>

#include "archive/cfs.h"
#include "engine/velq2.h"
#include "engine/velq_ex.h"
#include "engine/velq_glow.h"
#include "engine/velq_rasta.h"
#include "engine/velq_scenes.h"
#include "gl1/gl.h"
#include "scenes/vis_draw.h"

CFS_Pict* tmagic_vostil = nullptr;
CFS_Mesh* tmagic_tunel = nullptr;
CFS_Norms* tmagic_tunel_norms = nullptr;

// The ray each fan is made of, corners (x, y, z): a thin spike along +y.
float tmagic_first_p[3][3] = {{5, 0, -30}, {-5, 0, -30}, {0, 140, -30}};
float tmagic_second_p[3][3] = {{10, 0, -50}, {-10, 0, -50}, {0, 110, -50}};
float tmagic_first[TMAGIC_RAYS][3][3];
float tmagic_second[TMAGIC_RAYS][3][3];
int32_t tmagic_a;
int32_t tmagic_b;
float tmagic_x;

GLfloat tmagic_light0amba[4] = {0.2f, 0.1f, 0.1f, 1.0f};
GLfloat tmagic_light0diff[4] = {0.9f, 0.7f, 0.6f, 1.0f};
GLfloat tmagic_light0spec[4] = {0.5f, 0.4f, 0.2f, 1.0f};
GLfloat tmagic_light0pos[4] = {0, 10, 500, 1};
// The spot: red six times full scale on purpose, so all its cone holds burns
// bright. Its cone is lit evenly (the default exponent).
GLfloat tmagic_light1amba[4] = {0.8f, 0.6f, 0.6f, 1.0f};
GLfloat tmagic_light1diff[4] = {6.0f, 1.0f, 1.0f, 1.0f};
GLfloat tmagic_light1spec[4] = {5.0f, 1.0f, 1.0f, 1.0f};
GLfloat tmagic_light1pos[4] = {0, 0, 200, 1};
GLfloat tmagic_light1spdir[4] = {0, 0, -1, 1};
GLfloat tmagic_zero[4] = {0, 0, 0, 1};

namespace {

constexpr GLuint kCaptionList = 2;
constexpr GLuint kTunnelList = 12;
constexpr GLuint kFirstFanList = 13;
constexpr GLuint kSecondFanList = 14;
constexpr GLuint kRingsList = 15;

constexpr float kRayStep = 0.20944f;  // 12 degrees: the 30 rays go once around
constexpr float kTunnelDepth = -1800;
constexpr float kSpotCutoff = 30;
constexpr int kRingSegments = 25;

struct RingStep {
    float dz;
    GLfloat colour[4];
    float inner, outer;
};

// The chain along the axis: each step moves on from the one before.
constexpr RingStep kRings[] = {
    {120, {1.0f, 0.8f, 1.0f, 0.7f}, 16, 20}, {60, {1.0f, 0.8f, 1.0f, 1.0f}, 0, 12},
    {50, {1.0f, 0.8f, 1.0f, 0.7f}, 0, 10},   {50, {1.0f, 0.8f, 1.0f, 0.7f}, 16, 20},
    {40, {1.0f, 0.8f, 1.0f, 0.7f}, 0, 16},   {50, {1.0f, 0.8f, 1.0f, 1.0f}, 0, 12},
};

// Copies of the template ray turned about z, one every kRayStep radians.
void ComputeFan(const float (&ray)[3][3], float (&fan)[TMAGIC_RAYS][3][3]) {
    tmagic_x = 0.0f;
    for (tmagic_a = 0; tmagic_a < TMAGIC_RAYS; ++tmagic_a) {
        const float c = cosf(tmagic_x), s = sinf(tmagic_x);
        for (tmagic_b = 0; tmagic_b < 3; ++tmagic_b) {
            const float* p = ray[tmagic_b];
            float* q = fan[tmagic_a][tmagic_b];
            q[0] = c * p[0] - s * p[1];
            q[1] = s * p[0] + c * p[1];
            q[2] = p[2];
        }
        tmagic_x += kRayStep;
    }
}

void CompileFan(GLuint list, const GLfloat (&colour)[4], const float (&fan)[TMAGIC_RAYS][3][3]) {
    glNewList(list, GL_COMPILE);
    glColor4fv(colour);
    glBegin(GL_TRIANGLES);
    glNormal3f(0, 0, 1);
    for (const auto& tri : fan)
        for (const auto& corner : tri) glVertex3fv(corner);
    glEnd();
    glEndList();
}

void CompileRings() {
    glNewList(kRingsList, GL_COMPILE);
    glPushMatrix();
    for (const RingStep& r : kRings) {
        glTranslatef(0, 0, r.dz);
        glColor4fv(r.colour);
        VELQ_EX_Circle(0, 0, r.inner, r.outer, kRingSegments);
    }
    glPopMatrix();
    glEndList();
}

void CompileTunnel() {
    glNewList(kTunnelList, GL_COMPILE);
    glColor4f(0.9f, 0.7f, 0.3f, 1.0f);
    VIS_EmitSolid(tmagic_tunel, tmagic_tunel_norms);
    glEndList();
}

// Both lights are given under the identity, so they ride with the camera.
void SetLights() {
    VIS_Light(GL_LIGHT0, tmagic_light0amba, tmagic_light0diff, tmagic_light0spec, tmagic_light0pos);
    glEnable(GL_LIGHT0);
    VIS_Light(GL_LIGHT1, tmagic_light1amba, tmagic_light1diff, tmagic_light1spec, tmagic_light1pos);
    glLightfv(GL_LIGHT1, GL_SPOT_DIRECTION, tmagic_light1spdir);
    glLightf(GL_LIGHT1, GL_SPOT_CUTOFF, kSpotCutoff);
    glEnable(GL_LIGHT1);
}

void LookAt() {
    glLoadIdentity();
    gluLookAt(80, -80, 480, 0, 0, 0, 0, 1, 0);
}

void Turn(float degrees) { glRotatef(degrees, 0, 0, 1); }

void DrawTunnel(float c0) {
    Turn(-c0);
    glTranslatef(0, 0, kTunnelDepth);
    glCallList(kTunnelList);
}

// Drawn in call order without depth testing: each overlay covers the one
// before it wherever they cross.
void DrawOverlays(float c0) {
    glEnable(GL_LIGHT1);
    LookAt();
    Turn(c0);
    glCallList(kFirstFanList);
    LookAt();
    Turn(-c0);
    glCallList(kSecondFanList);
    LookAt();
    glCallList(kRingsList);
    glPushMatrix();
    glTranslatef(-30, -30, 0);
    glCallList(VELQ_EX_RING_LIST);
    glDisable(GL_BLEND);
    glCallList(VELQ_EX_EMBLEM_LIST);
    glEnable(GL_BLEND);
    glPopMatrix();
    glDisable(GL_LIGHT1);
    glDisable(GL_LIGHTING);
}

void DrawLetterbox() {
    VIS_WindowPixels();
    glDisable(GL_BLEND);
    glColor4f(0, 0, 0, 0);
    VIS_LetterboxBars(-0.5f, 0);
}

void DrawCaption() { VIS_Caption(kCaptionList, 10, 84, 0); }

}  // namespace

void VIS_INIT_TMagic() {
    tmagic_vostil = CFS_ReadPNG24("tmagic");
    tmagic_tunel = CFS_ReadASE("tunel");
    tmagic_tunel_norms = CFS_CalcNormsASE(tmagic_tunel);
    ComputeFan(tmagic_first_p, tmagic_first);
    ComputeFan(tmagic_second_p, tmagic_second);
}

void VIS_PREP_TMagic() {
    glDisable(GL_DEPTH_TEST);
    glClearColor(0.3f, 0.2f, 0.1f, 0.0f);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_BLEND);
    glFrontFace(GL_CW);
    glPolygonMode(GL_FRONT, GL_FILL);
    glPolygonMode(GL_BACK, GL_FILL);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    VELQ_EX_WendrikInit();
    CompileFan(kFirstFanList, {1.0f, 0.8f, 0.9f, 1.0f}, tmagic_first);
    CompileFan(kSecondFanList, {0.9f, 0.8f, 1.0f, 0.8f}, tmagic_second);
    CompileRings();
    CompileTunnel();
    VELQ_RASTA_PictureTexture();
    VELQ_RASTA_PrepBlit24b(kCaptionList, tmagic_vostil);
    SetLights();
    glEnable(GL_COLOR_MATERIAL);
    glColorMaterial(GL_FRONT, GL_AMBIENT_AND_DIFFUSE);
    // The specular material and shininess stay as the scenes before left
    // them: a tight glint keeps the emblem readable under the spot.
    glMaterialfv(GL_FRONT, GL_AMBIENT_AND_DIFFUSE, tmagic_zero);
}

void VIS_CALL_TMagic() {
    const float c0 = velq_ctrls.value[0];
    glEnable(GL_LIGHTING);
    VIS_Perspective(1.5385f, 3000);

    // Glow sample: the tunnel alone, small, in the window's corner.
    glViewport(0, 0, VELQ_GLW_WIDTH, VELQ_GLW_HEIGHT);
    LookAt();
    glEnable(GL_DEPTH_TEST);
    DrawTunnel(c0);
    glDisable(GL_DEPTH_TEST);
    VELQ_GLW_Sample01();

    glViewport(0, 80, 640, 320);
    LookAt();
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_LIGHTING);
    glPushMatrix();
    DrawTunnel(c0);
    glPopMatrix();
    glDisable(GL_DEPTH_TEST);
    DrawOverlays(c0);

    VELQ_GLW_Shader01();
    DrawLetterbox();
    DrawCaption();
    glEnable(GL_BLEND);
}
