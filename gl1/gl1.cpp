// The layer's entry points: each call becomes a command, run at once or
// kept in the display list being compiled; vertices go to the open
// primitive.
#include "gl1/gl1.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "gl1/gl1_local.h"
#include "platform/fatal.h"

namespace {

constexpr size_t kMessageBytes = 160;

bool gl1_ready = false;
uint32_t gl1_prim_mask = GL1_PER_VERTEX_ALL;  // what the open primitive's vertices carry
bool gl1_prim_first = false;                  // no vertex yet in the open primitive

void Ready() {
    if (gl1_ready) return;
    gl1_ready = true;
    GL1_StateInit();
    GL1_RenderInit();
}

void Submit(const GL1_Command& command) {
    Ready();
    if (GL1_ListCompiling())
        GL1_ListRecord(command);
    else
        GL1_Execute(command, nullptr);
}

void Submit(GL1_Op op, GLenum a = 0, GLenum b = 0) {
    GL1_Command command{op};
    command.a = a;
    command.b = b;
    Submit(command);
}

void SubmitValues(GL1_Op op, GLenum a, GLenum b, const GLfloat* v, int n) {
    GL1_Command command{op};
    command.a = a;
    command.b = b;
    std::copy(v, v + n, command.v);
    Submit(command);
}

void Multiply(const float* m) { SubmitValues(GL1_Op::MultMatrix, 0, 0, m, 16); }

void SetAttribute(GL1_Op op, const GLfloat* v, int n) {
    GL1_Command command{op};
    std::copy(v, v + n, command.v);
    Ready();
    if (GL1_ListCompiling())
        GL1_ListAttribute(command, GL1_PrimOpen());
    else
        GL1_Execute(command, nullptr);
}

void Vertex(GLfloat x, GLfloat y, GLfloat z) {
    const bool compiling = GL1_ListCompiling();
    GL1_Vertex vertex = compiling ? GL1_ListCurrent() : GL1_Current();
    vertex.pos[0] = x;
    vertex.pos[1] = y;
    vertex.pos[2] = z;
    GL1_PrimVertex(vertex);
    if (!compiling) return;
    // A primitive's vertices all carry what its first carries: what the
    // list had set by then.
    if (gl1_prim_first) gl1_prim_mask = GL1_ListDefined();
    gl1_prim_first = false;
    if (GL1_ListDefined() != gl1_prim_mask) GL1_Unsupported("glVertex", 0);
}

size_t PixelBytes(GLsizei width, GLsizei height, GLenum format) {
    const size_t channels = format == GL_RGBA ? 4 : 3;
    const size_t row = (width * channels + 3) / 4 * 4;  // rows start 4-byte aligned
    return row * height;
}

}  // namespace

void GL1_Unsupported(const char* call, GLenum value) {
    char message[kMessageBytes];
    std::snprintf(message, sizeof message,
                  "%s: FATAL_ERROR: 0x%04x is beyond what the layer carries.\n", call, value);
    FATAL_Exit(message);
}

void GL1_Drawing(bool on) {
    Ready();
    GL1_RenderDrawing(on);
}

void GL1_Enable(GLenum cap) { Submit(GL1_Op::Enable, cap); }
void GL1_Disable(GLenum cap) { Submit(GL1_Op::Disable, cap); }

void GL1_Viewport(GLint x, GLint y, GLsizei width, GLsizei height) {
    GL1_Command command{GL1_Op::Viewport};
    command.i[0] = x;
    command.i[1] = y;
    command.i[2] = width;
    command.i[3] = height;
    Submit(command);
}

void GL1_ClearColor(GLclampf r, GLclampf g, GLclampf b, GLclampf a) {
    const GLfloat rgba[4] = {r, g, b, a};
    SubmitValues(GL1_Op::ClearColor, 0, 0, rgba, 4);
}

void GL1_Clear(GLbitfield mask) { Submit(GL1_Op::Clear, mask); }
void GL1_BlendFunc(GLenum sfactor, GLenum dfactor) { Submit(GL1_Op::BlendFunc, sfactor, dfactor); }
void GL1_FrontFace(GLenum mode) { Submit(GL1_Op::FrontFace, mode); }
void GL1_CullFace(GLenum mode) { Submit(GL1_Op::CullFace, mode); }

void GL1_PushAttrib(GLbitfield mask) {
    if (mask != GL_POLYGON_BIT) GL1_Unsupported("glPushAttrib", mask);
    Submit(GL1_Op::PushAttrib);
}

void GL1_PopAttrib() { Submit(GL1_Op::PopAttrib); }

// Only filled polygons are drawn, which is OpenGL's default.
void GL1_PolygonMode(GLenum, GLenum mode) {
    if (mode != GL_FILL) GL1_Unsupported("glPolygonMode", mode);
}

void GL1_ShadeModel(GLenum mode) { Submit(GL1_Op::ShadeModel, mode); }

void GL1_MatrixMode(GLenum mode) { Submit(GL1_Op::MatrixMode, mode); }
void GL1_LoadIdentity() { Submit(GL1_Op::LoadIdentity); }
void GL1_LoadMatrixf(const GLfloat* m) { SubmitValues(GL1_Op::LoadMatrix, 0, 0, m, 16); }
void GL1_PushMatrix() { Submit(GL1_Op::PushMatrix); }
void GL1_PopMatrix() { Submit(GL1_Op::PopMatrix); }

void GL1_Translatef(GLfloat x, GLfloat y, GLfloat z) {
    float m[16];
    GL1_MatTranslate(m, x, y, z);
    Multiply(m);
}

void GL1_Rotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z) {
    float m[16];
    GL1_MatRotate(m, angle, x, y, z);
    Multiply(m);
}

void GL1_Ortho(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top, GLdouble near,
               GLdouble far) {
    float m[16];
    GL1_MatOrtho(m, left, right, bottom, top, near, far);
    Multiply(m);
}

void GL1_Perspective(GLdouble fovy, GLdouble aspect, GLdouble near, GLdouble far) {
    float m[16];
    GL1_MatPerspective(m, fovy, aspect, near, far);
    Multiply(m);
}

void GL1_LookAt(GLdouble eye_x, GLdouble eye_y, GLdouble eye_z, GLdouble centre_x,
                GLdouble centre_y, GLdouble centre_z, GLdouble up_x, GLdouble up_y, GLdouble up_z) {
    const double eye[3] = {eye_x, eye_y, eye_z};
    const double centre[3] = {centre_x, centre_y, centre_z};
    const double up[3] = {up_x, up_y, up_z};
    float m[16];
    GL1_MatLookAt(m, eye, centre, up);
    Multiply(m);
}

void GL1_GetFloatv(GLenum pname, GLfloat* params) {
    Ready();
    GL1_GetMatrix(pname, params);
}

void GL1_Begin(GLenum mode) {
    Ready();
    GL1_PrimBegin(mode);
    gl1_prim_mask = GL1_PER_VERTEX_ALL;
    gl1_prim_first = true;
}

void GL1_End() {
    const std::vector<GL1_Vertex>& triangles = GL1_PrimEnd();
    if (GL1_ListCompiling())
        GL1_ListTriangles(triangles, gl1_prim_mask);
    else
        GL1_DrawTriangles(triangles);
}

void GL1_Vertex3f(GLfloat x, GLfloat y, GLfloat z) { Vertex(x, y, z); }
void GL1_Vertex3fv(const GLfloat* v) { Vertex(v[0], v[1], v[2]); }
void GL1_Vertex2f(GLfloat x, GLfloat y) { Vertex(x, y, 0); }
void GL1_Vertex2fv(const GLfloat* v) { Vertex(v[0], v[1], 0); }
void GL1_Vertex2i(GLint x, GLint y) { Vertex(static_cast<GLfloat>(x), static_cast<GLfloat>(y), 0); }

void GL1_Normal3f(GLfloat x, GLfloat y, GLfloat z) {
    const GLfloat v[3] = {x, y, z};
    SetAttribute(GL1_Op::Normal, v, 3);
}

void GL1_TexCoord2f(GLfloat s, GLfloat t) {
    const GLfloat v[2] = {s, t};
    SetAttribute(GL1_Op::TexCoord, v, 2);
}

void GL1_Color4f(GLfloat r, GLfloat g, GLfloat b, GLfloat a) {
    const GLfloat v[4] = {r, g, b, a};
    SetAttribute(GL1_Op::Color, v, 4);
}

void GL1_Color4fv(const GLfloat* v) { SetAttribute(GL1_Op::Color, v, 4); }

void GL1_Color4ub(GLubyte r, GLubyte g, GLubyte b, GLubyte a) {
    GL1_Color4f(r / 255.0f, g / 255.0f, b / 255.0f, a / 255.0f);
}

void GL1_CallList(GLuint list) {
    GL1_Command command{GL1_Op::CallList};
    command.i[0] = static_cast<int32_t>(list);
    Submit(command);
}

void GL1_Lightf(GLenum light, GLenum pname, GLfloat param) { GL1_Lightfv(light, pname, &param); }

void GL1_Lightfv(GLenum light, GLenum pname, const GLfloat* params) {
    SubmitValues(GL1_Op::Light, light, pname, params, pname == GL_SPOT_CUTOFF ? 1 : 4);
}

void GL1_Materialf(GLenum face, GLenum pname, GLfloat param) {
    GL1_Materialfv(face, pname, &param);
}

void GL1_Materiali(GLenum face, GLenum pname, GLint param) {
    GL1_Materialf(face, pname, static_cast<GLfloat>(param));
}

void GL1_Materialfv(GLenum face, GLenum pname, const GLfloat* params) {
    SubmitValues(GL1_Op::Material, face, pname, params, pname == GL_SHININESS ? 1 : 4);
}

void GL1_ColorMaterial(GLenum face, GLenum mode) { Submit(GL1_Op::ColorMaterial, face, mode); }

void GL1_TexImage2D(GLenum target, GLint level, GLint internal_format, GLsizei width,
                    GLsizei height, GLint border, GLenum format, GLenum type,
                    const GLvoid* pixels) {
    if (target != GL_TEXTURE_2D || level != 0 || border != 0) GL1_Unsupported("glTexImage2D", 0);
    if ((format != GL_RGB && format != GL_RGBA) || type != GL_UNSIGNED_BYTE)
        GL1_Unsupported("glTexImage2D", format);
    GL1_Command command{GL1_Op::TexImage};
    command.a = format;
    command.b = type;
    command.i[0] = width;
    command.i[1] = height;
    command.i[2] = internal_format;
    Ready();
    if (!GL1_ListCompiling()) {
        GL1_RenderTexImage(width, height, internal_format, format, type, pixels);
        return;
    }
    GL1_ListPixels(command, pixels, PixelBytes(width, height, format));
    GL1_ListRecord(command);
}

void GL1_TexParameterf(GLenum target, GLenum pname, GLfloat param) {
    if (target != GL_TEXTURE_2D) GL1_Unsupported("glTexParameterf", target);
    GL1_Command command{GL1_Op::TexParameter};
    command.a = pname;
    command.v[0] = param;
    Submit(command);
}

void GL1_TexEnvf(GLenum target, GLenum pname, GLfloat param) {
    if (target != GL_TEXTURE_ENV || pname != GL_TEXTURE_ENV_MODE)
        GL1_Unsupported("glTexEnvf", pname);
    GL1_Command command{GL1_Op::TexEnv};
    command.v[0] = param;
    Submit(command);
}

void GL1_PixelStorei(GLenum pname, GLint param) {
    Ready();
    GL1_RenderPixelStore(pname, param);
}

void GL1_Flush() {
    Ready();
    GL1_RenderFlush();
}

void GL1_ReadPixels(GLint x, GLint y, GLsizei width, GLsizei height, GLenum format, GLenum type,
                    GLvoid* pixels) {
    Ready();
    GL1_RenderReadPixels(x, y, width, height, format, type, pixels);
}
