// Thornax scene, the opening after loading, in two variants that share one
// set of lists and GL state. ThornaxIn: an orange ring and the emblem spin
// about the view axis, lit by a light whose strength is channel 0; its PREP
// builds everything and starts the soundtrack. Thornax: a blue knot slides
// sideways beside a tilted ring, over a white glyph row, with the picture
// "developed" in the top band. Both draw with the glow and a letterbox.

#include <initializer_list>

#include "archive/cfs.h"
#include "engine/velq2.h"
#include "engine/velq_ex.h"
#include "engine/velq_glow.h"
#include "engine/velq_rasta.h"
#include "engine/velq_scenes.h"
#include "engine/velq_start.h"
#include "gl1/gl.h"
#include "scenes/vis_draw.h"

CFS_Mesh* tsy = nullptr;
CFS_Mesh* de = nullptr;
CFS_Mesh* ef = nullptr;
CFS_Mesh* foremka = nullptr;
CFS_Pict* developed_pict = nullptr;
CFS_Mesh* thornax = nullptr;
CFS_Norms* foremka_norms = nullptr;
CFS_Norms* thornax_norms = nullptr;

GLfloat thornax_lightpos[4] = {60, 100, 700, 1};
GLfloat thornax_lightspec[4] = {1, 0.7f, 0.7f, 1};
GLfloat thornax_lightdiff[4] = {1, 1, 0.3f, 1};
GLfloat thornax_lightamba[4] = {0.5f, 0.4f, 0.3f, 1};
GLfloat thornaxin_lightpos[4] = {0, 700, 0, 1};
// Red, green and blue follow channel 0 every frame.
GLfloat thornaxin_lightspec[4] = {0.5f, 0.7f, 0.7f, 1};
GLfloat thornaxin_lightdiff[4] = {0.5f, 1, 0.3f, 1};
GLfloat thornaxin_lightamba[4] = {0.1f, 0, 0, 1};
GLfloat thornax_sref[4] = {1, 1, 1, 1};

namespace {

constexpr GLuint kPictureList = 2;
constexpr GLuint kGlyphRowList = 5;
constexpr GLuint kKnotList = 6;
constexpr GLuint kRingList = 7;
constexpr int kMusicChannel = 2;
// A broad highlight: the light's specular colour gathers where the knot and
// ring face it instead of washing over every lit face.
constexpr GLfloat kFrontShininess = 20;
constexpr double kAspect = 1.5385f;
constexpr double kFar = 3000;

void CompileGlyphRow() {
    glNewList(kGlyphRowList, GL_COMPILE);
    glColor4f(1, 1, 1, 1);
    VIS_EmitMesh(tsy, nullptr);
    glTranslatef(40, 0, 0);
    VIS_EmitMesh(de, nullptr);
    glTranslatef(40, 0, 0);
    VIS_EmitMesh(ef, nullptr);
    glTranslatef(40, 0, 0);
    glBegin(GL_QUADS);  // a stroke slanting down to the right
    glVertex2f(-5, 30);
    glVertex2f(-20, 30);
    glVertex2f(25, -32);
    glVertex2f(40, -32);
    glEnd();
    glTranslatef(360, 0, 0);
    VIS_EmitMesh(thornax, thornax_norms);
    glEndList();
}

void CompileKnot() {
    glNewList(kKnotList, GL_COMPILE);
    glColor4f(0.3f, 0.3f, 1, 1);
    VIS_EmitSolid(foremka, foremka_norms);
    glEndList();
}

void CompileRing() {
    glNewList(kRingList, GL_COMPILE);
    glColor4f(0.9f, 0.5f, 0.2f, 1);
    VELQ_EX_Circle(0, 0, 120, 140, 40);
    glEndList();
}

// The bottom bar lies nearer than the top one, so a picture at z = 0 shows
// over the top bar but not over the bottom one.
void Letterbox() {
    glDisable(GL_BLEND);
    glLoadIdentity();
    glColor4f(0, 0, 0, 0);
    VIS_LetterboxBars(0.5f, -0.5f);
}

// The ring and the emblem turning about the view axis by channel 1; the
// emblem's shapes are drawn unblended over its half-transparent ring.
void RingAndEmblem() {
    glLoadIdentity();
    gluLookAt(0, 0, 600, 0, 0, 0, 0, 1, 0);
    glRotatef(velq_ctrls.value[1], 0, 0, 1);
    glTranslatef(-30, -30, 0);
    glCallList(kRingList);
    glTranslatef(-30, -30, 100);
    glCallList(VELQ_EX_RING_LIST);
    glDisable(GL_BLEND);
    glCallList(VELQ_EX_EMBLEM_LIST);
    glEnable(GL_BLEND);
}

// The knot at x = channel 0 and the ring tilted away below it.
void KnotAndRing() {
    glLoadIdentity();
    glEnable(GL_LIGHTING);
    glTranslatef(velq_ctrls.value[0], 50, -250);
    glCallList(kKnotList);
    glLoadIdentity();
    glTranslatef(-170, -100, -340);
    glRotatef(-70, 0.8f, 0.8f, 0.6f);
    glCallList(kRingList);
}

// Draws the 3D part small for the glow sample, then in the picture band,
// then lays the glow over it.
void GlowPasses(void (*draw)()) {
    glViewport(0, 0, 64, 32);
    draw();
    VELQ_GLW_Sample01();
    glViewport(0, 80, 640, 320);
    draw();
    glDisable(GL_LIGHTING);
    VELQ_GLW_Shader01();
}

}  // namespace

void VIS_INIT_Thornax() {
    tsy = CFS_ReadASE("tsy");
    de = CFS_ReadASE("de");
    ef = CFS_ReadASE("ef");
    foremka = CFS_ReadASE("foremka");
    developed_pict = CFS_ReadPNG24("developed");
    thornax = CFS_ReadASE("thornax");
    foremka_norms = CFS_CalcNormsASE(foremka);
    thornax_norms = CFS_CalcNormsASE(thornax);
}

void VIS_PREP_ThornaxIn() {
    glEnable(GL_DEPTH_TEST);
    VELQ_RASTA_PictureTexture();
    glClearColor(0, 0, 0, 1);
    glViewport(0, 0, 640, 480);
    glDisable(GL_NORMALIZE);
    glEnable(GL_LIGHTING);
    glShadeModel(GL_SMOOTH);
    VIS_Light(GL_LIGHT0, thornaxin_lightamba, thornaxin_lightdiff, thornaxin_lightspec,
              thornaxin_lightpos);
    glEnable(GL_LIGHT0);
    VIS_ColourMaterial(thornax_sref, kFrontShininess);
    VELQ_EX_WendrikInit();
    VELQ_RASTA_PrepBlit24b(kPictureList, developed_pict);
    CompileGlyphRow();
    CompileKnot();
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_BLEND);
    CompileRing();
    // The soundtrack starts with the first scene after loading; entering the
    // scene again keeps it playing where it is.
    FSOUND_Stream_Play(kMusicChannel, music);
}

void VIS_CALL_ThornaxIn() {
    const float c = velq_ctrls.value[0];
    for (GLfloat* colour : {thornaxin_lightspec, thornaxin_lightdiff})
        colour[0] = colour[1] = colour[2] = c;
    // Given before any matrix is loaded: under what the previous frame left.
    glLightfv(GL_LIGHT0, GL_POSITION, thornaxin_lightpos);
    glLightfv(GL_LIGHT0, GL_AMBIENT, thornaxin_lightamba);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, thornaxin_lightdiff);
    glLightfv(GL_LIGHT0, GL_SPECULAR, thornaxin_lightspec);
    VIS_Perspective(kAspect, kFar);
    glEnable(GL_LIGHTING);
    GlowPasses(RingAndEmblem);
    VIS_WindowPixels();
    Letterbox();
}

void VIS_PREP_Thornax() {
    // Taken under the identity the last ThornaxIn frame left.
    VIS_Light(GL_LIGHT0, thornax_lightamba, thornax_lightdiff, thornax_lightspec, thornax_lightpos);
    glEnable(GL_LIGHT0);
    glEnable(GL_LIGHTING);
}

void VIS_CALL_Thornax() {
    VIS_Perspective(kAspect, kFar);
    GlowPasses(KnotAndRing);
    VIS_WindowPixels();
    glDisable(GL_BLEND);
    glTranslatef(30, 150, 1);
    glCallList(kGlyphRowList);  // lighting is off: plain white
    Letterbox();
    glLoadIdentity();
    VIS_Caption(kPictureList, 160, 408, 0);
}
