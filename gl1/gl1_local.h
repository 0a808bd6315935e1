// The layer's parts, shared among its files: the commands that both the
// immediate calls and display lists go through, the state they act on, and
// the drawing over OpenGL ES 3.0.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "gl1/gl1.h"

// One vertex as the layer draws it: position, normal, colour, texture
// coordinate. Every primitive becomes independent triangles of these.
struct GL1_Vertex {
    float pos[3];
    float normal[3];
    float color[4];
    float tex[2];
};

// Which attributes a draw reads per vertex. A display list's vertices may
// leave the normal, colour or texture coordinate to whatever is current
// when the list runs; those come from the current values instead.
enum : uint32_t {
    GL1_PER_VERTEX_NORMAL = 1,
    GL1_PER_VERTEX_COLOR = 2,
    GL1_PER_VERTEX_TEX = 4,
    GL1_PER_VERTEX_ALL = 7
};

enum class GL1_Op : uint8_t {
    Enable,
    Disable,
    Viewport,
    ClearColor,
    Clear,
    BlendFunc,
    FrontFace,
    CullFace,
    PushAttrib,
    PopAttrib,
    ShadeModel,
    MatrixMode,
    LoadIdentity,
    LoadMatrix,
    MultMatrix,
    PushMatrix,
    PopMatrix,
    Normal,
    TexCoord,
    Color,
    Light,
    Material,
    ColorMaterial,
    TexImage,
    TexParameter,
    TexEnv,
    CallList,
    Draw
};

// One command, as run at once or kept in a display list. Matrix calls
// arrive as the matrix they multiply by.
struct GL1_Command {
    GL1_Op op;
    GLenum a = 0;
    GLenum b = 0;
    // Viewport: x, y, width, height. TexImage: width, height, internal
    // format, offset of the pixels in the list, which becomes the texture
    // they went to when the list is closed. Draw: first vertex, count,
    // GL1_PER_VERTEX_* mask. CallList: the list.
    int32_t i[4] = {};
    float v[16] = {};
};

struct GL1_List {
    std::vector<GL1_Command> commands;
    std::vector<GL1_Vertex> vertices;
    std::vector<uint8_t> pixels;  // until the list is closed
    std::vector<GLuint> textures;
    GLuint buffer = 0;  // the vertices, uploaded when the list is closed
};

[[noreturn]] void GL1_Unsupported(const char* call, GLenum value);

// gl1_state.cpp: OpenGL's initial state.
void GL1_StateInit();
// Runs a command on the current state; list holds the
// command's vertices and pixels when it comes from a display list.
void GL1_Execute(const GL1_Command& command, const GL1_List* list);
// The current normal, colour and texture coordinate, as a vertex template.
const GL1_Vertex& GL1_Current();
// Draws a primitive's triangles, made in immediate mode.
void GL1_DrawTriangles(const std::vector<GL1_Vertex>& triangles);
void GL1_GetMatrix(GLenum pname, GLfloat* m);

// gl1_lists.cpp
bool GL1_ListCompiling();
// Keeps a command in the list being compiled.
void GL1_ListRecord(const GL1_Command& command);
// Keeps an attribute set; inside a primitive it is kept once the primitive
// ends, since only the vertices may sit between begin and end.
void GL1_ListAttribute(const GL1_Command& command, bool in_primitive);
// The list's attributes so far, for its vertices, and which it has set.
const GL1_Vertex& GL1_ListCurrent();
uint32_t GL1_ListDefined();
// Keeps a primitive's triangles, with the attributes that mask says the
// vertices carry.
void GL1_ListTriangles(const std::vector<GL1_Vertex>& triangles, uint32_t mask);
// Keeps a texture upload's pixels with the list, for the command to find.
void GL1_ListPixels(GL1_Command& command, const void* pixels, size_t bytes);
void GL1_ListCall(GLuint list);

// gl1_prim.cpp: a primitive between begin and end, as independent
// triangles whose last vertex is the one flat shading takes its colour from.
void GL1_PrimBegin(GLenum mode);
bool GL1_PrimOpen();
void GL1_PrimVertex(const GL1_Vertex& vertex);
const std::vector<GL1_Vertex>& GL1_PrimEnd();

// gl1_cull.cpp: into indices, the indices of the triangles among count
// vertices from first of a list's buffer that may draw something: all but
// those that, through mvp and the viewport, surely lie outside the view or
// are wound the way culling drops (GL_CW, GL_CCW, or 0 for none).
void GL1_CullTriangles(GLuint buffer, const GL1_Vertex* vertices, int first, int count,
                       const float* mvp, const int32_t* viewport, GLenum culled,
                       std::vector<uint32_t>& indices);
// Drops what was kept of a buffer about to be deleted.
void GL1_CullForget(GLuint buffer);

// gl1_math.cpp: column-major 4x4 matrices.
void GL1_MatIdentity(float* m);
void GL1_MatMultiply(const float* a, const float* b, float* out);
void GL1_MatTranslate(float* m, float x, float y, float z);
void GL1_MatRotate(float* m, float degrees, float x, float y, float z);
void GL1_MatOrtho(float* m, double l, double r, double b, double t, double n, double f);
void GL1_MatPerspective(float* m, double fovy, double aspect, double n, double f);
void GL1_MatLookAt(float* m, const double* eye, const double* centre, const double* up);
// The inverse transpose of m's upper 3x3, into normal's upper 3x3.
void GL1_MatNormal(const float* m, float* normal);
void GL1_MatTransform(const float* m, const float* v, float w, float* out);

// gl1_render.cpp: the drawing state the shader reads, std140.
struct GL1_Uniforms {
    float modelview[16];
    float projection[16];
    float normal[16];
    float light_position[2][4];
    float light_ambient[2][4];
    float light_diffuse[2][4];
    float light_specular[2][4];
    float spot[2][4];  // direction, then the cosine of the cutoff; -2 for none
    float ambient[4];
    float diffuse[4];
    float specular[4];
    float emission[4];
    float scene_ambient[4];
    float shininess[4];
};

// The switches that pick the shader program: one program per combination
// in use, each with only its own work, since a software renderer pays for
// every branch on every pixel.
enum : uint32_t {
    GL1_KEY_LIT = 1,
    GL1_KEY_LIGHT0 = 2,
    GL1_KEY_LIGHT1 = 4,
    GL1_KEY_COLOR_MATERIAL = 8,
    GL1_KEY_NORMALIZE = 16,
    GL1_KEY_MODULATE = 32,  // textured, the texture times the colour
    GL1_KEY_DECAL = 64,     // textured, the texture's colour as it is
    GL1_KEY_FLAT = 128,
    GL1_KEYS = 256
};

void GL1_RenderInit();
void GL1_RenderDrawing(bool on);
// Draws triangles from the stream buffer or from a list's buffer; uniforms
// are uploaded first when changed. Streamed triangles may be held back, to
// go out with the next primitive's; a flush draws them.
void GL1_RenderStream(const std::vector<GL1_Vertex>& triangles, uint32_t key,
                      const GL1_Uniforms& uniforms, bool changed);
void GL1_RenderFlush();
// vertices: the buffer's vertices as the list keeps them, and culled the
// winding culling drops (as for GL1_CullTriangles), for culling ahead.
void GL1_RenderBuffer(GLuint buffer, const GL1_Vertex* vertices, int first, int count,
                      GLenum culled, uint32_t per_vertex, const GL1_Vertex& current, uint32_t key,
                      const GL1_Uniforms& uniforms, bool changed);
GLuint GL1_RenderUpload(const std::vector<GL1_Vertex>& vertices, GLuint old);
// A display list's image, uploaded once into a texture of its own, which
// the list binds each time it runs.
GLuint GL1_RenderTexture(GLsizei width, GLsizei height, GLint internal_format, GLenum format,
                         GLenum type, const void* pixels);
void GL1_RenderBindTexture(GLuint texture);
void GL1_RenderDeleteTextures(const std::vector<GLuint>& textures);
// Sets a parameter of every image, as OpenGL 1.0's one texture has one set.
void GL1_RenderTexParameter(GLenum pname, GLfloat param);
// An image given outside display lists.
void GL1_RenderTexImage(GLsizei width, GLsizei height, GLint internal_format, GLenum format,
                        GLenum type, const void* pixels);
// The calls that go straight through to OpenGL ES.
void GL1_RenderCap(GLenum cap, bool on);
void GL1_RenderViewport(const int32_t* rect);
void GL1_RenderClearColor(const float* rgba);
void GL1_RenderClear(GLbitfield mask);
void GL1_RenderBlendFunc(GLenum sfactor, GLenum dfactor);
void GL1_RenderFrontFace(GLenum mode);
void GL1_RenderCullFace(GLenum mode);
void GL1_RenderPixelStore(GLenum pname, GLint param);
void GL1_RenderReadPixels(GLint x, GLint y, GLsizei width, GLsizei height, GLenum format,
                          GLenum type, void* pixels);
