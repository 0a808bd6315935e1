// Primitives between begin and end, turned into independent triangles.
// Each triangle keeps its primitive's winding, and its last vertex is the
// one fixed-function OpenGL takes a flat-shaded face's colour from; OpenGL
// ES takes the last vertex too.
#include "gl1/gl1_local.h"

namespace {

GLenum gl1_prim_mode = 0;
bool gl1_prim_open = false;
std::vector<GL1_Vertex> gl1_prim_in;
std::vector<GL1_Vertex> gl1_prim_out;

void Emit(int a, int b, int c) {
    gl1_prim_out.push_back(gl1_prim_in[a]);
    gl1_prim_out.push_back(gl1_prim_in[b]);
    gl1_prim_out.push_back(gl1_prim_in[c]);
}

void Triangulate() {
    const int n = static_cast<int>(gl1_prim_in.size());
    switch (gl1_prim_mode) {
        case GL_TRIANGLES:
            for (int k = 0; k + 2 < n; k += 3) Emit(k, k + 1, k + 2);
            break;
        case GL_TRIANGLE_STRIP:
            for (int k = 0; k + 2 < n; ++k)
                k % 2 == 0 ? Emit(k, k + 1, k + 2) : Emit(k + 1, k, k + 2);
            break;
        case GL_TRIANGLE_FAN:
            for (int k = 1; k + 1 < n; ++k) Emit(0, k, k + 1);
            break;
        case GL_QUADS:  // a b c d
            for (int k = 0; k + 3 < n; k += 4) {
                Emit(k, k + 1, k + 3);
                Emit(k + 1, k + 2, k + 3);
            }
            break;
        case GL_QUAD_STRIP:  // quad k runs 2k, 2k+1, 2k+3, 2k+2
            for (int k = 0; k + 3 < n; k += 2) {
                Emit(k, k + 1, k + 3);
                Emit(k + 2, k, k + 3);
            }
            break;
    }
}

}  // namespace

void GL1_PrimBegin(GLenum mode) {
    switch (mode) {
        case GL_TRIANGLES:
        case GL_TRIANGLE_STRIP:
        case GL_TRIANGLE_FAN:
        case GL_QUADS:
        case GL_QUAD_STRIP:
            break;
        default:
            GL1_Unsupported("glBegin", mode);
    }
    gl1_prim_mode = mode;
    gl1_prim_open = true;
    gl1_prim_in.clear();
}

bool GL1_PrimOpen() { return gl1_prim_open; }

void GL1_PrimVertex(const GL1_Vertex& vertex) { gl1_prim_in.push_back(vertex); }

const std::vector<GL1_Vertex>& GL1_PrimEnd() {
    gl1_prim_open = false;
    gl1_prim_out.clear();
    Triangulate();
    return gl1_prim_out;
}
