// Drawing over OpenGL ES 3.0: programs that light each vertex as
// fixed-function OpenGL does, the state in a uniform block, and the texture
// the pictures go to. Immediate-mode vertices and uniform blocks are
// appended to rings, so that no draw waits on a buffer an earlier draw of
// the frame still reads; a full ring starts over in fresh storage.
// Consecutive immediate-mode primitives that the same program and uniforms
// draw are held back and go out as one draw, since a software renderer pays
// dearly for each draw (the glow's 32 strips cost SwiftShader a millisecond
// more than one draw of the same triangles); every other call that reaches
// OpenGL ES draws them first.
#include <GLES3/gl3.h>

#include <algorithm>
#include <cstddef>
#include <iterator>
#include <string>

#include "gl1/gl1_local.h"
#include "platform/fatal.h"

namespace {

constexpr GLsizeiptr kVertexRing = 4 << 20;
constexpr GLsizeiptr kUniformRing = 1 << 20;
constexpr GLsizeiptr kIndexRing = 1 << 20;

constexpr const char* kVersion = "#version 300 es\n";

constexpr const char* kState = R"(
precision highp float;
layout(std140) uniform State {
    mat4 modelview;
    mat4 projection;
    mat4 normal_matrix;
    vec4 light_position[2];
    vec4 light_ambient[2];
    vec4 light_diffuse[2];
    vec4 light_specular[2];
    vec4 spot[2];
    vec4 ambient;
    vec4 diffuse;
    vec4 specular;
    vec4 emission;
    vec4 scene_ambient;
    vec4 shininess;
};
#if FLAT
#define SHADING flat
#else
#define SHADING
#endif
)";

constexpr const char* kVertexShader = R"(
layout(location = 0) in vec3 a_pos;
layout(location = 1) in vec3 a_normal;
layout(location = 2) in vec4 a_color;
layout(location = 3) in vec2 a_tex;
SHADING out vec4 v_color;
out vec2 v_tex;

// One light's share at a vertex: a spot light lights nothing outside its
// cone, and a face turned away gets no highlight.
vec3 Light(int i, vec3 eye, vec3 n, vec4 amb, vec4 dif) {
    vec3 l = normalize(light_position[i].w == 0.0 ? light_position[i].xyz
                                                   : light_position[i].xyz - eye);
    if (spot[i].w > -1.5 && dot(-l, normalize(spot[i].xyz)) < spot[i].w) return vec3(0.0);
    float nl = dot(n, l);
    vec3 c = light_ambient[i].rgb * amb.rgb + max(nl, 0.0) * light_diffuse[i].rgb * dif.rgb;
    if (nl > 0.0) {
        float nh = max(dot(n, normalize(l + vec3(0.0, 0.0, 1.0))), 0.0);
        c += (shininess.x == 0.0 ? 1.0 : pow(nh, shininess.x)) * light_specular[i].rgb *
             specular.rgb;
    }
    return c;
}

vec4 Lit(vec3 eye) {
#if COLOR_MATERIAL
    vec4 amb = a_color, dif = a_color;
#else
    vec4 amb = ambient, dif = diffuse;
#endif
    vec3 n = mat3(normal_matrix) * a_normal;
#if NORMALIZE
    n = normalize(n);
#endif
    vec3 c = emission.rgb + scene_ambient.rgb * amb.rgb;
#if LIGHT0
    c += Light(0, eye, n, amb, dif);
#endif
#if LIGHT1
    c += Light(1, eye, n, amb, dif);
#endif
    return vec4(c, dif.a);
}

void main() {
    vec4 eye = modelview * vec4(a_pos, 1.0);
    gl_Position = projection * eye;
#if LIT
    vec4 c = Lit(eye.xyz);
#else
    vec4 c = a_color;
#endif
    // Colours are clamped per vertex, before they are interpolated.
    v_color = clamp(c, 0.0, 1.0);
    v_tex = a_tex;
}
)";

constexpr const char* kFragmentShader = R"(
uniform sampler2D u_texture;
SHADING in vec4 v_color;
in vec2 v_tex;
out vec4 o_color;

void main() {
    vec4 c = v_color;
#if MODULATE
    c *= texture(u_texture, v_tex);
#elif DECAL
    c.rgb = texture(u_texture, v_tex).rgb;
#endif
    o_color = c;
}
)";

constexpr const char* kSwitchNames[] = {"LIT",       "LIGHT0",   "LIGHT1", "COLOR_MATERIAL",
                                        "NORMALIZE", "MODULATE", "DECAL",  "FLAT"};

struct Ring {
    GLenum target;
    GLuint buffer;
    GLsizeiptr size;
    GLsizeiptr used;
};

GLuint gl1_programs[GL1_KEYS] = {};
GLuint gl1_program = 0;  // in use
Ring gl1_vertex_ring = {GL_ARRAY_BUFFER, 0, kVertexRing, 0};
Ring gl1_uniform_ring = {GL_UNIFORM_BUFFER, 0, kUniformRing, 0};
Ring gl1_index_ring = {GL_ELEMENT_ARRAY_BUFFER, 0, kIndexRing, 0};
GLsizeiptr gl1_uniform_stride = 0;
bool gl1_drawing = true;
bool gl1_uniforms_stale = false;  // changed while nothing was drawn
int32_t gl1_viewport[4] = {};     // as it stands, for culling ahead
std::vector<uint32_t> gl1_indices;
// The primitives held back, and the program they are drawn with.
std::vector<GL1_Vertex> gl1_batch;
uint32_t gl1_batch_key = 0;
// OpenGL 1.0 has one texture, with one set of parameters: the images
// given outside display lists go to gl1_texture, each list's to a texture
// of its own, and the parameters to a sampler that every image is read
// through.
GLuint gl1_texture = 0;
GLuint gl1_sampler = 0;
GLuint gl1_bound_texture = 0;
// A list's texture dropped while bound: its image stays the current one
// until another is bound.
GLuint gl1_retired_texture = 0;

// The shader's log, which the driver ends with a newline or not.
[[noreturn]] void Fail(const char* call, const char* what, const char* log) {
    std::string message = std::string(call) + ": FATAL_ERROR: " + what + ": " + log;
    if (message.back() != '\n') message += '\n';
    FATAL_Exit(message.c_str());
}

// The switches of key as preprocessor definitions.
std::string Defines(uint32_t key) {
    std::string text;
    for (uint32_t bit = 0; bit < std::size(kSwitchNames); ++bit)
        text += std::string("#define ") + kSwitchNames[bit] + ((key >> bit) & 1 ? " 1\n" : " 0\n");
    return text;
}

// Ends the program with the driver's log when a shader's or a program's
// step (status) failed.
template <typename GetStatus, typename GetLog>
void Check(GLuint object, GLenum status, GetStatus get_status, GetLog get_log, const char* call,
           const char* fault) {
    GLint ok = 0;
    get_status(object, status, &ok);
    if (ok) return;
    char log[1024] = "";
    get_log(object, sizeof log, nullptr, log);
    Fail(call, fault, log);
}

GLuint Compile(GLenum type, uint32_t key, const char* body) {
    const GLuint shader = glCreateShader(type);
    const std::string defines = Defines(key);
    const char* parts[4] = {kVersion, defines.c_str(), kState, body};
    glShaderSource(shader, 4, parts, nullptr);
    glCompileShader(shader);
    Check(shader, GL_COMPILE_STATUS, glGetShaderiv, glGetShaderInfoLog, "glCompileShader",
          "the shader does not compile");
    return shader;
}

GLuint Link(uint32_t key) {
    const GLuint program = glCreateProgram();
    const GLuint shaders[2] = {Compile(GL_VERTEX_SHADER, key, kVertexShader),
                               Compile(GL_FRAGMENT_SHADER, key, kFragmentShader)};
    for (GLuint shader : shaders) glAttachShader(program, shader);
    glLinkProgram(program);
    for (GLuint shader : shaders) glDeleteShader(shader);
    Check(program, GL_LINK_STATUS, glGetProgramiv, glGetProgramInfoLog, "glLinkProgram",
          "the shaders do not link");
    glUseProgram(program);
    glUniformBlockBinding(program, glGetUniformBlockIndex(program, "State"), 0);
    glUniform1i(glGetUniformLocation(program, "u_texture"), 0);
    return program;
}

// The program for key, made the first time it is needed.
void UseProgram(uint32_t key) {
    GLuint& program = gl1_programs[key];
    if (program == 0) program = Link(key);
    if (program != gl1_program) glUseProgram(program);
    gl1_program = program;
}

// Where bytes more fit in the ring, starting it over in fresh storage
// when full.
GLsizeiptr Reserve(Ring& ring, GLsizeiptr bytes) {
    if (bytes > ring.size) ring.size = bytes * 2;
    if (ring.buffer == 0) glGenBuffers(1, &ring.buffer);
    glBindBuffer(ring.target, ring.buffer);
    if (ring.used == 0 || ring.used + bytes > ring.size) {
        glBufferData(ring.target, ring.size, nullptr, GL_DYNAMIC_DRAW);
        ring.used = 0;
    }
    const GLsizeiptr at = ring.used;
    ring.used += bytes;
    return at;
}

void UploadUniforms(const GL1_Uniforms& uniforms) {
    const GLsizeiptr at = Reserve(gl1_uniform_ring, gl1_uniform_stride);
    glBufferSubData(GL_UNIFORM_BUFFER, at, sizeof uniforms, &uniforms);
    glBindBufferRange(GL_UNIFORM_BUFFER, 0, gl1_uniform_ring.buffer, at, sizeof uniforms);
}

// Whether to draw, uploading the uniforms first when they changed.
bool Prepare(uint32_t key, const GL1_Uniforms& uniforms, bool changed) {
    if (!gl1_drawing) {
        gl1_uniforms_stale = gl1_uniforms_stale || changed;
        return false;
    }
    UseProgram(key);
    if (changed || gl1_uniforms_stale) UploadUniforms(uniforms);
    gl1_uniforms_stale = false;
    return true;
}

void Pointer(GLuint index, GLint size, size_t offset) {
    glEnableVertexAttribArray(index);
    glVertexAttribPointer(index, size, GL_FLOAT, GL_FALSE, sizeof(GL1_Vertex),
                          reinterpret_cast<const void*>(offset));
}

// The buffer bound to GL_ARRAY_BUFFER supplies the vertices; what they
// don't carry comes from current as constant attributes.
void Attributes(uint32_t per_vertex, const GL1_Vertex& current) {
    Pointer(0, 3, offsetof(GL1_Vertex, pos));
    if (per_vertex & GL1_PER_VERTEX_NORMAL) {
        Pointer(1, 3, offsetof(GL1_Vertex, normal));
    } else {
        glDisableVertexAttribArray(1);
        glVertexAttrib3fv(1, current.normal);
    }
    if (per_vertex & GL1_PER_VERTEX_COLOR) {
        Pointer(2, 4, offsetof(GL1_Vertex, color));
    } else {
        glDisableVertexAttribArray(2);
        glVertexAttrib4fv(2, current.color);
    }
    if (per_vertex & GL1_PER_VERTEX_TEX) {
        Pointer(3, 2, offsetof(GL1_Vertex, tex));
    } else {
        glDisableVertexAttribArray(3);
        glVertexAttrib2fv(3, current.tex);
    }
}

void Flush() {
    if (gl1_batch.empty()) return;
    const GLsizeiptr bytes = gl1_batch.size() * sizeof(GL1_Vertex);
    const GLsizeiptr at = Reserve(gl1_vertex_ring, bytes);
    glBufferSubData(GL_ARRAY_BUFFER, at, bytes, gl1_batch.data());
    Attributes(GL1_PER_VERTEX_ALL, gl1_batch[0]);
    glDrawArrays(GL_TRIANGLES, static_cast<GLint>(at / sizeof(GL1_Vertex)),
                 static_cast<GLsizei>(gl1_batch.size()));
    gl1_batch.clear();
}

}  // namespace

void GL1_RenderInit() {
    GLint alignment = 0;
    glGetIntegerv(GL_UNIFORM_BUFFER_OFFSET_ALIGNMENT, &alignment);
    if (alignment < 1) alignment = 1;
    gl1_uniform_stride = (sizeof(GL1_Uniforms) + alignment - 1) / alignment * alignment;
    glActiveTexture(GL_TEXTURE0);
    glGenTextures(1, &gl1_texture);
    GL1_RenderBindTexture(gl1_texture);
    glGenSamplers(1, &gl1_sampler);
    glBindSampler(0, gl1_sampler);
    glGetIntegerv(GL_VIEWPORT, gl1_viewport);
}

void GL1_RenderStream(const std::vector<GL1_Vertex>& triangles, uint32_t key,
                      const GL1_Uniforms& uniforms, bool changed) {
    if (gl1_batch.empty() || key != gl1_batch_key || changed) {
        Flush();
        if (!Prepare(key, uniforms, changed)) return;
        gl1_batch_key = key;
    }
    gl1_batch.insert(gl1_batch.end(), triangles.begin(), triangles.end());
}

void GL1_RenderFlush() { Flush(); }

namespace {

// Draws the list's triangles that may draw something, by index.
void DrawVisible(GLuint buffer, const GL1_Vertex* vertices, int first, int count, GLenum culled,
                 const GL1_Uniforms& uniforms) {
    float mvp[16];
    GL1_MatMultiply(uniforms.projection, uniforms.modelview, mvp);
    GL1_CullTriangles(buffer, vertices, first, count, mvp, gl1_viewport, culled, gl1_indices);
    if (gl1_indices.empty()) return;
    const GLsizeiptr bytes = gl1_indices.size() * sizeof gl1_indices[0];
    const GLsizeiptr at = Reserve(gl1_index_ring, bytes);
    glBufferSubData(GL_ELEMENT_ARRAY_BUFFER, at, bytes, gl1_indices.data());
    glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(gl1_indices.size()), GL_UNSIGNED_INT,
                   reinterpret_cast<const void*>(at));
}

}  // namespace

void GL1_RenderBuffer(GLuint buffer, const GL1_Vertex* vertices, int first, int count,
                      GLenum culled, uint32_t per_vertex, const GL1_Vertex& current, uint32_t key,
                      const GL1_Uniforms& uniforms, bool changed) {
    Flush();
    if (!Prepare(key, uniforms, changed)) return;
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    Attributes(per_vertex, current);
    DrawVisible(buffer, vertices, first, count, culled, uniforms);
}

GLuint GL1_RenderUpload(const std::vector<GL1_Vertex>& vertices, GLuint old) {
    if (old != 0) {
        GL1_CullForget(old);
        glDeleteBuffers(1, &old);
    }
    GLuint buffer = 0;
    glGenBuffers(1, &buffer);
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    glBufferData(GL_ARRAY_BUFFER, vertices.size() * sizeof(GL1_Vertex), vertices.data(),
                 GL_STATIC_DRAW);
    return buffer;
}

void GL1_RenderCap(GLenum cap, bool on) {
    Flush();
    on ? glEnable(cap) : glDisable(cap);
}

namespace {

void TexImage(GLsizei width, GLsizei height, GLint internal_format, GLenum format, GLenum type,
              const void* pixels) {
    const bool alpha = internal_format == 4 || internal_format == GL_RGBA;
    glTexImage2D(GL_TEXTURE_2D, 0, alpha ? GL_RGBA8 : GL_RGB8, width, height, 0, format, type,
                 pixels);
}

}  // namespace

void GL1_RenderTexImage(GLsizei width, GLsizei height, GLint internal_format, GLenum format,
                        GLenum type, const void* pixels) {
    GL1_RenderBindTexture(gl1_texture);
    TexImage(width, height, internal_format, format, type, pixels);
}

GLuint GL1_RenderTexture(GLsizei width, GLsizei height, GLint internal_format, GLenum format,
                         GLenum type, const void* pixels) {
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    TexImage(width, height, internal_format, format, type, pixels);
    glBindTexture(GL_TEXTURE_2D, gl1_bound_texture);
    return texture;
}

void GL1_RenderBindTexture(GLuint texture) {
    Flush();
    if (texture == gl1_bound_texture) return;
    glBindTexture(GL_TEXTURE_2D, texture);
    gl1_bound_texture = texture;
    glDeleteTextures(1, &gl1_retired_texture);
    gl1_retired_texture = 0;
}

void GL1_RenderDeleteTextures(const std::vector<GLuint>& textures) {
    for (GLuint texture : textures) {
        if (texture == gl1_bound_texture)
            gl1_retired_texture = texture;
        else
            glDeleteTextures(1, &texture);
    }
}

void GL1_RenderTexParameter(GLenum pname, GLfloat param) {
    Flush();
    const GLint value = static_cast<GLint>(param);
    // OpenGL ES has no GL_CLAMP; under the pictures' nearest filtering it
    // samples as GL_CLAMP_TO_EDGE does.
    glSamplerParameteri(gl1_sampler, pname, value == GL_CLAMP ? GL_CLAMP_TO_EDGE : value);
}

void GL1_RenderViewport(const int32_t* rect) {
    Flush();
    std::copy(rect, rect + 4, gl1_viewport);
    glViewport(rect[0], rect[1], rect[2], rect[3]);
}
void GL1_RenderClearColor(const float* rgba) { glClearColor(rgba[0], rgba[1], rgba[2], rgba[3]); }
void GL1_RenderDrawing(bool on) {
    Flush();
    gl1_drawing = on;
}

void GL1_RenderClear(GLbitfield mask) {
    Flush();
    if (gl1_drawing) glClear(mask);
}
void GL1_RenderBlendFunc(GLenum sfactor, GLenum dfactor) {
    Flush();
    glBlendFunc(sfactor, dfactor);
}
void GL1_RenderFrontFace(GLenum mode) {
    Flush();
    glFrontFace(mode);
}
void GL1_RenderCullFace(GLenum mode) {
    Flush();
    glCullFace(mode);
}
void GL1_RenderPixelStore(GLenum pname, GLint param) { glPixelStorei(pname, param); }

void GL1_RenderReadPixels(GLint x, GLint y, GLsizei width, GLsizei height, GLenum format,
                          GLenum type, void* pixels) {
    Flush();
    if (gl1_drawing) glReadPixels(x, y, width, height, format, type, pixels);
}
