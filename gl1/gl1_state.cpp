// The fixed-function state the commands act on: matrix stacks, the current
// attributes, lights, material and the switches, with OpenGL's defaults.
// Lights are kept in eye coordinates, transformed when set, as OpenGL does.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "gl1/gl1_local.h"

namespace {

constexpr int kModelviewDepth = 32;
constexpr int kProjectionDepth = 4;
constexpr float kNoSpot = -2;  // below any cosine
constexpr int kAttribDepth = 4;

// What glPushAttrib(GL_POLYGON_BIT) keeps of what the layer carries.
struct Polygon {
    bool cull = false;
    GLenum cull_face = GL_BACK;
    GLenum front_face = GL_CCW;
};

struct Stack {
    float m[kModelviewDepth][16];
    int depth;
    int limit;
};

Stack gl1_modelview = {{}, 0, kModelviewDepth};
Stack gl1_projection = {{}, 0, kProjectionDepth};
Stack* gl1_stack = &gl1_modelview;
GL1_Vertex gl1_current = {{0, 0, 0}, {0, 0, 1}, {1, 1, 1, 1}, {0, 0}};
GL1_Uniforms gl1_uniforms;
bool gl1_changed = true;
uint32_t gl1_key = 0;  // GL1_KEY_* as the state stands
bool gl1_texture_on = false;
bool gl1_decal = false;  // the texture environment's mode, else modulate
Polygon gl1_polygon;
Polygon gl1_polygon_stack[kAttribDepth];
int gl1_polygon_depth = 0;

float* Top() { return gl1_stack->m[gl1_stack->depth]; }

void Set4(float* to, float a, float b, float c, float d) {
    to[0] = a;
    to[1] = b;
    to[2] = c;
    to[3] = d;
}

int LightIndex(GLenum light, const char* call) {
    if (light != GL_LIGHT0 && light != GL_LIGHT1) GL1_Unsupported(call, light);
    return light - GL_LIGHT0;
}

void Flag(uint32_t bit, bool on) { gl1_key = on ? gl1_key | bit : gl1_key & ~bit; }

void TextureMode() {
    Flag(GL1_KEY_MODULATE, gl1_texture_on && !gl1_decal);
    Flag(GL1_KEY_DECAL, gl1_texture_on && gl1_decal);
}

// Colour material ties the ambient and diffuse colours to the current colour.
// Whether the shaders read the material that took the colour: unlit, they
// do not, and turning lighting on uploads the material anyway.
bool FollowColour() {
    if (!(gl1_key & GL1_KEY_COLOR_MATERIAL)) return false;
    std::memcpy(gl1_uniforms.ambient, gl1_current.color, sizeof gl1_current.color);
    std::memcpy(gl1_uniforms.diffuse, gl1_current.color, sizeof gl1_current.color);
    return gl1_key & GL1_KEY_LIT;
}

void Switch(GLenum cap, bool on, const char* call) {
    switch (cap) {
        case GL_CULL_FACE:
            gl1_polygon.cull = on;
            GL1_RenderCap(cap, on);
            return;
        case GL_BLEND:
        case GL_DEPTH_TEST:
            GL1_RenderCap(cap, on);
            return;
        case GL_LIGHTING:
            Flag(GL1_KEY_LIT, on);
            return;
        case GL_LIGHT0:
            Flag(GL1_KEY_LIGHT0, on);
            return;
        case GL_LIGHT1:
            Flag(GL1_KEY_LIGHT1, on);
            return;
        case GL_NORMALIZE:
            Flag(GL1_KEY_NORMALIZE, on);
            return;
        case GL_COLOR_MATERIAL:
            Flag(GL1_KEY_COLOR_MATERIAL, on);
            FollowColour();
            return;
        case GL_TEXTURE_2D:
            gl1_texture_on = on;
            TextureMode();
            return;
    }
    GL1_Unsupported(call, cap);
}

void PushPolygon() {
    if (gl1_polygon_depth == kAttribDepth) GL1_Unsupported("glPushAttrib", GL_POLYGON_BIT);
    gl1_polygon_stack[gl1_polygon_depth++] = gl1_polygon;
}

void PopPolygon() {
    if (gl1_polygon_depth == 0) GL1_Unsupported("glPopAttrib", 0);
    gl1_polygon = gl1_polygon_stack[--gl1_polygon_depth];
    GL1_RenderCap(GL_CULL_FACE, gl1_polygon.cull);
    GL1_RenderCullFace(gl1_polygon.cull_face);
    GL1_RenderFrontFace(gl1_polygon.front_face);
}

void Light(const GL1_Command& c) {
    GL1_Uniforms& u = gl1_uniforms;
    const int i = LightIndex(c.a, "glLightfv");
    switch (c.b) {
        case GL_AMBIENT:
            std::memcpy(u.light_ambient[i], c.v, 4 * sizeof(float));
            return;
        case GL_DIFFUSE:
            std::memcpy(u.light_diffuse[i], c.v, 4 * sizeof(float));
            return;
        case GL_SPECULAR:
            std::memcpy(u.light_specular[i], c.v, 4 * sizeof(float));
            return;
        case GL_POSITION:
            GL1_MatTransform(gl1_modelview.m[gl1_modelview.depth], c.v, c.v[3],
                             u.light_position[i]);
            return;
        case GL_SPOT_DIRECTION: {
            float direction[4];
            GL1_MatTransform(gl1_modelview.m[gl1_modelview.depth], c.v, 0, direction);
            std::memcpy(u.spot[i], direction, 3 * sizeof(float));
            return;
        }
        case GL_SPOT_CUTOFF:
            u.spot[i][3] = c.v[0] == 180 ? kNoSpot : std::cos(c.v[0] * 3.14159265f / 180);
            return;
    }
    GL1_Unsupported("glLightfv", c.b);
}

void Material(const GL1_Command& c) {
    GL1_Uniforms& u = gl1_uniforms;
    if (c.a != GL_FRONT && c.a != GL_FRONT_AND_BACK) GL1_Unsupported("glMaterialfv", c.a);
    switch (c.b) {
        case GL_AMBIENT_AND_DIFFUSE:
            std::memcpy(u.ambient, c.v, 4 * sizeof(float));
            std::memcpy(u.diffuse, c.v, 4 * sizeof(float));
            return;
        case GL_AMBIENT:
            std::memcpy(u.ambient, c.v, 4 * sizeof(float));
            return;
        case GL_DIFFUSE:
            std::memcpy(u.diffuse, c.v, 4 * sizeof(float));
            return;
        case GL_SPECULAR:
            std::memcpy(u.specular, c.v, 4 * sizeof(float));
            return;
        case GL_EMISSION:
            std::memcpy(u.emission, c.v, 4 * sizeof(float));
            return;
        case GL_SHININESS:
            u.shininess[0] = c.v[0];
            return;
    }
    GL1_Unsupported("glMaterialfv", c.b);
}

void Matrix(const GL1_Command& c) {
    switch (c.op) {
        case GL1_Op::MatrixMode:
            if (c.a == GL_MODELVIEW)
                gl1_stack = &gl1_modelview;
            else if (c.a == GL_PROJECTION)
                gl1_stack = &gl1_projection;
            else
                GL1_Unsupported("glMatrixMode", c.a);
            return;
        case GL1_Op::LoadIdentity:
            GL1_MatIdentity(Top());
            return;
        case GL1_Op::LoadMatrix:
            std::memcpy(Top(), c.v, sizeof c.v);
            return;
        case GL1_Op::MultMatrix:
            GL1_MatMultiply(Top(), c.v, Top());
            return;
        case GL1_Op::PushMatrix:
            if (gl1_stack->depth + 1 >= gl1_stack->limit) GL1_Unsupported("glPushMatrix", 0);
            std::memcpy(gl1_stack->m[gl1_stack->depth + 1], Top(), 16 * sizeof(float));
            ++gl1_stack->depth;
            return;
        case GL1_Op::PopMatrix:
            if (gl1_stack->depth == 0) GL1_Unsupported("glPopMatrix", 0);
            --gl1_stack->depth;
            return;
        default:
            return;
    }
}

// Whether the shaders' state changed with it: the vertices carry the
// attributes, and only a colour the material follows reaches the uniforms.
bool Attribute(const GL1_Command& c) {
    switch (c.op) {
        case GL1_Op::Normal:
            std::memcpy(gl1_current.normal, c.v, sizeof gl1_current.normal);
            return false;
        case GL1_Op::TexCoord:
            std::memcpy(gl1_current.tex, c.v, sizeof gl1_current.tex);
            return false;
        default:
            std::memcpy(gl1_current.color, c.v, sizeof gl1_current.color);
            return FollowColour();
    }
}

void Texture(const GL1_Command& c, const GL1_List* list) {
    switch (c.op) {
        case GL1_Op::TexImage:
            if (list)
                GL1_RenderBindTexture(static_cast<GLuint>(c.i[3]));
            else
                GL1_RenderTexImage(c.i[0], c.i[1], c.i[2], c.a, c.b, nullptr);
            return;
        case GL1_Op::TexParameter:
            GL1_RenderTexParameter(c.a, c.v[0]);
            return;
        default: {  // the environment mode
            gl1_decal = c.v[0] == GL_DECAL;
            if (!gl1_decal && c.v[0] != GL_MODULATE) GL1_Unsupported("glTexEnvf", GLenum(c.v[0]));
            TextureMode();
            return;
        }
    }
}

// The matrices as the shader takes them.
void PrepareMatrices() {
    GL1_Uniforms& u = gl1_uniforms;
    std::memcpy(u.modelview, gl1_modelview.m[gl1_modelview.depth], sizeof u.modelview);
    std::memcpy(u.projection, gl1_projection.m[gl1_projection.depth], sizeof u.projection);
    GL1_MatNormal(u.modelview, u.normal);
}

// The winding that culling drops, or 0 for none.
GLenum CulledWinding() {
    const Polygon& p = gl1_polygon;
    if (!p.cull || p.cull_face == GL_FRONT_AND_BACK) return 0;
    // The back of a counter-clockwise front is clockwise.
    return (p.cull_face == GL_BACK) == (p.front_face == GL_CCW) ? GL_CW : GL_CCW;
}

void Draw(const GL1_Command& c, const GL1_List* list) {
    if (gl1_changed) PrepareMatrices();
    GL1_RenderBuffer(list->buffer, list->vertices.data(), c.i[0], c.i[1], CulledWinding(),
                     static_cast<uint32_t>(c.i[2]), gl1_current, gl1_key, gl1_uniforms,
                     gl1_changed);
    gl1_changed = false;
}

}  // namespace

void GL1_StateInit() {
    GL1_MatIdentity(gl1_modelview.m[0]);
    GL1_MatIdentity(gl1_projection.m[0]);
    GL1_Uniforms& u = gl1_uniforms;
    for (int i = 0; i < 2; ++i) {
        Set4(u.light_position[i], 0, 0, 1, 0);
        Set4(u.light_ambient[i], 0, 0, 0, 1);
        const float on = i == 0 ? 1.0f : 0.0f;
        Set4(u.light_diffuse[i], on, on, on, 1);
        Set4(u.light_specular[i], on, on, on, 1);
        Set4(u.spot[i], 0, 0, -1, kNoSpot);
    }
    Set4(u.ambient, 0.2f, 0.2f, 0.2f, 1);
    Set4(u.diffuse, 0.8f, 0.8f, 0.8f, 1);
    Set4(u.specular, 0, 0, 0, 1);
    Set4(u.emission, 0, 0, 0, 1);
    Set4(u.scene_ambient, 0.2f, 0.2f, 0.2f, 1);
    Set4(u.shininess, 0, 0, 0, 0);
}

const GL1_Vertex& GL1_Current() { return gl1_current; }

void GL1_DrawTriangles(const std::vector<GL1_Vertex>& triangles) {
    if (triangles.empty()) return;
    if (gl1_changed) PrepareMatrices();
    GL1_RenderStream(triangles, gl1_key, gl1_uniforms, gl1_changed);
    gl1_changed = false;
}

namespace {

// The commands that go straight to the driver, or draw, and so leave the
// shaders' state as it is; false for any other.
bool ExecuteDirect(const GL1_Command& c, const GL1_List* list) {
    switch (c.op) {
        case GL1_Op::Viewport:
            GL1_RenderViewport(c.i);
            return true;
        case GL1_Op::ClearColor:
            GL1_RenderClearColor(c.v);
            return true;
        case GL1_Op::Clear:
            GL1_RenderClear(c.a);
            return true;
        case GL1_Op::BlendFunc:
            GL1_RenderBlendFunc(c.a, c.b);
            return true;
        case GL1_Op::FrontFace:
            gl1_polygon.front_face = c.a;
            GL1_RenderFrontFace(c.a);
            return true;
        case GL1_Op::CullFace:
            gl1_polygon.cull_face = c.a;
            GL1_RenderCullFace(c.a);
            return true;
        case GL1_Op::PushAttrib:
            PushPolygon();
            return true;
        case GL1_Op::PopAttrib:
            PopPolygon();
            return true;
        case GL1_Op::ColorMaterial:
            if (c.a != GL_FRONT || c.b != GL_AMBIENT_AND_DIFFUSE)
                GL1_Unsupported("glColorMaterial", c.b);
            return true;
        case GL1_Op::CallList:
            GL1_ListCall(static_cast<GLuint>(c.i[0]));
            return true;
        case GL1_Op::Draw:
            Draw(c, list);
            return true;
        default:
            return false;
    }
}

}  // namespace

// Every other command changes what the shaders read (the uniform block, or
// the switches that pick the program), so it marks the state changed and
// the next draw uploads it; a vertex attribute does only when lighting
// reads it as the material.
void GL1_Execute(const GL1_Command& c, const GL1_List* list) {
    if (ExecuteDirect(c, list)) return;
    switch (c.op) {
        case GL1_Op::Enable:
        case GL1_Op::Disable:
            Switch(c.a, c.op == GL1_Op::Enable, c.op == GL1_Op::Enable ? "glEnable" : "glDisable");
            break;
        case GL1_Op::ShadeModel:
            Flag(GL1_KEY_FLAT, c.a == GL_FLAT);
            break;
        case GL1_Op::MatrixMode:
        case GL1_Op::LoadIdentity:
        case GL1_Op::LoadMatrix:
        case GL1_Op::MultMatrix:
        case GL1_Op::PushMatrix:
        case GL1_Op::PopMatrix:
            Matrix(c);
            break;
        case GL1_Op::Normal:
        case GL1_Op::TexCoord:
        case GL1_Op::Color:
            if (!Attribute(c)) return;
            break;
        case GL1_Op::Light:
            Light(c);
            break;
        case GL1_Op::Material:
            Material(c);
            break;
        case GL1_Op::TexImage:
        case GL1_Op::TexParameter:
        case GL1_Op::TexEnv:
            Texture(c, list);
            break;
        default:
            break;  // ExecuteDirect's
    }
    gl1_changed = true;
}

void GL1_GetMatrix(GLenum pname, GLfloat* m) {
    if (pname == GL_MODELVIEW_MATRIX)
        std::memcpy(m, gl1_modelview.m[gl1_modelview.depth], 64);
    else if (pname == GL_PROJECTION_MATRIX)
        std::memcpy(m, gl1_projection.m[gl1_projection.depth], 64);
    else
        GL1_Unsupported("glGetFloatv", pname);
}
