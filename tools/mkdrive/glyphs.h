// Text for the production's data: antialiased coverage bitmaps for the
// caption pictures and flat triangle lists of letters for the glyph meshes,
// both from the DejaVu fonts through FreeType, plus the polygon
// triangulation (GLU tessellator) that the letter and wing meshes share.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Coverage 0..255 of a line of text, rows from the top down, cropped to
// the ink; `baseline` is the row of the baseline counted from the top row
// of the crop (it may lie below the last row).
struct GLYPH_Bitmap {
    int width = 0;
    int height = 0;
    int baseline = 0;
    std::vector<uint8_t> coverage;
};

// A point of a planar outline.
struct GLYPH_Point {
    double x;
    double y;
};

// One closed outline; the last point connects back to the first.
using GLYPH_Contour = std::vector<GLYPH_Point>;

// Renders `text` with the font file `font` (a name inside the fonts' folder
// the build checked, GLYPH_FONT_DIR) at `pixel_size` pixels to the em,
// antialiased, with `tracking` extra pixels between letters. Fatal when the
// font cannot be loaded.
GLYPH_Bitmap GLYPH_RenderText(const char* font, int pixel_size, const std::string& text,
                              int tracking);

// The outlines of `text` in font units scaled so that the capital height
// is `cap_height`, squeezed horizontally by `x_scale`, with `tracking`
// extra units between letters; the baseline is y = 0 and the pen starts at
// x = 0. Curves are flattened into short line segments.
std::vector<GLYPH_Contour> GLYPH_TextOutline(const char* font, const std::string& text,
                                             double cap_height, double x_scale, double tracking);

// Fills the region enclosed by `contours` (non-zero winding) with
// triangles, each given as three points running counter-clockwise.
std::vector<GLYPH_Point> GLYPH_Tessellate(const std::vector<GLYPH_Contour>& contours);
