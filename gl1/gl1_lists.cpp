// Display lists: the commands between glNewList and glEndList kept, with
// their vertices in one buffer per list and their images in textures of
// their own, then run again on glCallList.
//
// A list's vertices take the normal, colour and texture coordinate the
// list itself set before them; those it never set come from whatever is
// current when the list runs. Consecutive primitives merge into one draw:
// the attribute sets between them only matter to the current values the
// list leaves behind, which the kept sets still give.
#include <algorithm>
#include <unordered_map>

#include "gl1/gl1_local.h"

namespace {

constexpr int kMaxNesting = 64;

std::unordered_map<GLuint, GL1_List> gl1_lists;
bool gl1_compiling = false;
GLuint gl1_compiling_id = 0;
GL1_List gl1_compiled;
GL1_Vertex gl1_list_current;
uint32_t gl1_list_defined = 0;  // GL1_PER_VERTEX_* the list has set so far
uint32_t gl1_list_pending = 0;  // set inside the open primitive
int gl1_nesting = 0;

uint32_t Bit(GL1_Op op) {
    return op == GL1_Op::Normal  ? GL1_PER_VERTEX_NORMAL
           : op == GL1_Op::Color ? GL1_PER_VERTEX_COLOR
                                 : GL1_PER_VERTEX_TEX;
}

float* Field(GL1_Vertex& v, GL1_Op op) {
    return op == GL1_Op::Normal ? v.normal : op == GL1_Op::Color ? v.color : v.tex;
}

int Size(GL1_Op op) { return op == GL1_Op::Normal ? 3 : op == GL1_Op::Color ? 4 : 2; }

// The attributes set inside a primitive, kept after it as plain sets.
void KeepPending() {
    for (GL1_Op op : {GL1_Op::Normal, GL1_Op::Color, GL1_Op::TexCoord}) {
        if (!(gl1_list_pending & Bit(op))) continue;
        GL1_Command set{op};
        const float* from = Field(gl1_list_current, op);
        std::copy(from, from + Size(op), set.v);
        gl1_compiled.commands.push_back(set);
    }
    gl1_list_pending = 0;
}

// The last draw, when only attribute sets follow it.
GL1_Command* MergeableDraw() {
    auto& commands = gl1_compiled.commands;
    for (auto it = commands.rbegin(); it != commands.rend(); ++it) {
        if (it->op == GL1_Op::Draw) return &*it;
        if (it->op != GL1_Op::Normal && it->op != GL1_Op::Color && it->op != GL1_Op::TexCoord)
            return nullptr;
    }
    return nullptr;
}

// Each image of the list in a texture of its own, so that running the
// list uploads nothing.
void UploadImages(GL1_List& list) {
    for (GL1_Command& command : list.commands) {
        if (command.op != GL1_Op::TexImage) continue;
        const GLuint texture =
            GL1_RenderTexture(command.i[0], command.i[1], command.i[2], command.a, command.b,
                              list.pixels.data() + command.i[3]);
        list.textures.push_back(texture);
        command.i[3] = static_cast<int32_t>(texture);
    }
    list.pixels = {};
}

}  // namespace

void GL1_NewList(GLuint list, GLenum mode) {
    if (mode != GL_COMPILE) GL1_Unsupported("glNewList", mode);
    gl1_compiling = true;
    gl1_compiling_id = list;
    gl1_compiled = GL1_List();
    gl1_list_current = GL1_Current();
    gl1_list_defined = 0;
    gl1_list_pending = 0;
}

void GL1_EndList() {
    if (!gl1_compiling) GL1_Unsupported("glEndList", 0);
    gl1_compiling = false;
    GL1_List& list = gl1_lists[gl1_compiling_id];
    gl1_compiled.buffer = GL1_RenderUpload(gl1_compiled.vertices, list.buffer);
    GL1_RenderDeleteTextures(list.textures);
    UploadImages(gl1_compiled);
    list = std::move(gl1_compiled);
    gl1_compiled = GL1_List();
}

bool GL1_ListCompiling() { return gl1_compiling; }

void GL1_ListRecord(const GL1_Command& command) { gl1_compiled.commands.push_back(command); }

void GL1_ListAttribute(const GL1_Command& command, bool in_primitive) {
    std::copy(command.v, command.v + Size(command.op), Field(gl1_list_current, command.op));
    gl1_list_defined |= Bit(command.op);
    if (in_primitive)
        gl1_list_pending |= Bit(command.op);
    else
        GL1_ListRecord(command);
}

const GL1_Vertex& GL1_ListCurrent() { return gl1_list_current; }

uint32_t GL1_ListDefined() { return gl1_list_defined; }

void GL1_ListTriangles(const std::vector<GL1_Vertex>& triangles, uint32_t mask) {
    auto& vertices = gl1_compiled.vertices;
    const int first = static_cast<int>(vertices.size());
    const int count = static_cast<int>(triangles.size());
    vertices.insert(vertices.end(), triangles.begin(), triangles.end());
    GL1_Command* last = MergeableDraw();
    if (last && last->i[0] + last->i[1] == first && last->i[2] == static_cast<int32_t>(mask)) {
        last->i[1] += count;
    } else if (count > 0) {
        GL1_Command draw{GL1_Op::Draw};
        draw.i[0] = first;
        draw.i[1] = count;
        draw.i[2] = static_cast<int32_t>(mask);
        GL1_ListRecord(draw);
    }
    KeepPending();
}

void GL1_ListPixels(GL1_Command& command, const void* pixels, size_t bytes) {
    auto& kept = gl1_compiled.pixels;
    command.i[3] = static_cast<int32_t>(kept.size());
    const auto* from = static_cast<const uint8_t*>(pixels);
    kept.insert(kept.end(), from, from + bytes);
}

void GL1_ListCall(GLuint id) {
    const auto found = gl1_lists.find(id);
    if (found == gl1_lists.end()) return;
    if (gl1_nesting == kMaxNesting) GL1_Unsupported("glCallList", id);
    ++gl1_nesting;
    for (const GL1_Command& command : found->second.commands) GL1_Execute(command, &found->second);
    --gl1_nesting;
}
