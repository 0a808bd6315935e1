#include "engine/velq_glow.h"

#include "gl1/gl.h"

uint8_t velq_glw_buffy01[VELQ_GLW_PIXELS * 4];
uint8_t velq_glw_buffy03[9000];
int32_t velq_glw_x;
int32_t velq_glw_y;
int32_t velq_glw_n;

namespace {

constexpr int kCell = 10;  // grid units per sample pixel
constexpr int kGridWidth = 640;
constexpr int kGridHeight = 320;
constexpr int kShift = 2;  // the grid sits 2 units right of the band's edge
constexpr GLubyte kAlpha = 127;

void SampleColour(int n) {
    const uint8_t* p = &velq_glw_buffy01[4 * n];
    glColor4ub(p[0], p[1], p[2], kAlpha);
}

// One row band: a leading pair at x = 0 and one pair per sample column at
// x = 9, 19, ..., 639, both carrying the row's first sample at the start.
void Row() {
    glBegin(GL_QUAD_STRIP);
    SampleColour(velq_glw_n);
    glVertex2i(0, velq_glw_y + kCell);
    glVertex2i(0, velq_glw_y);
    for (velq_glw_x = kCell - 1; velq_glw_x <= kGridWidth - 1; velq_glw_x += kCell) {
        SampleColour(velq_glw_n);
        glVertex2i(velq_glw_x, velq_glw_y + kCell);
        glVertex2i(velq_glw_x, velq_glw_y);
        ++velq_glw_n;
    }
    glEnd();
}

}  // namespace

void VELQ_GLW_Prep01() {}
void VELQ_GLW_Prep03() {}

void VELQ_GLW_Sample01() {
    glReadPixels(0, 0, VELQ_GLW_WIDTH, VELQ_GLW_HEIGHT, GL_RGBA, GL_UNSIGNED_BYTE,
                 velq_glw_buffy01);
}

void VELQ_GLW_Shader01() {
    glEnable(GL_BLEND);
    glDisable(GL_TEXTURE_2D);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, kGridWidth, 0, kGridHeight, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(kShift, 0, 0);
    velq_glw_n = 0;
    for (velq_glw_y = 0; velq_glw_y <= kGridHeight - 1; velq_glw_y += kCell) Row();
    glDisable(GL_BLEND);
}

void VELQ_GLW_Sample03() { VELQ_GLW_Sample01(); }

void VELQ_GLW_Shader03() {
    glEnable(GL_BLEND);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
}
