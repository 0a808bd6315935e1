// Mesh generators. Shapes are built from closed shells (surfaces of
// revolution, tubes along curves, displaced icospheres, extruded outlines)
// whose corners are computed once and shared exactly, so every shell is
// watertight; the flat glyphs come from the DejaVu outlines.
#include "tools/mkdrive/meshes.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <functional>
#include <iterator>
#include <map>

#include "tools/mkdrive/glyphs.h"
#include "tools/mkdrive/noise.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

struct V3 {
    double x, y, z;
};

V3 operator+(V3 a, V3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
V3 operator-(V3 a, V3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
V3 operator*(V3 a, double s) { return {a.x * s, a.y * s, a.z * s}; }
double Dot(V3 a, V3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
V3 Cross(V3 a, V3 b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
V3 Unit(V3 a) { return a * (1.0 / std::sqrt(Dot(a, a))); }

// Turns p about the x axis (y toward z) by angle a.
V3 RotX(V3 p, double a) {
    return {p.x, p.y * std::cos(a) - p.z * std::sin(a), p.y * std::sin(a) + p.z * std::cos(a)};
}

using Tris = std::vector<float>;
using Ring = std::vector<V3>;

// Appends triangle a, b, c; triangles with two equal corners (the poles of
// a shell) are left out. Adding 0 turns -0 into +0, so equal corners are
// equal bit for bit.
void MESH_Tri(Tris& out, V3 a, V3 b, V3 c) {
    std::array<float, 9> f = {float(a.x + 0.0), float(a.y + 0.0), float(a.z + 0.0),
                              float(b.x + 0.0), float(b.y + 0.0), float(b.z + 0.0),
                              float(c.x + 0.0), float(c.y + 0.0), float(c.z + 0.0)};
    auto same = [&](int i, int j) {
        return f[i] == f[j] && f[i + 1] == f[j + 1] && f[i + 2] == f[j + 2];
    };
    if (same(0, 3) || same(3, 6) || same(0, 6)) return;
    out.insert(out.end(), f.begin(), f.end());
}

// Quad a, b, c, d (counter-clockwise from outside) as two triangles.
void MESH_Quad(Tris& out, V3 a, V3 b, V3 c, V3 d) {
    MESH_Tri(out, a, b, c);
    MESH_Tri(out, a, c, d);
}

// Joins consecutive rings of equally many points with quads: ring i+1
// lies ahead of ring i along direction t, and each ring runs from its
// direction n toward b = t x n, so the quads face along n, outward. A ring
// whose points coincide closes the shell there. `loop` joins the last ring
// back to the first.
void MESH_Rings(Tris& out, const std::vector<Ring>& rings, bool loop) {
    size_t n = rings.size(), m = rings[0].size();
    for (size_t i = 0; i + 1 < n + (loop ? 1 : 0); ++i) {
        const Ring& a = rings[i];
        const Ring& b = rings[(i + 1) % n];
        for (size_t j = 0; j < m; ++j) {
            size_t k = (j + 1) % m;
            MESH_Quad(out, a[j], a[k], b[k], b[j]);
        }
    }
}

// Cylindrical placement: (rho, h, theta) to a point of space. The angle
// must grow from a reference direction r toward axis x r (for the y axis:
// from +x toward -z), or the revolved faces turn inward.
using Place = std::function<V3(double rho, double h, double theta)>;

V3 MESH_AboutZ(double rho, double h, double th) {
    return {rho * std::cos(th), rho * std::sin(th), h};
}

struct P2 {
    double rho, h;
};

// Surface of revolution of `profile`, a path in the (rho, h) half-plane
// with the solid on its left (counter-clockwise around a cross-section);
// a profile that starts and ends on the axis closes itself. `shape`
// may vary the radius with the angle (folds, noise) before placement.
void MESH_Revolve(Tris& out, const std::vector<P2>& profile, bool loop, int segments,
                  const Place& place,
                  const std::function<double(size_t k, double theta)>& shape = nullptr) {
    std::vector<Ring> rings;
    for (size_t k = 0; k < profile.size(); ++k) {
        Ring ring;
        for (int j = 0; j < segments; ++j) {
            double th = 2 * kPi * j / segments;
            double rho = profile[k].rho * (shape && profile[k].rho > 0 ? shape(k, th) : 1.0);
            ring.push_back(place(rho, profile[k].h, th));
        }
        rings.push_back(ring);
    }
    MESH_Rings(out, rings, loop);
}

// A tube of circular section along `path`, radius radius[i] at point i,
// with frames carried along the curve without twisting. A closed path
// spreads the leftover twist evenly; an open one is capped at both ends.
void MESH_Tube(Tris& out, const std::vector<V3>& path, const std::vector<double>& radius,
               bool closed, int sides) {
    size_t n = path.size();
    std::vector<V3> t(n), nrm(n);
    for (size_t i = 0; i < n; ++i) {
        V3 ahead = closed || i + 1 < n ? path[(i + 1) % n] : path[i];
        V3 behind = closed || i > 0 ? path[(i + n - 1) % n] : path[i];
        t[i] = Unit(ahead - behind);
    }
    V3 seed = std::fabs(t[0].y) < 0.9 ? V3{0, 1, 0} : V3{1, 0, 0};
    nrm[0] = Unit(seed - t[0] * Dot(seed, t[0]));
    for (size_t i = 1; i < n; ++i) nrm[i] = Unit(nrm[i - 1] - t[i] * Dot(nrm[i - 1], t[i]));
    double twist = 0;
    if (closed) {
        V3 end = Unit(nrm[n - 1] - t[0] * Dot(nrm[n - 1], t[0]));
        twist = std::atan2(Dot(Cross(end, nrm[0]), t[0]), Dot(end, nrm[0]));
    }
    std::vector<Ring> rings;
    if (!closed) rings.push_back(Ring(sides, path[0]));
    for (size_t i = 0; i < n; ++i) {
        V3 b = Cross(t[i], nrm[i]);
        double turn = twist * double(i) / double(n);
        Ring ring;
        for (int j = 0; j < sides; ++j) {
            double phi = 2 * kPi * j / sides + turn;
            ring.push_back(path[i] + (nrm[i] * std::cos(phi) + b * std::sin(phi)) * radius[i]);
        }
        rings.push_back(ring);
    }
    if (!closed) rings.push_back(Ring(sides, path[n - 1]));
    MESH_Rings(out, rings, closed);
}

// A unit icosphere: the icosahedron split `levels` times, corners pushed
// out to the sphere; midpoints are shared through a cache.
struct Indexed {
    std::vector<V3> v;
    std::vector<std::array<int, 3>> f;
};

Indexed MESH_Icosphere(int levels) {
    const double g = (1 + std::sqrt(5.0)) / 2;
    Indexed m;
    m.v = {{-1, g, 0},  {1, g, 0},  {-1, -g, 0}, {1, -g, 0}, {0, -1, g},  {0, 1, g},
           {0, -1, -g}, {0, 1, -g}, {g, 0, -1},  {g, 0, 1},  {-g, 0, -1}, {-g, 0, 1}};
    for (V3& p : m.v) p = Unit(p);
    m.f = {{0, 11, 5},  {0, 5, 1},  {0, 1, 7},  {0, 7, 10}, {0, 10, 11}, {1, 5, 9}, {5, 11, 4},
           {11, 10, 2}, {10, 7, 6}, {7, 1, 8},  {3, 9, 4},  {3, 4, 2},   {3, 2, 6}, {3, 6, 8},
           {3, 8, 9},   {4, 9, 5},  {2, 4, 11}, {6, 2, 10}, {8, 6, 7},   {9, 8, 1}};
    for (int l = 0; l < levels; ++l) {
        std::map<std::pair<int, int>, int> mid;
        auto midpoint = [&](int a, int b) {
            auto key = std::minmax(a, b);
            auto it = mid.find(key);
            if (it != mid.end()) return it->second;
            m.v.push_back(Unit((m.v[a] + m.v[b]) * 0.5));
            return mid[key] = int(m.v.size() - 1);
        };
        std::vector<std::array<int, 3>> next;
        for (auto [a, b, c] : m.f) {
            int ab = midpoint(a, b), bc = midpoint(b, c), ca = midpoint(c, a);
            next.insert(next.end(), {{a, ab, ca}, {b, bc, ab}, {c, ca, bc}, {ab, bc, ca}});
        }
        m.f = next;
    }
    return m;
}

// A lumpy ball: icosphere corners scaled by `size` per axis and pushed in
// or out by noise of relative strength `bumps`.
void MESH_Blob(Tris& out, V3 centre, V3 size, int levels, double bumps, uint32_t seed) {
    Indexed m = MESH_Icosphere(levels);
    std::vector<V3> p;
    for (V3 u : m.v) {
        double k =
            1 + bumps * NOISE_Value(u.x * 1.7 + 11.3, u.y * 1.7 + 5.1, u.z * 1.7 + 7.7, seed);
        p.push_back(centre + V3{u.x * size.x, u.y * size.y, u.z * size.z} * k);
    }
    for (auto [a, b, c] : m.f) MESH_Tri(out, p[a], p[b], p[c]);
}

// A slab: the outline (counter-clockwise in its plane) filled on both faces
// and joined by side walls. place(point, +1) gives the front face,
// place(point, -1) the back face.
void MESH_Slab(Tris& out, const GLYPH_Contour& outline,
               const std::function<V3(GLYPH_Point, double)>& place) {
    std::vector<GLYPH_Point> tris = GLYPH_Tessellate({outline});
    for (size_t i = 0; i + 2 < tris.size(); i += 3) {
        MESH_Tri(out, place(tris[i], 1), place(tris[i + 1], 1), place(tris[i + 2], 1));
        MESH_Tri(out, place(tris[i], -1), place(tris[i + 2], -1), place(tris[i + 1], -1));
    }
    for (size_t k = 0; k < outline.size(); ++k) {
        GLYPH_Point p = outline[k], q = outline[(k + 1) % outline.size()];
        MESH_Quad(out, place(p, 1), place(p, -1), place(q, -1), place(q, 1));
    }
}

// The mirror image of `in` across the plane x = 0, wound so that it still
// faces outward.
Tris MESH_MirrorX(const Tris& in) {
    Tris out;
    for (size_t i = 0; i + 8 < in.size(); i += 9) {
        const float* t = &in[i];
        out.insert(out.end(),
                   {-t[0] + 0.0f, t[1], t[2], -t[6] + 0.0f, t[7], t[8], -t[3] + 0.0f, t[4], t[5]});
    }
    return out;
}

void MESH_Append(Tris& out, const Tris& more) { out.insert(out.end(), more.begin(), more.end()); }

// ---------------------------------------------------------------------------
// Thornax: the glyph row and the sliding knot.

constexpr const char* kGlyphFont = "DejaVuSansCondensed-Bold.ttf";
constexpr double kGlyphCap = 62;       // cap height, matching the row's slanted stroke
constexpr double kGlyphBase = -32;     // baseline, the stroke's lower end
constexpr double kGlyphWidth = 32;     // each single glyph within its 40-unit pitch
constexpr double kGlyphSqueeze = 0.6;  // the row's narrow display letters
constexpr double kGlyphZ = -0.5;       // in front of everything in the unit depth range

// Flat letters of `text` at the row's height, facing +z; x_scale squeezes
// them, `tracking` spreads them, and the ink box is shifted to start at
// `left` (or centred on 0 when `centre`).
Tris MESH_Letters(const std::string& text, double x_scale, double tracking, double left,
                  bool centre) {
    std::vector<GLYPH_Contour> outline =
        GLYPH_TextOutline(kGlyphFont, text, kGlyphCap, x_scale, tracking);
    double x0 = 1e9, x1 = -1e9;
    for (const GLYPH_Contour& c : outline)
        for (const GLYPH_Point& p : c) x0 = std::min(x0, p.x), x1 = std::max(x1, p.x);
    double shift = centre ? -(x0 + x1) / 2 : left - x0;
    std::vector<GLYPH_Point> flat = GLYPH_Tessellate(outline);
    Tris out;
    for (size_t i = 0; i + 2 < flat.size(); i += 3) {
        auto at = [&](const GLYPH_Point& p) { return V3{p.x + shift, p.y + kGlyphBase, kGlyphZ}; };
        MESH_Tri(out, at(flat[i]), at(flat[i + 1]), at(flat[i + 2]));
    }
    return out;
}

// Width of `text` at squeeze x_scale and no tracking.
double MESH_LetterWidth(const std::string& text, double x_scale) {
    double x0 = 1e9, x1 = -1e9;
    for (const GLYPH_Contour& c : GLYPH_TextOutline(kGlyphFont, text, kGlyphCap, x_scale, 0))
        for (const GLYPH_Point& p : c) x0 = std::min(x0, p.x), x1 = std::max(x1, p.x);
    return x1 - x0;
}

// One glyph of the row, centred on its origin and no wider than its pitch.
Tris MESH_RowGlyph(const std::string& letter) {
    double squeeze = std::min(
        kGlyphSqueeze, kGlyphSqueeze * kGlyphWidth / MESH_LetterWidth(letter, kGlyphSqueeze));
    return MESH_Letters(letter, squeeze, 0, 0, true);
}

// The word at the end of the row: drawn 360 units right of the stroke, it
// spreads back to just past the stroke and ends short of the window edge.
constexpr double kWordLeft = -290;
constexpr double kWordRight = 110;

Tris MESH_RowWord(const std::string& word) {
    double natural = MESH_LetterWidth(word, kGlyphSqueeze);
    double tracking = (kWordRight - kWordLeft - natural) / double(word.size() - 1);
    return MESH_Letters(word, kGlyphSqueeze, tracking, kWordLeft, false);
}

// A trefoil knot tube about 80 units across, tilted to show its depth; one
// step along it is about two pixels on screen.
Tris MESH_Foremka() {
    constexpr int kSteps = 160, kSides = 12;
    constexpr double kScale = 11, kTube = 6.5, kTilt = 0.35;
    std::vector<V3> path;
    for (int i = 0; i < kSteps; ++i) {
        double s = 2 * kPi * i / kSteps;
        V3 p{std::sin(s) + 2 * std::sin(2 * s), std::cos(s) - 2 * std::cos(2 * s),
             -std::sin(3 * s)};
        path.push_back(RotX(p * kScale, kTilt));
    }
    Tris out;
    MESH_Tube(out, path, std::vector<double>(kSteps, kTube), true, kSides);
    return out;
}

// ---------------------------------------------------------------------------
// Angel: a robed figure with wings and a halo, about 560 units tall. It
// stands about 180 pixels tall in the band, a third of a pixel per unit, so
// its parts get no finer than a viewer can see: every triangle is drawn
// twice a frame, for the glow and for the band.

// The robe from hem to neck, with folds that deepen toward the hem.
void MESH_Robe(Tris& out) {
    std::vector<P2> profile = {{0, -270},  {116, -270}, {113, -250}, {100, -210},
                               {88, -165}, {76, -120},  {64, -75},   {54, -35},
                               {48, 0},    {50, 35},    {56, 58},    {50, 74},
                               {34, 86},   {16, 94},    {12, 104},   {0, 104}};
    auto folds = [&](size_t k, double th) {
        double depth = std::max(0.0, (-profile[k].h - 20) / 250.0);
        return 1 + 0.07 * depth * std::sin(9 * th + 0.4);
    };
    auto flat = [](double rho, double h, double th) {
        return V3{rho * std::cos(th), h, -0.72 * rho * std::sin(th)};
    };
    MESH_Revolve(out, profile, false, 40, flat, folds);
}

// Sleeves from the shoulders to hands folded in front of the chest.
void MESH_Arms(Tris& out) {
    for (int side = -1; side <= 1; side += 2) {
        std::vector<V3> path;
        std::vector<double> radius;
        constexpr int kSteps = 14;
        for (int i = 0; i <= kSteps; ++i) {
            double s = double(i) / kSteps;
            V3 a{side * 50.0, 52, -4}, c{side * 52.0, -10, 20}, b{side * 9.0, 8, 42};
            V3 p = a * ((1 - s) * (1 - s)) + c * (2 * s * (1 - s)) + b * (s * s);
            path.push_back(p);
            radius.push_back(15 - 6 * s);
        }
        MESH_Tube(out, path, radius, false, 8);
    }
    MESH_Blob(out, {0, 14, 46}, {13, 18, 9}, 1, 0.0, 1);
}

// A feather's outline along +x: a narrow quill end, the vane widest past
// the middle, a rounded tip; the lower vane wider than the upper one.
// Counter-clockwise: out along the lower edge, back along the upper.
GLYPH_Contour MESH_FeatherOutline(double length, double width) {
    const double steps[] = {0, 0.3, 0.6, 0.8, 0.94};
    auto half = [&](double s) {
        if (s < 0.6) return width / 2 * (0.3 + 0.7 * std::sin(kPi / 2 * s / 0.6));
        return width / 2 * std::sqrt(1 - std::pow((s - 0.6) / 0.4, 2));
    };
    GLYPH_Contour c;
    for (double s : steps) c.push_back({s * length, -half(s)});
    c.push_back({length, 0});
    for (int i = int(std::size(steps)) - 1; i >= 0; --i)
        c.push_back({steps[i] * length, 0.6 * half(steps[i])});
    return c;
}

// The plane of the right wing: spanwise u swept back from +x by kSweep,
// v upward; its normal faces the viewer's side.
constexpr double kWingSweep = 0.45;
constexpr V3 kWingRoot{22, 10, -28};
const V3 kWingU{std::cos(kWingSweep), 0, -std::sin(kWingSweep)};
const V3 kWingV{0, 1, 0};
const V3 kWingN = Cross(kWingU, kWingV);

// A point of the wing's upper edge (its "arm"), t from shoulder to tip.
GLYPH_Point MESH_WingArm(double t) {
    const GLYPH_Point a{0, 40}, b{60, 200}, c{150, 212};
    double u = 1 - t;
    return {u * u * a.x + 2 * u * t * b.x + t * t * c.x,
            u * u * a.y + 2 * u * t * b.y + t * t * c.y};
}

// One row of feathers hanging from the arm between t0 and t1, pointing at
// angles a0 to a1 (radians from the span toward up), lengths l0 to l1,
// lifted `layer` units toward the viewer so later rows overlap earlier ones.
struct FeatherRow {
    int count;
    double t0, t1, a0, a1, l0, l1, width, layer;
};

void MESH_FeatherRow(Tris& out, const FeatherRow& r) {
    constexpr double kThickness = 3, kCurl = 10;
    for (int i = 0; i < r.count; ++i) {
        double f = r.count > 1 ? double(i) / (r.count - 1) : 0;
        GLYPH_Point at = MESH_WingArm(r.t0 + (r.t1 - r.t0) * f);
        double angle = r.a0 + (r.a1 - r.a0) * f, length = r.l0 + (r.l1 - r.l0) * f;
        V3 base = kWingRoot + kWingU * at.x + kWingV * at.y + kWingN * (r.layer + 0.3 * i);
        V3 d = kWingU * std::cos(angle) + kWingV * std::sin(angle);
        V3 across = Cross(kWingN, d);
        auto place = [&](GLYPH_Point p, double side) {
            double bend = kCurl * (p.x / length) * (p.x / length);
            return base + d * p.x + across * p.y + kWingN * (side * kThickness / 2 - bend);
        };
        MESH_Slab(out, MESH_FeatherOutline(length, r.width), place);
    }
}

// Two wings of overlapping feathers on an arm, built for the right side
// and mirrored for the left.
void MESH_Wings(Tris& out) {
    constexpr double kDeg = kPi / 180;
    Tris right;
    MESH_FeatherRow(right, {9, 0.04, 0.66, -100 * kDeg, -72 * kDeg, 205, 225, 30, 0});
    MESH_FeatherRow(right, {8, 0.7, 1.0, -62 * kDeg, 2 * kDeg, 185, 130, 28, 1});
    MESH_FeatherRow(right, {10, 0.04, 0.96, -95 * kDeg, -40 * kDeg, 112, 84, 26, 5});
    MESH_FeatherRow(right, {8, 0.08, 0.9, -92 * kDeg, -50 * kDeg, 58, 50, 22, 9});
    std::vector<V3> arm;
    std::vector<double> radius;
    for (int i = 0; i <= 16; ++i) {
        GLYPH_Point p = MESH_WingArm(i / 16.0);
        arm.push_back(kWingRoot + kWingU * p.x + kWingV * p.y + kWingN * 8);
        radius.push_back(8 - 4 * i / 16.0);
    }
    MESH_Tube(right, arm, radius, false, 6);
    MESH_Append(out, right);
    MESH_Append(out, MESH_MirrorX(right));
}

Tris MESH_Aniooteq() {
    Tris out;
    MESH_Robe(out);
    MESH_Arms(out);
    MESH_Blob(out, {0, 138, 6}, {30, 34, 30}, 2, 0.0, 2);  // head
    // The halo: a thin torus above the head, tipped back a little.
    constexpr int kRing = 32;
    std::vector<V3> path;
    for (int i = 0; i < kRing; ++i) {
        double s = 2 * kPi * i / kRing;
        path.push_back(V3{0, 196, -8} + RotX(V3{44 * std::cos(s), 0, -44 * std::sin(s)}, -0.35));
    }
    MESH_Tube(out, path, std::vector<double>(kRing, 4.5), true, 6);
    MESH_Wings(out);
    return out;
}

// ---------------------------------------------------------------------------
// Tree: an island at the water level (y = -40) with a tree near (0, *, 340),
// faceted on purpose.

constexpr double kTreeX = 0, kTreeZ = 340;

Tris MESH_Wsypa() {
    Tris out;
    // Island: a low mound whose rim dips below the water, flat underneath.
    std::vector<P2> profile = {{0, -62},   {1.0, -62}, {1.04, -50}, {0.92, -43}, {0.78, -36},
                               {0.6, -30}, {0.4, -25}, {0.2, -22},  {0, -21}};
    auto noise = [&](size_t k, double th) {
        V3 dir{std::cos(th), 0, std::sin(th)};
        double n = NOISE_Value(dir.x * 2.2 + 3.1, k * 0.37, dir.z * 2.2 + 1.7, 31);
        return 1 + 0.14 * n;
    };
    auto place = [](double rho, double h, double th) {
        return V3{kTreeX + 215 * rho * std::cos(th), h, kTreeZ - 10 - 150 * rho * std::sin(th)};
    };
    MESH_Revolve(out, profile, false, 28, place, noise);
    // Rocks breaking the water around it.
    MESH_Blob(out, {-168, -42, 250}, {20, 14, 18}, 1, 0.25, 32);
    MESH_Blob(out, {178, -44, 410}, {26, 18, 22}, 1, 0.25, 33);
    MESH_Blob(out, {140, -43, 232}, {12, 9, 11}, 1, 0.25, 34);
    MESH_Blob(out, {-120, -45, 445}, {16, 10, 14}, 1, 0.25, 35);
    return out;
}

// The trunk, rooted below the ground and leaning a little.
Tris MESH_Pien1() {
    std::vector<P2> profile = {{0, -55}, {20, -55}, {19, -34}, {14, -22}, {11.5, 0},
                               {10, 30}, {9, 60},   {7.5, 90}, {6, 112},  {0, 116}};
    auto place = [](double rho, double h, double th) {
        double lean = 7 * std::sin((h + 55) * 0.018);
        return V3{kTreeX + lean + rho * std::cos(th), h, kTreeZ - rho * std::sin(th)};
    };
    Tris out;
    MESH_Revolve(out, profile, false, 9, place);
    return out;
}

struct Branch {
    V3 from, bend, to;
    double r0, r1;
};

constexpr V3 kTreeTop{kTreeX, 0, kTreeZ};

const Branch kBranches[] = {
    {{3, 55, 0}, {40, 80, 10}, {70, 118, 18}, 6.0, 2.5},
    {{4, 70, 0}, {-30, 95, -10}, {-62, 120, -24}, 5.5, 2.5},
    {{2, 82, 0}, {10, 110, 35}, {20, 138, 58}, 5.0, 2.2},
    {{3, 88, 0}, {-8, 115, -35}, {-14, 140, -60}, 5.0, 2.2},
    {{5, 96, 0}, {20, 130, -5}, {24, 168, -10}, 4.5, 2.0},
};

// Branches from the trunk into the crown clusters.
Tris MESH_Pien2() {
    Tris out;
    for (const Branch& b : kBranches) {
        std::vector<V3> path;
        std::vector<double> radius;
        constexpr int kSteps = 8;
        for (int i = 0; i <= kSteps; ++i) {
            double s = double(i) / kSteps;
            V3 p = b.from * ((1 - s) * (1 - s)) + b.bend * (2 * s * (1 - s)) + b.to * (s * s);
            path.push_back(kTreeTop + p);
            radius.push_back(b.r0 + (b.r1 - b.r0) * s);
        }
        MESH_Tube(out, path, radius, false, 6);
    }
    return out;
}

// The crown: a big cluster of lumpy balls over the trunk.
Tris MESH_Korona1() {
    Tris out;
    MESH_Blob(out, kTreeTop + V3{5, 168, 0}, {72, 56, 66}, 2, 0.22, 41);
    MESH_Blob(out, kTreeTop + V3{-48, 142, 20}, {52, 42, 50}, 2, 0.22, 42);
    MESH_Blob(out, kTreeTop + V3{52, 145, -18}, {54, 44, 50}, 2, 0.22, 43);
    MESH_Blob(out, kTreeTop + V3{10, 205, -14}, {46, 36, 44}, 2, 0.22, 44);
    return out;
}

// Smaller clusters at the ends of the lower branches.
Tris MESH_Korona2() {
    Tris out;
    MESH_Blob(out, kTreeTop + V3{76, 120, 20}, {38, 30, 36}, 2, 0.24, 51);
    MESH_Blob(out, kTreeTop + V3{-68, 118, -26}, {36, 28, 34}, 2, 0.24, 52);
    MESH_Blob(out, kTreeTop + V3{22, 134, 62}, {34, 27, 32}, 2, 0.24, 53);
    MESH_Blob(out, kTreeTop + V3{-16, 138, -64}, {34, 27, 32}, 2, 0.24, 54);
    return out;
}

// ---------------------------------------------------------------------------
// TMagic: a ribbed, twisted tunnel along the z axis, its mouth toward +z.
// The scene pushes it 1800 units away, so it spans eye depths of roughly
// 1600 to 2900, inside the far plane at 3000.

Tris MESH_Tunel() {
    constexpr double kMouth = 700, kEnd = -620;
    constexpr double kInner = 470, kOuter = 530, kLip = 440;
    constexpr double kRibStep = 150, kRibDepth = 62, kRibLength = 44, kBevel = 12;
    constexpr int kSegments = 8;
    constexpr double kTwist = 0.0016;  // radians per unit of depth: a rifled bore
    // Cross-section, counter-clockwise in (rho, z): out along the back, up
    // the outside in short steps (so that the twist between neighbouring
    // rings stays small and the wall does not cut inward), in over the lip
    // at the mouth, and back down the bore, stepping in at each rib.
    std::vector<P2> profile = {{kInner, kEnd}};
    for (double z = kEnd; z < kMouth; z += kRibStep / 2) profile.push_back({kOuter, z});
    profile.insert(profile.end(),
                   {{kOuter, kMouth}, {kLip, kMouth}, {kLip, kMouth - 20}, {kInner, kMouth - 50}});
    double z = kMouth - 50 - kRibStep / 2;
    for (; z - kRibStep > kEnd; z -= kRibStep) {
        profile.push_back({kInner, z});
        profile.push_back({kInner - kRibDepth, z - kBevel});
        profile.push_back({kInner - kRibDepth, z - kRibLength + kBevel});
        profile.push_back({kInner, z - kRibLength});
        profile.push_back({kInner, z - (kRibStep + kRibLength) / 2});
    }
    auto place = [&](double rho, double h, double th) {
        return MESH_AboutZ(rho, h, th + kTwist * h);
    };
    Tris out;
    MESH_Revolve(out, profile, true, kSegments, place);
    return out;
}

// ---------------------------------------------------------------------------
// Glow: two pipes winding about the z axis from z = -320 to 320; the camera
// rides the line x = 5, y = 0, clear of both.

Tris MESH_Helix(double radius, double pitch, double tube, int strands, double phase,
                int steps_per_turn, int sides) {
    constexpr double kFrom = -320, kTo = 320;
    int steps = int((kTo - kFrom) / std::fabs(pitch) * steps_per_turn);
    Tris out;
    for (int s = 0; s < strands; ++s) {
        std::vector<V3> path;
        for (int i = 0; i <= steps; ++i) {
            double z = kFrom + (kTo - kFrom) * i / steps;
            double a = 2 * kPi * z / pitch + phase + 2 * kPi * s / strands;
            path.push_back({radius * std::cos(a), radius * std::sin(a), z});
        }
        MESH_Tube(out, path, std::vector<double>(path.size(), tube), false, sides);
    }
    return out;
}

}  // namespace

std::vector<MESH_Entry> MESH_BuildAll() {
    return {
        {"tsy", MESH_RowGlyph("Q")},
        {"de", MESH_RowGlyph("K")},
        {"ef", MESH_RowGlyph("2")},
        {"foremka", MESH_Foremka()},
        {"thornax", MESH_RowWord("THORNAX")},
        {"aniooteq", MESH_Aniooteq()},
        {"wsypa", MESH_Wsypa()},
        {"pien1", MESH_Pien1()},
        {"pien2", MESH_Pien2()},
        {"korona1", MESH_Korona1()},
        {"korona2", MESH_Korona2()},
        {"tunel", MESH_Tunel()},
        {"rurawew", MESH_Helix(11, 90, 2.4, 1, 0, 28, 10)},
        {"rurazew", MESH_Helix(24, -150, 3.4, 2, 0.5, 36, 12)},
    };
}
