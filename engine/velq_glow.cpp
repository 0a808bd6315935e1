#include "engine/velq_glow.h"

#include <cstring>

#include "engine/velq_rasta.h"
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

#ifndef AMBER_GL1
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

// The rows bottom to top, the samples in their order.
void Grid() {
    velq_glw_n = 0;
    for (velq_glw_y = 0; velq_glw_y <= kGridHeight - 1; velq_glw_y += kCell) Row();
}

#else
// The grid's counters as the rows leave them.
void EndCounters() {
    velq_glw_x = kGridWidth - 1 + kCell;
    velq_glw_y = kGridHeight;
    velq_glw_n = VELQ_GLW_PIXELS;
}

// Through our own layer, in the browser, a software renderer draws, and it
// pays for every one of the grid's 4,096 small triangles as much as for 50
// of its pixels. There each row band is one quad whose colour is the
// sample's row, filtered linearly along it: texel k lies on the column at
// 9 + 10k, and the band's first 9 units take texel 0 from the clamped edge,
// so the colour is the grid's piecewise-linear shading, to a filter's
// rounding step.
void Grid() {
    uint8_t rgb[VELQ_GLW_PIXELS * 3];
    for (int i = 0; i < VELQ_GLW_PIXELS; ++i) std::memcpy(&rgb[3 * i], &velq_glw_buffy01[4 * i], 3);
    glTexImage2D(GL_TEXTURE_2D, 0, 3, VELQ_GLW_WIDTH, VELQ_GLW_HEIGHT, 0, GL_RGB, GL_UNSIGNED_BYTE,
                 rgb);
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glEnable(GL_TEXTURE_2D);
    glColor4ub(255, 255, 255, kAlpha);  // an RGB texture decals and modulates alike
    constexpr float kTexelOrigin = kCell - 1 - kCell / 2.0f;  // where texel 0 begins
    constexpr float kSLeft = (0 - kTexelOrigin) / kGridWidth;
    constexpr float kSRight = (kGridWidth - 1 - kTexelOrigin) / kGridWidth;
    glBegin(GL_QUADS);
    for (int row = 0; row < VELQ_GLW_HEIGHT; ++row) {
        const float t = (row + 0.5f) / VELQ_GLW_HEIGHT;
        const int y = row * kCell;
        glTexCoord2f(kSLeft, t);
        glVertex2i(0, y);
        glTexCoord2f(kSRight, t);
        glVertex2i(kGridWidth - 1, y);
        glTexCoord2f(kSRight, t);
        glVertex2i(kGridWidth - 1, y + kCell);
        glTexCoord2f(kSLeft, t);
        glVertex2i(0, y + kCell);
    }
    glEnd();
    glDisable(GL_TEXTURE_2D);
    VELQ_RASTA_PictureTexture();  // every scene that glows filters its pictures so
    SampleColour(VELQ_GLW_PIXELS - 1);
    EndCounters();
}
#endif

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
    Grid();
    glDisable(GL_BLEND);
}

void VELQ_GLW_Sample03() { VELQ_GLW_Sample01(); }

void VELQ_GLW_Shader03() {
    glEnable(GL_BLEND);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
}
