// Culling ahead of the renderer: a display list's solid meshes turn half
// their triangles away from the viewer, and put many more outside the view,
// and a software renderer shades every vertex of a triangle before it finds
// that out. The layer finds the triangles that surely draw nothing first
// and draws only the others, by index, in their order; the renderer still
// culls and clips whatever is left near an edge, so the picture is the one
// it draws from all of them.
#include <cmath>
#include <cstring>
#include <iterator>
#include <map>
#include <tuple>

#include "gl1/gl1_local.h"

namespace {

// A triangle is left out as facing away only when its area in the window
// is this many pixels times the length of its edges: the renderer snaps
// corners to a grid far finer than a tenth of a pixel, and computes them in
// other rounding, so its snapped triangle faces the same way.
constexpr float kMargin = 0.1f;
// A corner is outside a clipping plane only by this share of its w.
constexpr float kOutside = 1e-4f;

struct Corner {
    float x, y;    // normalized device coordinates
    uint8_t outs;  // the clipping planes it surely lies outside, a bit each
    bool ahead;    // in front of the eye, where the division holds
};

// The corners of a list's draw under the last matrix it was drawn with: a
// scene that draws a list twice a frame, small and large, projects once.
struct Projection {
    float mvp[16];
    std::vector<Corner> corners;
};

// By the list's buffer and the draw's first vertex and count.
std::map<std::tuple<GLuint, int, int>, Projection> gl1_projections;

Corner Project(const float* mvp, const float* pos) {
    float clip[4];
    GL1_MatTransform(mvp, pos, 1, clip);
    const float w = clip[3];
    const float reach = w + kOutside * std::fabs(w);
    uint8_t outs = 0;
    for (int axis = 0; axis < 3; ++axis) {
        if (clip[axis] > reach) outs |= uint8_t(1u << (2 * axis));
        if (-clip[axis] > reach) outs |= uint8_t(2u << (2 * axis));
    }
    if (!(w > 0)) return {0, 0, outs, false};
    return {clip[0] / w, clip[1] / w, outs, true};
}

const std::vector<Corner>& Corners(GLuint buffer, const GL1_Vertex* vertices, int first, int count,
                                   const float* mvp) {
    Projection& p = gl1_projections[{buffer, first, count}];
    if (p.corners.size() == size_t(count) && std::memcmp(p.mvp, mvp, sizeof p.mvp) == 0)
        return p.corners;
    std::memcpy(p.mvp, mvp, sizeof p.mvp);
    p.corners.resize(size_t(count));
    for (int i = 0; i < count; ++i) p.corners[size_t(i)] = Project(mvp, vertices[first + i].pos);
    return p.corners;
}

// Whether a triangle surely draws nothing: all outside one clipping plane,
// or wound the way that is culled (counter-clockwise is a positive area).
// half holds the viewport's half width and height in pixels.
bool CulledSurely(const Corner* c, const float* half, GLenum culled) {
    if (c[0].outs & c[1].outs & c[2].outs) return true;
    if (culled == 0 || !(c[0].ahead && c[1].ahead && c[2].ahead)) return false;
    float dx[3], dy[3], edges = 0;
    for (int k = 0; k < 3; ++k) {
        dx[k] = (c[(k + 1) % 3].x - c[k].x) * half[0];
        dy[k] = (c[(k + 1) % 3].y - c[k].y) * half[1];
        edges += std::fabs(dx[k]) + std::fabs(dy[k]);  // no shorter than the edge
    }
    const float area = dx[0] * -dy[2] - -dx[2] * dy[0];
    const float margin = kMargin * edges;
    return culled == GL_CCW ? area > margin : area < -margin;
}

}  // namespace

void GL1_CullTriangles(GLuint buffer, const GL1_Vertex* vertices, int first, int count,
                       const float* mvp, const int32_t* viewport, GLenum culled,
                       std::vector<uint32_t>& indices) {
    indices.clear();
    const std::vector<Corner>& corners = Corners(buffer, vertices, first, count, mvp);
    const float half[2] = {0.5f * float(viewport[2]), 0.5f * float(viewport[3])};
    for (int i = 0; i + 2 < count; i += 3) {
        if (CulledSurely(&corners[size_t(i)], half, culled)) continue;
        for (int k = 0; k < 3; ++k) indices.push_back(uint32_t(first + i + k));
    }
}

void GL1_CullForget(GLuint buffer) {
    for (auto it = gl1_projections.begin(); it != gl1_projections.end();)
        it = std::get<0>(it->first) == buffer ? gl1_projections.erase(it) : std::next(it);
}
