#include "engine/velq_ex.h"

#include <cmath>
#include <cstdio>
#include <initializer_list>

GLfloat velq_ex_wendrclrs[2][4] = {{0.4f, 0.2f, 0.5f, 0.5f}, {0.5f, 0.3f, 0.7f, 0.5f}};
GLfloat velq_ex_pmx_mx[16];

namespace {

// Slightly short of a full turn: the last quad of a ring closes the gap.
constexpr float kTurn = 6.28f;

struct Point {
    GLfloat x, y;
};

void Shape(GLenum mode, std::initializer_list<Point> points, bool facing = false) {
    glBegin(mode);
    if (facing) glNormal3f(0, 0, 1);
    for (const Point& p : points) glVertex2f(p.x, p.y);
    glEnd();
}

void Colour(int k) { glColor4fv(velq_ex_wendrclrs[k]); }

void CompileEmblemShapes() {
    glNewList(VELQ_EX_EMBLEM_LIST, GL_COMPILE);
    Colour(1);
    // Only the first shape gives a normal; the rest face +z with it.
    Shape(GL_QUAD_STRIP,
          {{37, 14}, {35, 6}, {16, 17}, {14, 14}, {37, 4}, {35, 1}, {8, 3}, {11, -2}}, true);
    Shape(GL_QUAD_STRIP,
          {{18, 30}, {23, 21}, {15, 21}, {16, 19}, {-1, 22}, {0, 18}, {-9, 18}, {-6, 12}});
    Shape(GL_TRIANGLE_FAN, {{14, 50},
                            {14, 60},
                            {22, 56},
                            {24, 45},
                            {22, 42},
                            {12, 38},
                            {12, 30},
                            {10, 45},
                            {12, 56},
                            {16, 60}});
    Colour(0);
    Shape(GL_TRIANGLE_STRIP,
          {{37, 14}, {35, 6}, {13, 17}, {11, 14}, {37, 4}, {35, 1}, {5, 5}, {7, 0}});
    Shape(GL_QUAD_STRIP, {{15, 21}, {16, 19}, {0, 25}, {0, 21}, {-7, 22}, {-5, 16}});
    Shape(GL_TRIANGLE_FAN,
          {{40, 20}, {20, 40}, {20, 30}, {10, 30}, {10, 20}, {25, 5}, {35, 5}, {42, 10}});
    Shape(GL_TRIANGLE_FAN, {{14, 50},
                            {14, 60},
                            {20, 56},
                            {22, 45},
                            {20, 42},
                            {18, 38},
                            {10, 30},
                            {8, 45},
                            {10, 56},
                            {14, 60}});
    Shape(GL_TRIANGLE_FAN, {{5, 35},
                            {10, 30},
                            {10, 20},
                            {6, 25},
                            {0, 28},
                            {-8, 32},
                            {-10, 38},
                            {0, 44},
                            {7, 50},
                            {15, 46},
                            {20, 40},
                            {20, 30},
                            {10, 30}});
    Colour(1);
    Shape(GL_QUAD_STRIP, {{40, 15},
                          {40, 12},
                          {50, 22},
                          {53, 17},
                          {53, 32},
                          {60, 25},
                          {52, 44},
                          {63, 40},
                          {48, 50},
                          {60, 47}});
    glEndList();
}

void CompileEmblemRing() {
    glNewList(VELQ_EX_RING_LIST, GL_COMPILE);
    Colour(0);
    VELQ_EX_Circle(25, 30, 45, 60, 40);
    glEndList();
}

}  // namespace

void VELQ_EX_Circle(float cx, float cy, float inner, float outer, int segments) {
    const float step = kTurn / segments;
    glBegin(GL_QUAD_STRIP);
    glNormal3f(0, 0, 1);
    float a = 0;
    for (int i = 0; i < segments; ++i) {
        const float c = cosf(a), s = sinf(a);
        const GLfloat o[2] = {cx + outer * c, cy + outer * s};
        const GLfloat n[2] = {cx + inner * c, cy + inner * s};
        glVertex2fv(o);
        glVertex2fv(n);
        a += step;
    }
    const GLfloat o[2] = {cx + outer, cy};
    const GLfloat n[2] = {cx + inner, cy};
    glVertex2fv(o);
    glVertex2fv(n);
    glEnd();
}

void VELQ_EX_WendrikInit() {
    CompileEmblemShapes();
    CompileEmblemRing();
}

void VELQ_EX_Wendrik() {
    glCallList(VELQ_EX_EMBLEM_LIST);
    glCallList(VELQ_EX_RING_LIST);
}

void VELQ_EX_PrintMatrix(GLenum pname) {
    glGetFloatv(pname, velq_ex_pmx_mx);
    for (int r = 0; r < 4; ++r)
        printf("%+f %+f %+f %+f\n", velq_ex_pmx_mx[r], velq_ex_pmx_mx[r + 4], velq_ex_pmx_mx[r + 8],
               velq_ex_pmx_mx[r + 12]);
}
