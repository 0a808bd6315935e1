// FreeType text and GLU triangulation for the data generators.
#include "tools/mkdrive/glyphs.h"

#include <GL/glu.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <string>

#include "platform/fatal.h"

namespace {

// Segments each quadratic or cubic curve of an outline is flattened into.
constexpr int kCurveSteps = 8;

FT_Library glyph_lib = nullptr;

void GLYPH_Fatal(const char* function, const char* what) {
    FATAL_Exit((std::string(function) + ": FATAL_ERROR: " + what + "\n").c_str());
}

FT_Face GLYPH_OpenFace(const char* font) {
    if (!glyph_lib && FT_Init_FreeType(&glyph_lib) != 0)
        GLYPH_Fatal("GLYPH_OpenFace", "FreeType could not start.");
    std::string path = std::string(GLYPH_FONT_DIR) + font;
    FT_Face face = nullptr;
    if (FT_New_Face(glyph_lib, path.c_str(), 0, &face) != 0)
        GLYPH_Fatal("GLYPH_OpenFace", "Could not load a DejaVu font.");
    return face;
}

// Code points of a UTF-8 string (the texts are our own, so well-formed).
std::vector<uint32_t> GLYPH_Decode(const std::string& text) {
    std::vector<uint32_t> out;
    for (size_t i = 0; i < text.size();) {
        uint8_t c = static_cast<uint8_t>(text[i]);
        int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
        uint32_t cp = extra == 0 ? c : c & (0x3F >> extra);
        for (int k = 1; k <= extra && i + k < text.size(); ++k)
            cp = (cp << 6) | (static_cast<uint8_t>(text[i + k]) & 0x3F);
        out.push_back(cp);
        i += extra + 1;
    }
    return out;
}

FT_Pos GLYPH_Kerning(FT_Face face, FT_UInt left, FT_UInt right, FT_UInt mode) {
    if (!left || !FT_HAS_KERNING(face)) return 0;
    FT_Vector k;
    FT_Get_Kerning(face, left, right, mode, &k);
    return k.x;
}

// Copies the coverage of `canvas` (w x h) cropped to its ink.
GLYPH_Bitmap GLYPH_Crop(const std::vector<uint8_t>& canvas, int w, int h, int baseline) {
    int x0 = w, x1 = -1, y0 = h, y1 = -1;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (canvas[y * w + x]) {
                x0 = std::min(x0, x), x1 = std::max(x1, x);
                y0 = std::min(y0, y), y1 = std::max(y1, y);
            }
    GLYPH_Bitmap bm;
    if (x1 < 0) return bm;
    bm.width = x1 - x0 + 1;
    bm.height = y1 - y0 + 1;
    bm.baseline = baseline - y0;
    bm.coverage.resize(bm.width * bm.height);
    for (int y = 0; y < bm.height; ++y)
        std::copy_n(&canvas[(y + y0) * w + x0], bm.width, &bm.coverage[y * bm.width]);
    return bm;
}

// Outline flattening state: the contours in font units.
struct GLYPH_Flattener {
    std::vector<GLYPH_Contour> contours;
    GLYPH_Point last{0, 0};
};

GLYPH_Point GLYPH_Pt(const FT_Vector* v) { return {double(v->x), double(v->y)}; }

int GLYPH_MoveTo(const FT_Vector* to, void* user) {
    auto* f = static_cast<GLYPH_Flattener*>(user);
    f->contours.emplace_back();
    f->last = GLYPH_Pt(to);
    f->contours.back().push_back(f->last);
    return 0;
}

int GLYPH_LineTo(const FT_Vector* to, void* user) {
    auto* f = static_cast<GLYPH_Flattener*>(user);
    f->last = GLYPH_Pt(to);
    f->contours.back().push_back(f->last);
    return 0;
}

int GLYPH_ConicTo(const FT_Vector* control, const FT_Vector* to, void* user) {
    auto* f = static_cast<GLYPH_Flattener*>(user);
    GLYPH_Point p0 = f->last, c = GLYPH_Pt(control), p1 = GLYPH_Pt(to);
    for (int i = 1; i <= kCurveSteps; ++i) {
        double t = double(i) / kCurveSteps, u = 1 - t;
        f->contours.back().push_back({u * u * p0.x + 2 * u * t * c.x + t * t * p1.x,
                                      u * u * p0.y + 2 * u * t * c.y + t * t * p1.y});
    }
    f->last = p1;
    return 0;
}

int GLYPH_CubicTo(const FT_Vector* c1v, const FT_Vector* c2v, const FT_Vector* to, void* user) {
    auto* f = static_cast<GLYPH_Flattener*>(user);
    GLYPH_Point p0 = f->last, c1 = GLYPH_Pt(c1v), c2 = GLYPH_Pt(c2v), p1 = GLYPH_Pt(to);
    for (int i = 1; i <= kCurveSteps; ++i) {
        double t = double(i) / kCurveSteps, u = 1 - t;
        double a = u * u * u, b = 3 * u * u * t, c = 3 * u * t * t, d = t * t * t;
        f->contours.back().push_back(
            {a * p0.x + b * c1.x + c * c2.x + d * p1.x, a * p0.y + b * c1.y + c * c2.y + d * p1.y});
    }
    f->last = p1;
    return 0;
}

// Tessellator state: vertex storage that never moves (the tessellator keeps
// pointers into it until the polygon ends), and the output.
struct GLYPH_TessState {
    std::deque<GLYPH_Point> vertices;
    std::deque<std::array<GLdouble, 3>> coords;
    std::vector<GLYPH_Point> tris;
};

void GLAPIENTRY GLYPH_TessVertex(void* vertex, void* user) {
    static_cast<GLYPH_TessState*>(user)->tris.push_back(*static_cast<GLYPH_Point*>(vertex));
}

void GLAPIENTRY GLYPH_TessCombine(GLdouble coords[3], void* [4], GLfloat[4], void** out,
                                  void* user) {
    auto* s = static_cast<GLYPH_TessState*>(user);
    s->vertices.push_back({coords[0], coords[1]});
    *out = &s->vertices.back();
}

// The edge-flag callback makes the tessellator emit plain triangles only.
void GLAPIENTRY GLYPH_TessEdgeFlag(GLboolean, void*) {}
void GLAPIENTRY GLYPH_TessBegin(GLenum, void*) {}
void GLAPIENTRY GLYPH_TessEnd(void*) {}

void GLAPIENTRY GLYPH_TessError(GLenum, void*) {
    GLYPH_Fatal("GLYPH_Tessellate", "The tessellator rejected an outline.");
}

// Twice the signed area of triangle a, b, c (positive counter-clockwise).
double GLYPH_Area2(const GLYPH_Point& a, const GLYPH_Point& b, const GLYPH_Point& c) {
    return (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
}

}  // namespace

GLYPH_Bitmap GLYPH_RenderText(const char* font, int pixel_size, const std::string& text,
                              int tracking) {
    FT_Face face = GLYPH_OpenFace(font);
    FT_Set_Pixel_Sizes(face, 0, pixel_size);
    std::vector<uint32_t> cps = GLYPH_Decode(text);
    int w = (pixel_size + tracking) * int(cps.size() + 2), h = pixel_size * 3;
    int baseline = pixel_size * 2;
    std::vector<uint8_t> canvas(w * h, 0);
    int pen = pixel_size;
    FT_UInt prev = 0;
    for (uint32_t cp : cps) {
        FT_UInt index = FT_Get_Char_Index(face, cp);
        pen += GLYPH_Kerning(face, prev, index, FT_KERNING_DEFAULT) >> 6;
        if (FT_Load_Glyph(face, index, FT_LOAD_RENDER) != 0)
            GLYPH_Fatal("GLYPH_RenderText", "Could not render a glyph.");
        FT_GlyphSlot g = face->glyph;
        for (unsigned r = 0; r < g->bitmap.rows; ++r)
            for (unsigned c = 0; c < g->bitmap.width; ++c) {
                int x = pen + g->bitmap_left + int(c), y = baseline - g->bitmap_top + int(r);
                if (x < 0 || y < 0 || x >= w || y >= h) continue;
                uint8_t v = g->bitmap.buffer[r * g->bitmap.pitch + c];
                canvas[y * w + x] = std::max(canvas[y * w + x], v);
            }
        pen += int(g->advance.x >> 6) + tracking;
        prev = index;
    }
    FT_Done_Face(face);
    return GLYPH_Crop(canvas, w, h, baseline);
}

std::vector<GLYPH_Contour> GLYPH_TextOutline(const char* font, const std::string& text,
                                             double cap_height, double x_scale, double tracking) {
    FT_Face face = GLYPH_OpenFace(font);
    if (FT_Load_Char(face, 'H', FT_LOAD_NO_SCALE) != 0)
        GLYPH_Fatal("GLYPH_TextOutline", "The font has no capital H.");
    FT_BBox box;
    FT_Outline_Get_CBox(&face->glyph->outline, &box);
    double scale = cap_height / double(box.yMax);
    FT_Outline_Funcs funcs{GLYPH_MoveTo, GLYPH_LineTo, GLYPH_ConicTo, GLYPH_CubicTo, 0, 0};
    std::vector<GLYPH_Contour> out;
    double pen = 0;
    FT_UInt prev = 0;
    for (uint32_t cp : GLYPH_Decode(text)) {
        FT_UInt index = FT_Get_Char_Index(face, cp);
        pen += GLYPH_Kerning(face, prev, index, FT_KERNING_UNSCALED) * scale * x_scale;
        if (FT_Load_Glyph(face, index, FT_LOAD_NO_SCALE) != 0)
            GLYPH_Fatal("GLYPH_TextOutline", "Could not load a glyph outline.");
        GLYPH_Flattener f;
        FT_Outline_Decompose(&face->glyph->outline, &funcs, &f);
        for (GLYPH_Contour& c : f.contours) {
            if (c.size() > 1 && c.front().x == c.back().x && c.front().y == c.back().y)
                c.pop_back();
            for (GLYPH_Point& p : c) p = {pen + p.x * scale * x_scale, p.y * scale};
            if (c.size() >= 3) out.push_back(std::move(c));
        }
        pen += double(face->glyph->advance.x) * scale * x_scale + tracking;
        prev = index;
    }
    FT_Done_Face(face);
    return out;
}

std::vector<GLYPH_Point> GLYPH_Tessellate(const std::vector<GLYPH_Contour>& contours) {
    GLYPH_TessState state;
    GLUtesselator* tess = gluNewTess();
    gluTessCallback(tess, GLU_TESS_BEGIN_DATA, (_GLUfuncptr)GLYPH_TessBegin);
    gluTessCallback(tess, GLU_TESS_VERTEX_DATA, (_GLUfuncptr)GLYPH_TessVertex);
    gluTessCallback(tess, GLU_TESS_END_DATA, (_GLUfuncptr)GLYPH_TessEnd);
    gluTessCallback(tess, GLU_TESS_EDGE_FLAG_DATA, (_GLUfuncptr)GLYPH_TessEdgeFlag);
    gluTessCallback(tess, GLU_TESS_COMBINE_DATA, (_GLUfuncptr)GLYPH_TessCombine);
    gluTessCallback(tess, GLU_TESS_ERROR_DATA, (_GLUfuncptr)GLYPH_TessError);
    gluTessProperty(tess, GLU_TESS_WINDING_RULE, GLU_TESS_WINDING_NONZERO);
    gluTessNormal(tess, 0, 0, 1);
    gluTessBeginPolygon(tess, &state);
    for (const GLYPH_Contour& c : contours) {
        gluTessBeginContour(tess);
        for (const GLYPH_Point& p : c) {
            state.vertices.push_back(p);
            state.coords.push_back({p.x, p.y, 0});
            gluTessVertex(tess, state.coords.back().data(), &state.vertices.back());
        }
        gluTessEndContour(tess);
    }
    gluTessEndPolygon(tess);
    gluDeleteTess(tess);
    std::vector<GLYPH_Point> tris;
    for (size_t i = 0; i + 2 < state.tris.size(); i += 3) {
        const GLYPH_Point &a = state.tris[i], &b = state.tris[i + 1], &c = state.tris[i + 2];
        double area = GLYPH_Area2(a, b, c);
        if (area > 0) tris.insert(tris.end(), {a, b, c});
        if (area < 0) tris.insert(tris.end(), {a, c, b});
    }
    return tris;
}
