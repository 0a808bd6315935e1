// Loading scene: the boot picture at the lower-left corner and a row of
// eight progress boxes near the top-left corner, one per loading step,
// hollow until the loader marks the step done.

#include "archive/cfs.h"
#include "engine/velq_loader.h"
#include "engine/velq_rasta.h"
#include "engine/velq_scenes.h"
#include "gl1/gl.h"
#include "platform/word.h"

CFS_Pict* loading_pict = nullptr;

// Window-pixel projection, column-major: x 0..640 and y 0..480 to -1..1.
GLfloat loading_ortho[16] = {
    0.003125f, 0, 0, 0, 0, 0.004167f, 0, 0, 0, 0, -1, 0, -1, -1, 0, 1,
};

namespace {

constexpr GLuint kPictureList = 2;
constexpr GLuint kHollowBoxList = 5;
constexpr GLuint kSolidBoxList = 6;
constexpr float kFirstBoxX = 20;
constexpr float kBoxY = 440;
constexpr float kBoxStep = 40;

// A frame 28 wide and 40 high around a 20 x 24 hole.
void CompileHollowBox() {
    constexpr GLfloat ring[10][2] = {{-14, 20}, {-10, 12},  {14, 20},   {10, 12},  {14, -20},
                                     {10, -12}, {-14, -20}, {-10, -12}, {-14, 20}, {-10, 12}};
    glNewList(kHollowBoxList, GL_COMPILE);
    glBegin(GL_QUAD_STRIP);
    for (const auto& v : ring) glVertex2f(v[0], v[1]);
    glEnd();
    glEndList();
}

// Exactly the hole of the hollow box.
void CompileSolidBox() {
    glNewList(kSolidBoxList, GL_COMPILE);
    glBegin(GL_QUADS);
    glVertex2f(-10, 12);
    glVertex2f(-10, -12);
    glVertex2f(10, -12);
    glVertex2f(10, 12);
    glEnd();
    glEndList();
}

bool StepDone(int k) {
    return WORD_Load(velq_loader_st[k], WORD_ACQUIRE) != 0;
}

}  // namespace

void VIS_INIT_Loading() { loading_pict = CFS_ReadPNG24("bootpic"); }

void VIS_PREP_Loading() {
    glDisable(GL_LIGHTING);
    glDisable(GL_BLEND);
    glViewport(0, 0, 640, 480);
    glClearColor(1, 1, 1, 0);
    glMatrixMode(GL_PROJECTION);
    glLoadMatrixf(loading_ortho);
    VELQ_RASTA_PictureTexture();
    glEnable(GL_TEXTURE_2D);
    glMatrixMode(GL_MODELVIEW);
    VELQ_RASTA_PrepBlit24b(kPictureList, loading_pict);
    CompileHollowBox();
    CompileSolidBox();
}

void VIS_CALL_Loading() {
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEnable(GL_TEXTURE_2D);
    glCallList(kPictureList);
    glDisable(GL_TEXTURE_2D);
    glColor4f(0, 0, 0, 1);
    glTranslatef(kFirstBoxX, kBoxY, 0);
    for (int k = 0; k < VELQ_LOADER_STEPS; ++k) {
        glCallList(StepDone(k) ? kSolidBoxList : kHollowBoxList);
        if (k < VELQ_LOADER_STEPS - 1) glTranslatef(kBoxStep, 0, 0);
    }
}

void VIS_BLUR_Loading() {}
