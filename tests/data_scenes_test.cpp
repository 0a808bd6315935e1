// The generated drive on the rendering bench: each scene's camera set-up,
// with that scene's meshes, must show its subject at a sensible size in the
// 640 x 320 picture band, and the pictures must sit where the scenes put
// them. Silhouettes (unlit white on black) are measured; lit views with
// bands and captions are saved under frames/ for people to look at.
#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "archive/cfs.h"
#include "engine/velq_loader.h"
#include "engine/velq_rasta.h"
#include "scenes/vis.h"
#include "tests/gl_bench.h"

namespace {

constexpr int kBandY0 = 80, kBandY1 = 400;  // rows of the picture band
constexpr int kBandPixels = 640 * 320;
constexpr GLuint kPictureList = 2, kSkyList = 3;

struct Loaded {
    const CFS_Mesh* mesh;
    const CFS_Norms* norms;
};

std::map<std::string, Loaded> data_meshes;

const Loaded& Mesh(const char* name) {
    auto it = data_meshes.find(name);
    if (it == data_meshes.end()) {
        const CFS_Mesh* m = CFS_ReadASE(name);
        it = data_meshes.emplace(name, Loaded{m, CFS_CalcNormsASE(m)}).first;
    }
    return it->second;
}

// One normal per face, as the scenes draw their meshes.
void Draw(const char* name) {
    const Loaded& l = Mesh(name);
    glBegin(GL_TRIANGLES);
    for (uint32_t f = 0; f < l.mesh->numfaces; ++f) {
        glNormal3f(l.norms[f].x, l.norms[f].y, l.norms[f].z);
        for (int k = 0; k < 3; ++k) glVertex3fv(l.mesh->tris + f * 9 + k * 3);
    }
    glEnd();
}

// What the band shows of a silhouette: the share of lit pixels and their
// bounding box in window pixels.
struct Cover {
    double share = 0;
    int x0 = 640, y0 = 480, x1 = -1, y1 = -1;
    bool Inside(int margin) const {
        return x0 >= margin && x1 < 640 - margin && y0 >= kBandY0 + margin && y1 < kBandY1 - margin;
    }
};

std::ostream& operator<<(std::ostream& out, const Cover& c) {
    return out << "share " << c.share << ", box x " << c.x0 << ".." << c.x1 << " y " << c.y0 << ".."
               << c.y1;
}

Cover Measure(const std::vector<uint8_t>& frame, int y0 = kBandY0, int y1 = kBandY1) {
    Cover c;
    int lit = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = 0; x < 640; ++x) {
            const BENCH_Rgb p = BENCH_Pixel(frame, x, y);
            if (p.r < 128) continue;
            ++lit;
            c.x0 = std::min(c.x0, x), c.x1 = std::max(c.x1, x);
            c.y0 = std::min(c.y0, y), c.y1 = std::max(c.y1, y);
        }
    c.share = double(lit) / (640.0 * (y1 - y0));
    return c;
}

// Window rectangle, x1 and y1 excluded.
struct Rect {
    int x0, y0, x1, y1;
};

constexpr Rect kTopBand{0, kBandY1, 640, 480};
constexpr Rect kBottomBand{0, 0, 640, kBandY0};

bool Near(BENCH_Rgb a, BENCH_Rgb b) {
    return std::abs(a.r - b.r) <= 1 && std::abs(a.g - b.g) <= 1 && std::abs(a.b - b.b) <= 1;
}

// The caption drawn at (x, y) shows its text, and within `area` nothing but
// the caption differs from the ground it lies on (taken at its corner,
// which the caption keeps plain): no stray pixels, no visible seam.
void ExpectCaptionShows(const std::vector<uint8_t>& frame, const char* name, int x, int y,
                        Rect area) {
    const CFS_Pict* p = CFS_ReadPNG24(name);
    const int w = int(p->tile_width * p->tiles_across), h = int(p->tile_height * p->tiles_down);
    const BENCH_Rgb ground = BENCH_Pixel(frame, x, y);
    int ink = 0, stray = 0;
    for (int py = area.y0; py < area.y1; ++py)
        for (int px = area.x0; px < area.x1; ++px) {
            if (Near(BENCH_Pixel(frame, px, py), ground)) continue;
            const bool inside = px >= x && px < x + w && py >= y && py < y + h;
            ++(inside ? ink : stray);
        }
    EXPECT_GT(ink, w * h / 50) << name;
    EXPECT_EQ(stray, 0) << name;
}

void Clear(float r, float g, float b) {
    glClearColor(r, g, b, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

// A perspective over the picture band, identity model-view.
void BandPerspective(double fovy, double aspect, double near, double far) {
    glViewport(0, kBandY0, 640, kBandY1 - kBandY0);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(fovy, aspect, near, far);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

// Plain white shapes on black in the picture band.
void Silhouette(double fovy, double aspect, double near, double far) {
    Clear(0, 0, 0);
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
    glColor4f(1, 1, 1, 1);
    BandPerspective(fovy, aspect, near, far);
}

// A scene's light 0, given in eye space (under the identity).
struct Lamp {
    GLfloat ambient[4], diffuse[4], specular[4], position[4];
};

constexpr Lamp kThornaxLamp{
    {0.5f, 0.4f, 0.3f, 1}, {1, 1, 0.3f, 1}, {1, 0.7f, 0.7f, 1}, {60, 100, 700, 1}};
constexpr Lamp kAngelLamp{
    {0.2f, 0.2f, 0.2f, 1}, {1, 1, 0.3f, 1}, {1, 0.7f, 0.7f, 1}, {-500, 400, 700, 1}};
constexpr Lamp kTreeLamp{
    {0.7f, 0.2f, 0.2f, 1}, {1, 0.7f, 0.3f, 1}, {1, 0.7f, 0.7f, 1}, {170, 216, 700, 1}};
constexpr Lamp kTMagicLamp{
    {0.2f, 0.1f, 0.1f, 1}, {0.9f, 0.7f, 0.6f, 1}, {0.5f, 0.4f, 0.2f, 1}, {0, 10, 500, 1}};
constexpr Lamp kGlowLamp{
    {0.2f, 0.1f, 0.1f, 1}, {0.9f, 0.8f, 0.2f, 1}, {0.8f, 0.6f, 0, 1}, {10, 104, -50, 1}};

// Lighting with colour material and a white highlight, as the lit scenes use.
void Light(const Lamp& lamp) {
    static const GLfloat white[4] = {1, 1, 1, 1};
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glLightfv(GL_LIGHT0, GL_AMBIENT, lamp.ambient);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, lamp.diffuse);
    glLightfv(GL_LIGHT0, GL_SPECULAR, lamp.specular);
    glLightfv(GL_LIGHT0, GL_POSITION, lamp.position);
    glEnable(GL_LIGHT0);
    glEnable(GL_LIGHTING);
    glEnable(GL_COLOR_MATERIAL);
    glColorMaterial(GL_FRONT, GL_AMBIENT_AND_DIFFUSE);
    glMaterialfv(GL_FRONT, GL_SPECULAR, white);
    glMateriali(GL_FRONT, GL_SHININESS, 100);
}

void Picture(const char* name, GLuint list, bool quadruple = false) {
    const CFS_Pict* p = CFS_ReadPNG24(name);
    VELQ_RASTA_PictureTexture();
    if (quadruple)
        VELQ_RASTA_DoublePrepBlit24b(list, p);
    else
        VELQ_RASTA_PrepBlit24b(list, p);
}

// Black bands over the bottom and top 80 rows, then the caption picture at
// (x, y), as the letterboxed scenes end their frames.
void BandsAndCaption(const char* caption, float x, float y) {
    BENCH_WindowPixels();
    glDisable(GL_LIGHTING);
    glDisable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    glColor4f(0, 0, 0, 1);
    glRecti(0, 0, 640, kBandY0);
    glRecti(0, kBandY1, 640, 480);
    Picture(caption, kPictureList);
    glEnable(GL_TEXTURE_2D);
    glTranslatef(x, y, 0);
    glCallList(kPictureList);
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_DEPTH_TEST);
}

class SceneFit : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        BENCH_Start();
        BENCH_LoadDrive(AMBER_DRIVE);
    }
};

// ---------------------------------------------------------------------------
// Thornax: the knot slides sideways at (c0, 50, -250); the glyph row lies
// at (30, 150) in window pixels.

constexpr double kThornaxAspect = 1.5385;

std::vector<uint8_t> KnotAt(float x) {
    Silhouette(45, kThornaxAspect, 1, 3000);
    glTranslatef(x, 50, -250);
    Draw("foremka");
    return BENCH_ReadFrame();
}

TEST_F(SceneFit, ThornaxKnotSlidesThroughTheUpperBand) {
    EXPECT_LT(Measure(KnotAt(-200)).share, 0.001) << "the knot enters from outside the frame";
    EXPECT_EQ(Measure(KnotAt(300)).share, 0.0) << "the knot leaves the frame";
    for (float x : {-120.f, 0.f, 50.f, 120.f}) {
        const Cover c = Measure(KnotAt(x));
        EXPECT_GT(c.share, 0.02) << x;
        EXPECT_LT(c.share, 0.25) << x;
        EXPECT_TRUE(c.Inside(0)) << x;
        EXPECT_GT(c.y0, 200) << "the knot stays above the glyph row at " << x;
    }
}

// The row as list 5 lays it out: each part's offset from the row's origin.
struct RowPart {
    const char* mesh;  // null: the slanted stroke
    float offset;
};

const RowPart kRow[] = {{"tsy", 0}, {"de", 40}, {"ef", 80}, {nullptr, 120}, {"thornax", 480}};

void DrawRowPart(const RowPart& part) {
    glLoadIdentity();
    glTranslatef(30 + part.offset, 150, 1);
    if (part.mesh) {
        Draw(part.mesh);
        return;
    }
    glBegin(GL_QUADS);
    glVertex2f(-5, 30), glVertex2f(-20, 30), glVertex2f(25, -32), glVertex2f(40, -32);
    glEnd();
}

TEST_F(SceneFit, ThornaxGlyphRowSitsInTheBandWithItsPartsApart) {
    int previous_right = -1;
    for (const RowPart& part : kRow) {
        Clear(0, 0, 0);
        BENCH_WindowPixels();
        glDisable(GL_LIGHTING);
        glDisable(GL_TEXTURE_2D);
        glColor4f(1, 1, 1, 1);
        DrawRowPart(part);
        const Cover c = Measure(BENCH_ReadFrame(), 0, 480);
        const char* name = part.mesh ? part.mesh : "stroke";
        EXPECT_GT(c.share, 0.0005) << name;
        EXPECT_TRUE(c.Inside(4)) << name;
        EXPECT_GT(c.x0, previous_right + 2) << name << " touches the part before it";
        previous_right = c.x1;
    }
}

TEST_F(SceneFit, ThornaxCaptionShowsInTheTopBand) {
    Clear(0, 0, 0);
    Light(kThornaxLamp);
    BandPerspective(45, kThornaxAspect, 1, 3000);
    glTranslatef(40, 50, -250);
    glColor4f(0.3f, 0.3f, 1, 1);
    Draw("foremka");
    BENCH_WindowPixels();
    glDisable(GL_LIGHTING);
    glColor4f(1, 1, 1, 1);
    for (const RowPart& part : kRow) DrawRowPart(part);
    BandsAndCaption("developed", 160, 408);
    const std::vector<uint8_t> frame = BENCH_ReadFrame();
    BENCH_SaveFrame(frame, "data_thornax");
    ExpectCaptionShows(frame, "developed", 160, 408, kTopBand);
}

// ---------------------------------------------------------------------------
// Angel: the figure turns about its vertical axis, seen from (0, -200, 1000).

void AngelCamera() { gluLookAt(0, -200, 1000, 0, 0, 0, 0, 1, 0); }

TEST_F(SceneFit, AngelFigureFillsTheFrameAsItTurns) {
    for (float angle : {0.f, 45.f, 90.f, 135.f, 180.f, 270.f}) {
        Silhouette(45, 1.5385, 1, 3000);
        AngelCamera();
        glRotatef(angle, 0, 1, 0);
        Draw("aniooteq");
        const Cover c = Measure(BENCH_ReadFrame());
        EXPECT_GT(c.share, 0.06) << angle;
        EXPECT_LT(c.share, 0.5) << angle;
        EXPECT_TRUE(c.Inside(8)) << angle << ": " << c;
    }
}

TEST_F(SceneFit, AngelCaptionShowsInTheBottomBand) {
    Clear(1, 1, 1);
    Light(kAngelLamp);
    glShadeModel(GL_FLAT);
    BandPerspective(45, 1.5385, 1, 3000);
    AngelCamera();
    glRotatef(30, 0, 1, 0);
    glColor4f(0.5f, 0.5f, 0.5f, 1);
    Draw("aniooteq");
    glShadeModel(GL_SMOOTH);
    BandsAndCaption("ex_hb", 70, 16);
    const std::vector<uint8_t> frame = BENCH_ReadFrame();
    BENCH_SaveFrame(frame, "data_angel");
    ExpectCaptionShows(frame, "ex_hb", 70, 16, kBottomBand);
}

// ---------------------------------------------------------------------------
// Tree: the camera slides from z = -700 to 200 looking at (0, 40, 340).

const char* const kTreeMeshes[] = {"wsypa", "pien1", "pien2", "korona1", "korona2"};

void TreeCamera(float c0) { gluLookAt(-200, -20, c0, 0, 40, 340, 0, 1, 0); }

TEST_F(SceneFit, TreeGrowsInViewAlongTheCameraPath) {
    double previous = 0;
    for (float c0 : {-700.f, -250.f, 200.f}) {
        Silhouette(45, 1.33, 1, 2000);
        TreeCamera(c0);
        for (const char* m : kTreeMeshes) Draw(m);
        const Cover c = Measure(BENCH_ReadFrame());
        EXPECT_GT(c.share, previous) << c0 << ": the camera comes closer";
        EXPECT_LT(c.share, 0.9) << c0;
        if (c0 == -700.f) {
            EXPECT_GT(c.share, 0.03);
            EXPECT_TRUE(c.Inside(8)) << "the whole island and tree are in view at the start";
        }
        previous = c.share;
    }
}

// The landscape of list 5: the meshes in their colours, the water, and the
// two backdrops of the sky (list 3).
void TreeLandscape() {
    const GLfloat colours[][3] = {{0.5f, 0.7f, 0.5f},
                                  {0.6f, 0.5f, 0.2f},
                                  {0.6f, 0.5f, 0.2f},
                                  {0.5f, 0.6f, 0.2f},
                                  {0.5f, 0.6f, 0.2f}};
    for (int i = 0; i < 5; ++i) {
        glColor3fv(colours[i]);
        Draw(kTreeMeshes[i]);
    }
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4f(0.3f, 0.4f, 0.7f, 0.8f);
    glBegin(GL_QUADS);
    glVertex3f(-1000, -40, 1000), glVertex3f(-1000, -40, -1000);
    glVertex3f(1000, -40, -1000), glVertex3f(1000, -40, 1000);
    glEnd();
    glDisable(GL_BLEND);
    glEnable(GL_TEXTURE_2D);
    glDisable(GL_LIGHTING);
    glTranslatef(-600, -40, 520);
    glCallList(kSkyList);
    glTranslatef(1000, 0, -800);
    glRotatef(-90, 0, 1, 0);
    glCallList(kSkyList);
    glDisable(GL_TEXTURE_2D);
}

TEST_F(SceneFit, TreeBackdropsAndWaterFillTheBackground) {
    Picture("sky1", kSkyList, true);
    for (float c0 : {-700.f, 200.f}) {
        Clear(1, 0, 1);  // a colour that no part of the landscape has
        glDisable(GL_LIGHTING);
        BandPerspective(45, 1.33, 1, 2000);
        TreeCamera(c0);
        TreeLandscape();
        const std::vector<uint8_t> frame = BENCH_ReadFrame();
        int gaps = 0, gap_x = -1, gap_y = -1;
        for (int y = kBandY0; y < kBandY1; ++y)
            for (int x = 0; x < 640; ++x) {
                const BENCH_Rgb p = BENCH_Pixel(frame, x, y);
                if (p.r != 255 || p.g != 0 || p.b != 255) continue;
                ++gaps, gap_x = x, gap_y = y;
            }
        // The back wall starts at x = -600, where the first frames' view
        // ends: at most a sliver at the band's edge may miss it.
        EXPECT_LT(gaps, kBandPixels / 200)
            << c0 << ": background shows at (" << gap_x << ", " << gap_y << ")";
    }
}

TEST_F(SceneFit, TreeCaptionShowsInTheTopBand) {
    Picture("sky1", kSkyList, true);
    for (float c0 : {-700.f, -100.f, 200.f}) {
        Clear(0.5f, 0.3f, 0.2f);
        Light(kTreeLamp);
        BandPerspective(45, 1.33, 1, 2000);
        TreeCamera(c0);
        TreeLandscape();
        BandsAndCaption("shl", 10, 408);
        const std::vector<uint8_t> frame = BENCH_ReadFrame();
        BENCH_SaveFrame(frame, "data_tree_" + std::to_string(int(c0)));
        ExpectCaptionShows(frame, "shl", 10, 408, kTopBand);
    }
}

// ---------------------------------------------------------------------------
// TMagic: the tunnel turns about z, 1800 units beyond the look-at point.

void TMagicTunnel(float c0) {
    gluLookAt(80, -80, 480, 0, 0, 0, 0, 1, 0);
    glRotatef(-c0, 0, 0, 1);
    glTranslatef(0, 0, -1800);
    Draw("tunel");
}

TEST_F(SceneFit, TMagicTunnelOpensAroundTheMiddle) {
    for (float c0 : {-700.f, -450.f, -300.f, -200.f}) {
        Silhouette(45, 1.5385, 1, 3000);
        TMagicTunnel(c0);
        const std::vector<uint8_t> frame = BENCH_ReadFrame();
        const Cover c = Measure(frame);
        EXPECT_GT(c.share, 0.15) << c0;
        EXPECT_LT(c.share, 0.8) << c0;
        // The caption above the bottom bar, x 10 to 138, lies on plain ground.
        const Cover under_caption = Measure(frame, 84, 116);
        EXPECT_TRUE(under_caption.share == 0 || under_caption.x0 > 138) << c0;
    }
}

TEST_F(SceneFit, TMagicCaptionSitsOnTheGroundAboveTheBar) {
    Clear(0.3f, 0.2f, 0.1f);
    Light(kTMagicLamp);
    BandPerspective(45, 1.5385, 1, 3000);
    glColor4f(0.9f, 0.7f, 0.3f, 1);
    TMagicTunnel(-450);
    BandsAndCaption("tmagic", 10, 84);
    const std::vector<uint8_t> frame = BENCH_ReadFrame();
    BENCH_SaveFrame(frame, "data_tmagic");
    // On the cleared ground beside it (0.3 x 255 lies half-way between two
    // levels, which implementations round either way: one level is allowed).
    ExpectCaptionShows(frame, "tmagic", 10, 84, {0, 82, 160, 124});
}

// ---------------------------------------------------------------------------
// Glow: the camera rides x = 5, y = 0 and looks along z at (5, 0, 0); the
// pipes turn about z.

void GlowPipes(float c0, float c1) {
    gluLookAt(5, 0, c1, 5, 0, 0, 0, 1, 0);
    glRotatef(c0, 0, 0, 1);
    Draw("rurawew");
    Draw("rurazew");
}

TEST_F(SceneFit, GlowPipesSurroundTheCameraPath) {
    for (float c1 : {-50.f, -20.f, 30.f, 100.f})
        for (float c0 : {0.f, 70.f}) {
            Silhouette(45, 1.33, 1, 300);
            GlowPipes(c0, c1);
            const std::vector<uint8_t> frame = BENCH_ReadFrame();
            const Cover c = Measure(frame);
            EXPECT_GT(c.share, 0.1) << c1 << " " << c0;
            EXPECT_LT(c.share, 0.85) << c1 << " " << c0;
            // The line of sight stays clear: the camera flies between them.
            EXPECT_LT(BENCH_Pixel(frame, 320, 240).r, 128) << c1 << " " << c0;
        }
}

TEST_F(SceneFit, GlowCaptionShowsAboveTheBar) {
    for (float c1 : {-40.f, 60.f}) {
        Clear(0, 0, 0);
        Light(kGlowLamp);
        BandPerspective(45, 1.33, 1, 300);
        glColor4f(0.6f, 0.5f, 0.1f, 1);
        GlowPipes(40, c1);
        BandsAndCaption("lans", 10, 84);
        const std::vector<uint8_t> frame = BENCH_ReadFrame();
        BENCH_SaveFrame(frame, "data_glow_" + std::to_string(int(c1)));
        ExpectCaptionShows(frame, "lans", 10, 84, {10, 84, 74, 116});
    }
}

// ---------------------------------------------------------------------------
// Pictures in their scenes.

TEST_F(SceneFit, LoadingBoxesStayReadableOverTheBootPicture) {
    VIS_INIT_Loading();
    for (int k = 0; k < VELQ_LOADER_STEPS; ++k) velq_loader_st[k] = k < 3;
    glDisable(GL_DEPTH_TEST);  // as the program starts: the scene relies on it
    BENCH_RunScene(VIS_PREP_Loading, VIS_CALL_Loading);
    const std::vector<uint8_t> frame = BENCH_ReadFrame();
    BENCH_SaveFrame(frame, "data_loading");
    auto light = [&](int x, int y) {
        const BENCH_Rgb p = BENCH_Pixel(frame, x, y);
        return p.r + p.g + p.b > 3 * 200;
    };
    for (int k = 0; k < VELQ_LOADER_STEPS; ++k) {
        const int cx = 20 + 40 * k;
        // Between the boxes, above and below them: light ground.
        for (int y = 416; y <= 464; y += 4) EXPECT_TRUE(light(cx + 20, y)) << k << " " << y;
        EXPECT_TRUE(light(cx, 416)) << k;
        EXPECT_TRUE(light(cx, 464)) << k;
        // The boxes themselves are black on it: a solid block for a done
        // step, a frame around light ground for a pending one.
        const BENCH_Rgb side = BENCH_Pixel(frame, cx - 12, 440),
                        middle = BENCH_Pixel(frame, cx, 440);
        if (k < 3) {
            EXPECT_EQ(middle.r + middle.g + middle.b, 0) << "the solid box " << k;
        } else {
            EXPECT_EQ(side.r + side.g + side.b, 0) << "the hollow box " << k;
            EXPECT_TRUE(light(cx, 440)) << "inside the hollow box " << k;
        }
    }
    std::fill(std::begin(velq_loader_st), std::end(velq_loader_st), 0u);
}

TEST_F(SceneFit, QuiboTitlesShowOnTheirGrounds) {
    Clear(1, 0.9f, 0.7f);
    BENCH_WindowPixels();
    glDisable(GL_LIGHTING);
    glEnable(GL_DEPTH_TEST);
    glColor4f(1, 1, 1, 1);
    glBegin(GL_QUADS);
    glVertex3f(0, 480, -0.9f), glVertex3f(0, 0, -0.9f), glVertex3f(320, 0, -0.9f),
        glVertex3f(320, 480, -0.9f);
    glEnd();
    BandsAndCaption("grid", 0, 8);
    Picture("amber", kSkyList);
    glEnable(GL_TEXTURE_2D);
    glLoadIdentity();
    glTranslatef(0, 208, 0);
    glCallList(kSkyList);
    glDisable(GL_TEXTURE_2D);
    const std::vector<uint8_t> frame = BENCH_ReadFrame();
    BENCH_SaveFrame(frame, "data_quibo");
    ExpectCaptionShows(frame, "grid", 0, 8, kBottomBand);
    ExpectCaptionShows(frame, "amber", 0, 208, {0, kBandY0, 320, kBandY1});
}

TEST_F(SceneFit, ZeltoPictureMeetsTheOrangeGroundWithoutSeam) {
    Clear(1, 0.45f, 0.1f);
    BandsAndCaption("zelto", 64, 120);
    const std::vector<uint8_t> frame = BENCH_ReadFrame();
    BENCH_SaveFrame(frame, "data_zelto");
    ExpectCaptionShows(frame, "zelto", 64, 120, {0, kBandY0, 640, kBandY1});
}

}  // namespace
