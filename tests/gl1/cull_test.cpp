// Culling ahead of the renderer leaves out only triangles that surely draw
// nothing, and keeps the rest in their order.
#include <gtest/gtest.h>

#include <vector>

#include "gl1/gl1_local.h"

namespace {

constexpr GLuint kBuffer = 1;
constexpr int32_t kViewport[4] = {0, 0, 640, 320};

GL1_Vertex At(float x, float y, float z) { return {{x, y, z}, {}, {}, {}}; }

// Triangles given by their corners, seen through mvp (identity when none):
// the indices kept.
std::vector<uint32_t> Kept(const std::vector<GL1_Vertex>& vertices, GLenum culled,
                           const float* mvp = nullptr) {
    float identity[16];
    GL1_MatIdentity(identity);
    std::vector<uint32_t> indices;
    GL1_CullTriangles(kBuffer, vertices.data(), 0, int(vertices.size()), mvp ? mvp : identity,
                      kViewport, culled, indices);
    GL1_CullForget(kBuffer);
    return indices;
}

}  // namespace

TEST(Cull, DropsOnlyWhatSurelyDrawsNothing) {
    const std::vector<GL1_Vertex> triangles = {
        At(0, 0, 0),     At(0.5f, 0, 0),    At(0, 0.5f, 0),      // 0: counter-clockwise
        At(0, 0, 0),     At(0, 0.5f, 0),    At(0.5f, 0, 0),      // 3: clockwise
        At(1.5f, 0, 0),  At(2, 0, 0),       At(1.5f, 0.5f, 0),   // 6: right of the view
        At(-0.9f, 0, 0), At(2, 0, 0),       At(-0.9f, 0.5f, 0),  // 9: across its right edge
        At(0, 0, 1.5f),  At(0.5f, 0, 1.5f), At(0, 0.5f, 0),      // 12: partly beyond the far plane
        At(0, 0, 0),     At(0.5f, 0, 0),    At(1, 1e-4f, 0),  // 15: counter-clockwise by a sliver
    };
    EXPECT_EQ(Kept(triangles, 0),
              (std::vector<uint32_t>{0, 1, 2, 3, 4, 5, 9, 10, 11, 12, 13, 14, 15, 16, 17}));
    EXPECT_EQ(Kept(triangles, GL_CW),
              (std::vector<uint32_t>{0, 1, 2, 9, 10, 11, 12, 13, 14, 15, 16, 17}));
    EXPECT_EQ(Kept(triangles, GL_CCW), (std::vector<uint32_t>{3, 4, 5, 15, 16, 17}));

    // Behind the eye the winding says nothing: a perspective divides by w,
    // which the corners behind the eye have negative.
    float perspective[16];
    GL1_MatPerspective(perspective, 60, 2, 1, 100);
    const std::vector<GL1_Vertex> around = {
        At(-1, 0, -5), At(0, 1, -5), At(1, 0, 5),   // 0: one corner behind the eye
        At(-1, 0, 5),  At(1, 0, 5),  At(0, 1, 5),   // 3: all behind it
        At(-1, 0, -5), At(0, 1, -5), At(1, 0, -5),  // 6: clockwise, ahead
    };
    EXPECT_EQ(Kept(around, GL_CW, perspective), (std::vector<uint32_t>{0, 1, 2}));
}

TEST(Cull, ProjectsAgainWhenTheMatrixOrTheListChanges) {
    std::vector<GL1_Vertex> triangle = {At(0, 0, 0), At(0.5f, 0, 0), At(0, 0.5f, 0)};
    float matrix[16];
    GL1_MatIdentity(matrix);
    std::vector<uint32_t> indices;
    const auto kept = [&] {
        GL1_CullTriangles(kBuffer, triangle.data(), 0, 3, matrix, kViewport, GL_CW, indices);
        return indices.size();
    };
    EXPECT_EQ(kept(), 3u);
    GL1_MatTranslate(matrix, 5, 0, 0);  // out of the view
    EXPECT_EQ(kept(), 0u);
    GL1_MatIdentity(matrix);
    EXPECT_EQ(kept(), 3u);
    // The list compiled again, with the triangle turned over.
    GL1_CullForget(kBuffer);
    std::swap(triangle[1], triangle[2]);
    EXPECT_EQ(kept(), 0u);
    GL1_CullForget(kBuffer);
}
