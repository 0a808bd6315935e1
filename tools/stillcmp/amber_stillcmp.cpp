// amber_stillcmp: whether a still of the production, drawn another way
// (through our own GL layer, in a browser), shows what the reference still
// drawn by the system's OpenGL shows. Renderers may round a colour or an
// edge pixel differently, so most pixels must lie close to the reference;
// the letterbox bars are flat and must match exactly. A picture of a whole
// screen is compared where the program shows the still on it: scaled to the
// screen's height or width and centred, on black.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "media/png_read.h"
#include "platform/fit.h"
#include "scenes/vis_draw.h"
#include "tools/tool_args.h"

namespace {

constexpr int kTolerance = 8;         // of 255, in every channel
constexpr double kCloseShare = 0.98;  // of the pixels
constexpr int kWindowRows = 480;
// A screen's picture, scaled back down, may differ by this much on average
// (of 255, a channel), and its bars' pixels reach no further than kDark.
constexpr double kScreenMeanTolerance = 5.0;
constexpr int kDark = 16;
// Exit statuses besides 0 (the same) and the usage's.
constexpr int kDifferent = 1;
constexpr int kUnreadable = 2;
constexpr const char* kUsage =
    "usage: amber_stillcmp REFERENCE.png PICTURE.png\n"
    "Passes (status 0) when at least 98% of the pixels lie within 8/255 of\n"
    "the reference, and the letterbox bars, where the reference shows them,\n"
    "match exactly; status 1 when not, 2 when a file cannot be read.\n"
    "A PICTURE larger than 640 x 480 is a whole screen: the reference,\n"
    "scaled to the screen's height or width and centred, must lie within\n"
    "5/255 on average, and the screen outside it must be black.\n";

MEDIA_Picture Read(const char* path) {
    MEDIA_Picture picture;
    if (!MEDIA_ReadPng(path, &picture)) TOOL_ARGS_Error(std::string("cannot read ") + path, kUnreadable);
    return picture;
}

const uint8_t* Pixel(const MEDIA_Picture& p, int x, int y) {
    return &p.rgb[3 * (static_cast<size_t>(y) * p.width + x)];
}

// Rows from top to bottom: whether the reference shows one flat colour
// there, as a bar does.
bool Flat(const MEDIA_Picture& p, int top, int bottom) {
    for (int y = top; y < bottom; ++y)
        for (int x = 0; x < p.width; ++x)
            if (std::memcmp(Pixel(p, x, y), Pixel(p, 0, top), 3) != 0) return false;
    return true;
}

// How many pixels of the rows differ at all.
long Differing(const MEDIA_Picture& a, const MEDIA_Picture& b, int top, int bottom) {
    long n = 0;
    for (int y = top; y < bottom; ++y)
        for (int x = 0; x < a.width; ++x) n += std::memcmp(Pixel(a, x, y), Pixel(b, x, y), 3) != 0;
    return n;
}

long Close(const MEDIA_Picture& a, const MEDIA_Picture& b) {
    long n = 0;
    for (size_t i = 0; i < a.rgb.size(); i += 3) {
        bool close = true;
        for (int c = 0; c < 3; ++c)
            close = close && std::abs(a.rgb[i + c] - b.rgb[i + c]) <= kTolerance;
        n += close;
    }
    return n;
}

// The mean difference, out of 255 a channel, between the reference and the
// screen's rectangle at (x0, y0), w x h, averaged down to the reference's
// size.
double MeanDifference(const MEDIA_Picture& ref, const MEDIA_Picture& screen, int x0, int y0, int w,
                      int h) {
    double sum = 0;
    for (int y = 0; y < ref.height; ++y)
        for (int x = 0; x < ref.width; ++x) {
            const int sx0 = x0 + x * w / ref.width, sx1 = x0 + (x + 1) * w / ref.width;
            const int sy0 = y0 + y * h / ref.height, sy1 = y0 + (y + 1) * h / ref.height;
            for (int c = 0; c < 3; ++c) {
                double area = 0;
                for (int sy = sy0; sy < sy1; ++sy)
                    for (int sx = sx0; sx < sx1; ++sx) area += Pixel(screen, sx, sy)[c];
                area /= (sx1 - sx0) * (sy1 - sy0);
                sum += std::abs(area - Pixel(ref, x, y)[c]);
            }
        }
    return sum / (3.0 * ref.width * ref.height);
}

// Screen pixels outside the rectangle at (x0, y0), w x h, that are not black.
long LitOutside(const MEDIA_Picture& screen, int x0, int y0, int w, int h) {
    long lit = 0;
    for (int y = 0; y < screen.height; ++y)
        for (int x = 0; x < screen.width; ++x) {
            if (x >= x0 && x < x0 + w && y >= y0 && y < y0 + h) continue;
            const uint8_t* p = Pixel(screen, x, y);
            lit += std::max({p[0], p[1], p[2]}) >= kDark;
        }
    return lit;
}

int CompareScreen(const MEDIA_Picture& ref, const MEDIA_Picture& screen, const char* path) {
    const FIT_Rect at = FIT_Centred(ref.width, ref.height, screen.width, screen.height);
    const double mean = MeanDifference(ref, screen, at.x, at.y, at.w, at.h);
    const long lit = LitOutside(screen, at.x, at.y, at.w, at.h);
    const bool pass = mean < kScreenMeanTolerance && lit == 0;
    std::printf(
        "%s: the picture at %d,%d %dx%d within %.2f/255 on average; %ld pixels lit outside: %s\n",
        path, at.x, at.y, at.w, at.h, mean, lit, pass ? "same" : "DIFFERENT");
    return pass ? 0 : kDifferent;
}

}  // namespace

int main(int argc, char* argv[]) {
    TOOL_ARGS_Operands(argc, argv, 2, kUsage);
    const MEDIA_Picture ref = Read(argv[1]);
    const MEDIA_Picture pic = Read(argv[2]);
    if (ref.height == kWindowRows && pic.width >= ref.width && pic.height >= ref.height &&
        (pic.width > ref.width || pic.height > ref.height))
        return CompareScreen(ref, pic, argv[2]);
    if (ref.width != pic.width || ref.height != pic.height || ref.height != kWindowRows) {
        std::fprintf(stderr, "amber_stillcmp: the pictures are not both 640 x 480\n");
        return kDifferent;
    }
    const double share = double(Close(ref, pic)) / (ref.width * ref.height);
    long bar_misses = 0;
    int bars = 0;
    for (int top : {0, kWindowRows - VIS_BAR_ROWS}) {
        if (!Flat(ref, top, top + VIS_BAR_ROWS)) continue;
        ++bars;
        bar_misses += Differing(ref, pic, top, top + VIS_BAR_ROWS);
    }
    const bool pass = share >= kCloseShare && bar_misses == 0;
    std::printf("%s: %.2f%% of pixels within %d/255; %d bars, %ld bar pixels differ: %s\n", argv[2],
                100 * share, kTolerance, bars, bar_misses, pass ? "same" : "DIFFERENT");
    return pass ? 0 : kDifferent;
}
