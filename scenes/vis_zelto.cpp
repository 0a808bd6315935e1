// Zelto scene, the last of the tape: the picture "zelto" on an orange ground
// inside the letterbox, under flickering black stripes of random
// transparency, while a black fade closes in from the band's top and bottom
// edges to its middle. Channel 0 drives the fade; channel 1 reaching 1
// redraws the stripes, several times a second.

#include <algorithm>
#include <cstdlib>
#include <initializer_list>
#include <iterator>

#include "archive/cfs.h"
#include "engine/velq2.h"
#include "engine/velq_rasta.h"
#include "engine/velq_scenes.h"
#include "gl1/gl.h"
#include "scenes/vis_draw.h"

CFS_Pict* zelto_pict = nullptr;

// Column-major: window pixels, origin at the lower left, z negated.
GLfloat zelto_ortho[16] = {0.003125f, 0, 0, 0, 0, 0.004167f, 0, 0, 0, 0, -1, 0, -1, -1, 0, 1};

// Stripe alphas, 0 to 127; the horizontal and the vertical stripes both
// read them from the start.
uint8_t intro_rand[161];
int32_t intro_x;
int32_t intro_y;

namespace {

constexpr GLuint kPictureList = 2;
constexpr GLuint kLetterboxList = 7;
constexpr int kStripes = 161;
constexpr int kRowStripes = 81;
constexpr int kStripeStep = 4;
constexpr int kBandWidth = 640;
constexpr int kBandHeight = 320;

void CompileLetterbox() {
    glNewList(kLetterboxList, GL_COMPILE);
    glDisable(GL_TEXTURE_2D);
    glColor4f(0, 0, 0, 0);  // blending is off whenever the list runs
    VIS_LetterboxBars(0, 0);
    glEndList();
}

void RefreshStripes() {
    for (intro_x = 0; intro_x < kStripes; ++intro_x) intro_rand[intro_x] = rand() % 128;
}

void StripeColour() { glColor4ub(0, 0, 0, intro_rand[intro_x]); }

// Rows every 4 pixels from the band's top down, each band between two rows
// shaded from one alpha to the next.
void HorizontalStripes() {
    glBegin(GL_QUAD_STRIP);
    for (intro_x = 0; intro_x < kRowStripes; ++intro_x) {
        intro_y = kBandHeight - kStripeStep * intro_x;
        StripeColour();
        glVertex2i(0, intro_y);
        glVertex2i(kBandWidth, intro_y);
    }
    glEnd();
}

void VerticalStripes() {
    glBegin(GL_QUAD_STRIP);
    for (intro_x = 0; intro_x < kStripes; ++intro_x) {
        const int x = kBandWidth - kStripeStep * intro_x;
        StripeColour();
        glVertex2i(x, 0);
        glVertex2i(x, kBandHeight);
    }
    glEnd();
}

// Edges at alpha c0, the middle row at c0 - 1; GL clamps both to 0..1, so
// the edges darken first and the middle follows once c0 passes 1.
void Fade(float c0) {
    glBegin(GL_QUAD_STRIP);
    const float alphas[3] = {c0, c0 - 1, c0};
    for (int row = 0; row < 3; ++row) {
        const GLfloat y = row * kBandHeight / 2.0f;
        glColor4f(0, 0, 0, alphas[row]);
        glVertex3f(0, y, 0.5f);
        glVertex3f(kBandWidth, y, 0.5f);
    }
    glEnd();
}

}  // namespace

// The Zelto scene keeps state between frames: its stripes, drawn anew
// from rand() now and then.
void VIS_REWIND_Zelto() {
    srand(1);  // as an unseeded rand() starts
    std::fill(std::begin(intro_rand), std::end(intro_rand), 0);
}

void VIS_STATE_Zelto() {
    if (velq_ctrls.value[1] >= 1.0f) RefreshStripes();
}

void VIS_INIT_Zelto() { zelto_pict = CFS_ReadPNG24("zelto"); }

void VIS_PREP_Zelto() {
    glEnable(GL_DEPTH_TEST);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDisable(GL_LIGHTING);
    glDisable(GL_CULL_FACE);
    glClearColor(1.0f, 0.45f, 0.1f, 0.0f);
    glViewport(0, 0, 640, 480);
    glMatrixMode(GL_PROJECTION);
    glLoadMatrixf(zelto_ortho);
    VELQ_RASTA_PictureTexture();
    glMatrixMode(GL_MODELVIEW);
    VELQ_RASTA_PrepBlit24b(kPictureList, zelto_pict);
    CompileLetterbox();
    glMatrixMode(GL_MODELVIEW);
}

void VIS_CALL_Zelto() {
    glLoadIdentity();
    glCallList(kLetterboxList);
    VIS_Caption(kPictureList, 64, 120, 0);
    glEnable(GL_BLEND);
    glShadeModel(GL_SMOOTH);
    glTranslatef(-64, -40, 0);  // from here on: the band's lower-left corner
    VIS_STATE_Zelto();
    glDisable(GL_DEPTH_TEST);
    HorizontalStripes();
    VerticalStripes();
    Fade(velq_ctrls.value[0]);
    glDisable(GL_BLEND);
}
