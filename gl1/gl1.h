// Our own OpenGL 1.x layer over OpenGL ES 3.0, which is what a browser
// offers (WebGL 2). It carries exactly the fixed-function calls the engine
// and the scenes make: the matrix stacks and GLU's camera set-ups,
// immediate mode with quads and quad strips, display lists (texture uploads
// inside them included), per-vertex lighting with two lights, a spot
// cutoff and colour material, flat and smooth shading, decal and modulate
// texturing, blending, depth, culling and the read-back. gl1/gl.h
// routes the gl* calls here in a build with AMBER_GL1.
//
// Main thread only, with the context current; the layer sets itself up on
// its first call. An argument the layer does not carry is fatal, naming the
// call, so a scene that starts using more of OpenGL shows at once where the
// layer falls short.
#pragma once

#include <GL/gl.h>

// Whether the layer draws: while off, every call keeps the state as it
// would, but nothing is drawn, cleared or read back. For stepping through
// frames nobody sees, as to a still.
void GL1_Drawing(bool on);

void GL1_Enable(GLenum cap);
void GL1_Disable(GLenum cap);
void GL1_Viewport(GLint x, GLint y, GLsizei width, GLsizei height);
void GL1_ClearColor(GLclampf r, GLclampf g, GLclampf b, GLclampf a);
void GL1_Clear(GLbitfield mask);
void GL1_BlendFunc(GLenum sfactor, GLenum dfactor);
void GL1_FrontFace(GLenum mode);
void GL1_CullFace(GLenum mode);
// Only GL_POLYGON_BIT: culling, the culled face and the front face.
void GL1_PushAttrib(GLbitfield mask);
void GL1_PopAttrib();
void GL1_PolygonMode(GLenum face, GLenum mode);
void GL1_ShadeModel(GLenum mode);

void GL1_MatrixMode(GLenum mode);
void GL1_LoadIdentity();
void GL1_LoadMatrixf(const GLfloat* m);
void GL1_PushMatrix();
void GL1_PopMatrix();
void GL1_Translatef(GLfloat x, GLfloat y, GLfloat z);
void GL1_Rotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z);
void GL1_Ortho(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top, GLdouble near,
               GLdouble far);
void GL1_Perspective(GLdouble fovy, GLdouble aspect, GLdouble near, GLdouble far);
void GL1_LookAt(GLdouble eye_x, GLdouble eye_y, GLdouble eye_z, GLdouble centre_x,
                GLdouble centre_y, GLdouble centre_z, GLdouble up_x, GLdouble up_y, GLdouble up_z);
void GL1_GetFloatv(GLenum pname, GLfloat* params);

void GL1_Begin(GLenum mode);
void GL1_End();
void GL1_Vertex3f(GLfloat x, GLfloat y, GLfloat z);
void GL1_Vertex3fv(const GLfloat* v);
void GL1_Vertex2f(GLfloat x, GLfloat y);
void GL1_Vertex2fv(const GLfloat* v);
void GL1_Vertex2i(GLint x, GLint y);
void GL1_Normal3f(GLfloat x, GLfloat y, GLfloat z);
void GL1_TexCoord2f(GLfloat s, GLfloat t);
void GL1_Color4f(GLfloat r, GLfloat g, GLfloat b, GLfloat a);
void GL1_Color4fv(const GLfloat* v);
void GL1_Color4ub(GLubyte r, GLubyte g, GLubyte b, GLubyte a);

void GL1_NewList(GLuint list, GLenum mode);
void GL1_EndList();
void GL1_CallList(GLuint list);

void GL1_Lightf(GLenum light, GLenum pname, GLfloat param);
void GL1_Lightfv(GLenum light, GLenum pname, const GLfloat* params);
void GL1_Materialf(GLenum face, GLenum pname, GLfloat param);
void GL1_Materiali(GLenum face, GLenum pname, GLint param);
void GL1_Materialfv(GLenum face, GLenum pname, const GLfloat* params);
void GL1_ColorMaterial(GLenum face, GLenum mode);

void GL1_TexImage2D(GLenum target, GLint level, GLint internal_format, GLsizei width,
                    GLsizei height, GLint border, GLenum format, GLenum type, const GLvoid* pixels);
void GL1_TexParameterf(GLenum target, GLenum pname, GLfloat param);
void GL1_TexEnvf(GLenum target, GLenum pname, GLfloat param);

// Draws the primitives the layer still holds back; a frame ends with it.
void GL1_Flush();

void GL1_PixelStorei(GLenum pname, GLint param);
void GL1_ReadPixels(GLint x, GLint y, GLsizei width, GLsizei height, GLenum format, GLenum type,
                    GLvoid* pixels);
