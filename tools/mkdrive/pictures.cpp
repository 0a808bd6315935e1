// Picture generators: a small floating-point canvas with gradients,
// antialiased lines, discs and FreeType text, quantised to RGB bytes.
#include "tools/mkdrive/pictures.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>

#include "platform/fatal.h"
#include "tools/mkdrive/glyphs.h"
#include "tools/mkdrive/noise.h"

namespace {

struct Rgb {
    double r, g, b;
};

Rgb Mix(Rgb a, Rgb b, double t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

// A colour that varies over the canvas, given the pixel.
using Paint = std::function<Rgb(int x, int y)>;

Paint Solid(Rgb c) {
    return [c](int, int) { return c; };
}

// Vertical gradient from `top` at row y0 to `bottom` at row y1.
Paint Vertical(Rgb top, Rgb bottom, int y0, int y1) {
    return [=](int, int y) {
        return Mix(top, bottom, std::clamp(double(y - y0) / (y1 - y0), 0.0, 1.0));
    };
}

struct Canvas {
    int w, h;
    std::vector<Rgb> px;
};

Canvas PICT_Canvas(int w, int h, Rgb ground) { return {w, h, std::vector<Rgb>(w * h, ground)}; }

// Lays colour c over pixel (x, y) with opacity a; outside pixels are ignored.
void PICT_Blend(Canvas& cv, int x, int y, Rgb c, double a) {
    if (x < 0 || y < 0 || x >= cv.w || y >= cv.h || a <= 0) return;
    Rgb& p = cv.px[y * cv.w + x];
    p = Mix(p, c, std::min(a, 1.0));
}

// Paints every pixel of rows y0..y1 with `paint`.
void PICT_FillRows(Canvas& cv, int y0, int y1, const Paint& paint) {
    for (int y = std::max(y0, 0); y <= std::min(y1, cv.h - 1); ++y)
        for (int x = 0; x < cv.w; ++x) cv.px[y * cv.w + x] = paint(x, y);
}

// Paints a line of text: the ink box's left edge at column `left`, the
// baseline on row `baseline`. Text must keep a margin from the picture's
// edges: a caption cut off at its edge is a layout fault.
void PICT_Text(Canvas& cv, const GLYPH_Bitmap& bm, int left, int baseline, const Paint& paint) {
    int top = baseline - bm.baseline;
    if (left < 1 || top < 1 || left + bm.width > cv.w - 1 || top + bm.height > cv.h - 1)
        FATAL_Exit("PICT_Text: FATAL_ERROR: Text does not fit its picture.\n");
    for (int y = 0; y < bm.height; ++y)
        for (int x = 0; x < bm.width; ++x) {
            double a = bm.coverage[y * bm.width + x] / 255.0;
            PICT_Blend(cv, left + x, top + y, paint(left + x, top + y), a);
        }
}

// An antialiased line of the given width from (x0, y0) to (x1, y1).
void PICT_Line(Canvas& cv, double x0, double y0, double x1, double y1, double width, Rgb c,
               double alpha) {
    double dx = x1 - x0, dy = y1 - y0, len2 = dx * dx + dy * dy;
    int bx0 = int(std::floor(std::min(x0, x1) - width)),
        bx1 = int(std::ceil(std::max(x0, x1) + width));
    int by0 = int(std::floor(std::min(y0, y1) - width)),
        by1 = int(std::ceil(std::max(y0, y1) + width));
    for (int y = by0; y <= by1; ++y)
        for (int x = bx0; x <= bx1; ++x) {
            double px = x + 0.5, py = y + 0.5;
            double t =
                len2 > 0 ? std::clamp(((px - x0) * dx + (py - y0) * dy) / len2, 0.0, 1.0) : 0;
            double d = std::hypot(px - (x0 + t * dx), py - (y0 + t * dy));
            PICT_Blend(cv, x, y, c, alpha * std::clamp(width / 2 + 0.5 - d, 0.0, 1.0));
        }
}

// An antialiased disc; `keep` may exclude pixels (stripes cut into it).
void PICT_Disc(Canvas& cv, double cx, double cy, double r, const Paint& paint,
               const std::function<bool(int x, int y)>& keep) {
    for (int y = int(cy - r - 1); y <= int(cy + r + 1); ++y)
        for (int x = int(cx - r - 1); x <= int(cx + r + 1); ++x) {
            if (!keep(x, y)) continue;
            double d = std::hypot(x + 0.5 - cx, y + 0.5 - cy);
            PICT_Blend(cv, x, y, paint(x, y), std::clamp(r + 0.5 - d, 0.0, 1.0));
        }
}

// 4 x 4 ordered dither thresholds, in units of one level.
double PICT_Bayer(int x, int y) {
    static const int m[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
    return (m[y & 3][x & 3] + 0.5) / 16.0 - 0.5;
}

// Quantises the canvas to bytes; gradients are dithered, flat colours stay
// exact (a whole number plus a threshold below one half rounds back).
PICT_Entry PICT_Finish(const char* name, const Canvas& cv, int tile_w, int tile_h, bool dither) {
    PICT_Entry e{name, cv.w, cv.h, tile_w, tile_h, std::vector<uint8_t>(cv.w * cv.h * 3)};
    for (int y = 0; y < cv.h; ++y)
        for (int x = 0; x < cv.w; ++x) {
            const Rgb& p = cv.px[y * cv.w + x];
            double t = dither ? PICT_Bayer(x, y) * 0.999 : 0;
            double v[3] = {p.r, p.g, p.b};
            for (int c = 0; c < 3; ++c)
                e.rgb[(y * cv.w + x) * 3 + c] =
                    uint8_t(std::clamp(std::round(v[c] + t), 0.0, 255.0));
        }
    return e;
}

GLYPH_Bitmap Text(const char* font, int size, const char* text, int tracking = 0) {
    return GLYPH_RenderText(font, size, text, tracking);
}

constexpr const char* kSans = "DejaVuSans.ttf";
constexpr const char* kSansBold = "DejaVuSans-Bold.ttf";
constexpr const char* kSerifItalic = "DejaVuSerif-Italic.ttf";

// Grounds the pictures are shown on (the scenes' clear colours and bands).
constexpr Rgb kBlack{0, 0, 0};
constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kTMagicGround{76, 51, 26};   // clear colour (0.3, 0.2, 0.1), as Mesa rounds it
constexpr Rgb kZeltoGround{255, 115, 26};  // clear colour (1.0, 0.45, 0.1)

constexpr Rgb kAmberLight{255, 192, 64};
constexpr Rgb kAmberDeep{214, 104, 22};
constexpr Rgb kCream{255, 230, 178};

// ---------------------------------------------------------------------------

// The loading screen, 640 x 512 drawn from the window's lower-left corner
// (its top 32 rows lie above the window). The progress boxes sit over
// plain white at the top left; a title over a retro sun and a grid floor.
PICT_Entry PICT_Bootpic() {
    constexpr int kW = 640, kH = 512, kHorizon = 341, kCx = 320;
    Canvas cv = PICT_Canvas(kW, kH, kWhite);
    PICT_FillRows(cv, kHorizon, kH - 1, Vertical({255, 246, 228}, {255, 232, 200}, kHorizon, kH));
    // Floor grid: rows toward the horizon, rays from the vanishing point.
    Rgb line{236, 146, 52};
    for (int k = 2; 240.0 / k - 240.0 / (k + 1) >= 4; ++k) {
        double y = kHorizon + 240.0 / k;
        PICT_Line(cv, 0, y, kW, y, 1.4, line, std::min(1.0, (y - kHorizon) / 70.0));
    }
    for (int i = -14; i <= 14; ++i) {
        for (int s = 0; s < 24; ++s) {
            double a = 0.04 + s / 24.0, b = 0.04 + (s + 1) / 24.0;
            PICT_Line(cv, kCx + i * 70 * a, kHorizon + 171 * a, kCx + i * 70 * b,
                      kHorizon + 171 * b, 1.4, line, std::min(1.0, a * a * 5));
        }
    }
    // Sun on the horizon, with cuts widening toward its foot.
    auto cut = [&](int, int y) {
        if (y >= kHorizon) return false;
        int d = kHorizon - y;
        return d > 60 || (d % 14) >= std::max(2, 8 - d / 8);
    };
    PICT_Disc(cv, kCx, kHorizon, 112, Vertical({255, 204, 80}, {246, 108, 44}, 229, kHorizon), cut);
    GLYPH_Bitmap title = Text(kSansBold, 76, "amber_grid");
    PICT_Text(cv, title, kCx - title.width / 2, 205,
              Vertical({170, 84, 14}, {96, 42, 12}, 150, 222));
    GLYPH_Bitmap sub = Text(kSans, 17, "VElQ series 2  \xC2\xB7  qk", 1);
    PICT_Text(cv, sub, kCx - sub.width / 2, 496, Solid({150, 110, 80}));
    GLYPH_Bitmap loading = Text(kSerifItalic, 17, "loading");
    PICT_Text(cv, loading, 330, 79, Solid({140, 140, 140}));
    return PICT_Finish("bootpic", cv, 128, 128, true);
}

// "developed": in the Thornax scene's top band at (160, 408): two lines on
// black, the ring's orange for the name.
PICT_Entry PICT_Developed() {
    Canvas cv = PICT_Canvas(384, 64, kBlack);
    PICT_Text(cv, Text(kSerifItalic, 15, "developed by"), 10, 22, Solid({150, 150, 160}));
    PICT_Text(cv, Text(kSansBold, 24, "qk  \xC2\xB7  VElQ series 2"), 10, 52,
              Vertical({255, 170, 80}, {230, 120, 50}, 34, 52));
    return PICT_Finish("developed", cv, 128, 64, false);
}

// "amber": the title at (0, 208) in the Quibo scene, over the white panel
// that covers the window's left half.
PICT_Entry PICT_Amber() {
    Canvas cv = PICT_Canvas(320, 96, kWhite);
    GLYPH_Bitmap t = Text(kSansBold, 84, "amber", -2);
    PICT_Text(cv, t, 16, 48 + t.baseline - t.height / 2, Vertical(kAmberLight, kAmberDeep, 16, 82));
    return PICT_Finish("amber", cv, 64, 32, false);
}

// "grid": the second title word at (0, 8) in the Quibo scene's bottom
// band, with a row of squares running out to the right.
PICT_Entry PICT_Grid() {
    Canvas cv = PICT_Canvas(640, 64, kBlack);
    GLYPH_Bitmap t = Text(kSansBold, 44, "grid", 1);
    PICT_Text(cv, t, 18, 46, Solid(kCream));
    for (int col = 0; 30 + t.width + col * 18 + 12 < 624; ++col)
        for (int row = 0; row < 2; ++row) {
            double x = 30 + t.width + col * 18, y = 20 + row * 18;
            double a = 1.0 - col / 36.0;
            PICT_Line(cv, x, y, x + 12, y, 1.2, kAmberLight, a);
            PICT_Line(cv, x + 12, y, x + 12, y + 12, 1.2, kAmberLight, a);
            PICT_Line(cv, x + 12, y + 12, x, y + 12, 1.2, kAmberLight, a);
            PICT_Line(cv, x, y + 12, x, y, 1.2, kAmberLight, a);
        }
    return PICT_Finish("grid", cv, 128, 64, false);
}

// A one-line caption on black for a letterbox band.
PICT_Entry PICT_BandCaption(const char* name, const char* text, Rgb colour) {
    Canvas cv = PICT_Canvas(512, 64, kBlack);
    PICT_Text(cv, Text(kSerifItalic, 21, text), 8, 38, Solid(colour));
    return PICT_Finish(name, cv, 256, 64, false);
}

// "sky1": a dusk sky, shown four times its size as the Tree scene's two
// backdrops standing on the water; its bottom row is the horizon.
PICT_Entry PICT_Sky1() {
    constexpr int kS = 256;
    Canvas cv = PICT_Canvas(kS, kS, kBlack);
    const std::vector<std::pair<int, Rgb>> stops = {{0, {22, 18, 58}},      {90, {66, 40, 108}},
                                                    {160, {168, 70, 120}},  {212, {246, 126, 82}},
                                                    {244, {255, 180, 102}}, {255, {255, 208, 132}}};
    for (int y = 0; y < kS; ++y) {
        size_t i = 1;
        while (stops[i].first < y) ++i;
        double t = double(y - stops[i - 1].first) / (stops[i].first - stops[i - 1].first);
        Rgb sky = Mix(stops[i - 1].second, stops[i].second, t);
        for (int x = 0; x < kS; ++x) {
            Rgb p = sky;
            // Long thin clouds, lit rose from below near the horizon.
            double n = NOISE_Fractal(x / 70.0, y / 5.0, 0.5, 4, 7);
            double band =
                std::clamp((y - 100) / 60.0, 0.0, 1.0) * std::clamp((246 - y) / 20.0, 0.0, 1.0);
            double d = std::clamp((n - 0.05) * 2.8, 0.0, 1.0) * band;
            Rgb cloud =
                Mix({120, 64, 128}, {255, 150, 128}, std::clamp((y - 130) / 100.0, 0.0, 1.0));
            p = Mix(p, cloud, d * 0.85);
            // A few faint stars high up.
            double s = NOISE_Hash(x, y, 0, 8);
            if (y < 100 && s > 0.9965)
                p = Mix(p, {255, 245, 230}, (1 - y / 100.0) * (s - 0.9965) / 0.0035);
            cv.px[y * kS + x] = p;
        }
    }
    return PICT_Finish("sky1", cv, 256, 256, true);
}

// A short caption just above a scene's bottom bar, on that scene's ground.
PICT_Entry PICT_SmallCaption(const char* name, const char* text, int width, Rgb ground,
                             Rgb colour) {
    Canvas cv = PICT_Canvas(width, 32, ground);
    PICT_Text(cv, Text(kSansBold, 19, text, 1), 4, 23, Solid(colour));
    return PICT_Finish(name, cv, width, 32, false);
}

// "zelto": the closing picture at (64, 120) on the orange ground: a
// striped sun setting behind the island and its tree, and the title.
PICT_Entry PICT_Zelto() {
    constexpr int kW = 512, kH = 256, kCx = 256, kSunY = 112, kHorizon = 168;
    Canvas cv = PICT_Canvas(kW, kH, kZeltoGround);
    auto cut = [&](int, int y) {
        int d = y - kSunY;
        return d < 8 || (d % 12) >= std::min(7, 2 + d / 12);
    };
    PICT_Disc(cv, kCx, kSunY, 80, Vertical({255, 222, 100}, {255, 158, 48}, 32, 192), cut);
    Rgb dark{44, 16, 6};
    // The island: a low mound on the horizon, the tree rising into the sun.
    for (int y = 140; y <= kHorizon; ++y)
        for (int x = 120; x < 392; ++x) {
            double u = (x + 0.5 - kCx) / 136.0,
                   top = kHorizon - 18 * std::sqrt(std::max(0.0, 1 - u * u));
            PICT_Blend(cv, x, y, dark, std::clamp(y + 0.5 - top, 0.0, 1.0));
        }
    PICT_Line(cv, kCx + 10, kHorizon - 14, kCx + 6, 110, 7, dark, 1);
    PICT_Line(cv, kCx + 7, 132, kCx + 26, 112, 3, dark, 1);
    PICT_Line(cv, kCx + 7, 126, kCx - 14, 106, 3, dark, 1);
    const double blobs[][3] = {
        {6, 86, 30}, {-20, 98, 20}, {30, 96, 20}, {-4, 66, 20}, {22, 72, 16}};
    for (auto& b : blobs)
        PICT_Disc(cv, kCx + b[0], b[1], b[2], Solid(dark), [](int, int) { return true; });
    // Ripples under the island.
    for (int k = 0; k < 4; ++k) {
        double half = 120 - k * 26, y = kHorizon + 6 + k * 6;
        PICT_Line(cv, kCx - half, y, kCx + half, y, 2, dark, 0.8 - k * 0.15);
    }
    GLYPH_Bitmap title = Text(kSansBold, 38, "amber_grid");
    PICT_Text(cv, title, kCx - title.width / 2, 224, Solid(dark));
    GLYPH_Bitmap sub =
        Text(kSans, 13, "VElQ series 2  \xC2\xB7  qk  \xC2\xB7  thanks for watching", 1);
    PICT_Text(cv, sub, kCx - sub.width / 2, 244, Solid({90, 34, 10}));
    return PICT_Finish("zelto", cv, 256, 256, false);
}

}  // namespace

std::vector<PICT_Entry> PICT_BuildAll() {
    return {
        PICT_Bootpic(),
        PICT_Developed(),
        PICT_Amber(),
        PICT_Grid(),
        PICT_BandCaption("ex_hb", "ex hb  \xE2\x80\x94  a grey angel turning in white light",
                         {215, 215, 222}),
        PICT_BandCaption("shl", "shl  \xC2\xB7  an island at dusk, the sky in the water",
                         {255, 172, 112}),
        PICT_Sky1(),
        PICT_SmallCaption("tmagic", "tmagic", 128, kTMagicGround, {255, 206, 236}),
        PICT_SmallCaption("lans", "lans", 64, kBlack, {236, 202, 72}),
        PICT_Zelto(),
    };
}
