#include "engine/velq_rasta.h"

#include "archive/cfs_tiles.h"

namespace {

constexpr float kDoubleScale = 4.0f;

// One tile's quad, counter-clockwise as seen from +z; texture row t = 0 (the
// tile's first stored pixel row) lies on the top edge.
void TileQuad(float left, float bottom, float right, float top) {
    glBegin(GL_QUADS);
    glTexCoord2f(1, 0);
    glVertex3f(right, top, 0);
    glTexCoord2f(0, 0);
    glVertex3f(left, top, 0);
    glTexCoord2f(0, 1);
    glVertex3f(left, bottom, 0);
    glTexCoord2f(1, 1);
    glVertex3f(right, bottom, 0);
    glEnd();
}

void CompileBlit(GLuint list, const CFS_Pict* pict, float scale) {
    const float w = static_cast<float>(pict->tile_width);
    const float h = static_cast<float>(pict->tile_height);
    glNewList(list, GL_COMPILE);
    for (uint32_t r = 0; r < pict->tiles_down; ++r) {
        for (uint32_t c = 0; c < pict->tiles_across; ++c) {
            glTexImage2D(GL_TEXTURE_2D, 0, 3, pict->tile_width, pict->tile_height, 0, GL_RGB,
                         GL_UNSIGNED_BYTE, pict->pixels + CFS_TileOffset(*pict, r, c));
            TileQuad(c * w * scale, r * h * scale, (c + 1) * w * scale, (r + 1) * h * scale);
        }
    }
    glEndList();
}

}  // namespace

void VELQ_RASTA_PictureTexture() {
    glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_DECAL);
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
}

void VELQ_RASTA_PrepBlit24b(GLuint list, const CFS_Pict* pict) { CompileBlit(list, pict, 1.0f); }

void VELQ_RASTA_DoublePrepBlit24b(GLuint list, const CFS_Pict* pict) {
    CompileBlit(list, pict, kDoubleScale);
}
