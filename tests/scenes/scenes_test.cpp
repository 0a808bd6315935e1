// Every scene drawn on the bench through the real sequencer, after the tape
// has led up to it, so that it inherits the GL state the scenes before it
// leave; frames are saved under frames/ for people to look at.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "archive/cfs_writer.h"
#include "engine/velq2.h"
#include "engine/velq_ex.h"
#include "engine/velq_glow.h"
#include "scenes/vis_angel.h"
#include "scenes/vis_draw.h"
#include "scenes/vis_tmagic.h"
#include "tests/support/gl_bench.h"

extern uint8_t intro_rand[161];
extern CFS_Mesh* foremka;
extern CFS_Norms* foremka_norms;
extern CFS_Mesh *glow_pipe1, *glow_pipe2;

namespace {

constexpr int kBand = 640 * 320;

class Scenes : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        BENCH_Start();
        BENCH_LoadProduction();
    }
};
using Tape = Scenes;
using ThornaxIn = Scenes;
using Thornax = Scenes;
using Quibo = Scenes;
using Angel = Scenes;
using Tree = Scenes;
using TMagic = Scenes;
using Glow = Scenes;
using Zelto = Scenes;

std::vector<uint8_t> At(float c0, float c1, const std::string& saved = "") {
    BENCH_DrawAt(c0, c1);
    std::vector<uint8_t> frame = PLAYER_ReadFrame();
    if (!saved.empty()) BENCH_SaveFrame(frame, saved);
    return frame;
}

bool Orange(BENCH_Rgb p) { return p.r > 60 && p.r > 2 * p.b; }
bool Blue(BENCH_Rgb p) { return p.b > 60 && p.b > p.r + 30; }
bool White(BENCH_Rgb p) { return p.r == 255 && p.g == 255 && p.b == 255; }
bool NotBlack(BENCH_Rgb p) { return p.r || p.g || p.b; }
bool Lit(BENCH_Rgb p) { return p.r + p.g + p.b >= 40; }
bool OffWhite(BENCH_Rgb p) { return p.r + p.g + p.b < 3 * 255 - 40; }
// The tree's bark and leaves: warm, with little blue, unlike sky and water.
bool TreeColoured(BENCH_Rgb p) { return p.r > 120 && p.b < 60 && p.r - p.b > 100; }
// Off TMagic's brown ground.
bool OffGround(BENCH_Rgb p) { return std::abs(p.r - 76) + std::abs(p.g - 51) + p.b - 26 >= 40; }

// In the band, neither lost nor filling it, and shaded rather than flat.
void ExpectSitsLit(const BENCH_Census& c, const std::string& name, double most = 0.5) {
    EXPECT_GT(c.count, kBand / 100) << name << " is lost";
    EXPECT_LT(c.count, kBand * most) << name << " fills the band";
    EXPECT_GT(c.brightest, 120) << name << " is unlit";
    EXPECT_GT(c.brightest - c.darkest, 60) << name << " is flat";
}

// Pictures over a band: "developed" in Thornax's top band, "grid" in
// Quibo's bottom band, "ex_hb" in Angel's, "shl" in Tree's top band.
struct Caption {
    int x0, y0, x1, y1;
};
const Caption kCaptions[11] = {
    {}, {}, {}, {160, 408, 544, 472}, {0, 8, 640, 72}, {70, 16, 582, 80}, {10, 408, 522, 472}};

// The first pixel of the letterbox rows, outside the entry's caption, that
// is not black.
std::string LetterboxLeak(const std::vector<uint8_t>& frame, const Caption& c) {
    for (int y = 0; y < 480; y = y == 79 ? 400 : y + 1)
        for (int x = 0; x < 640; ++x)
            if (!(x >= c.x0 && x < c.x1 && y >= c.y0 && y < c.y1) &&
                NotBlack(BENCH_Pixel(frame, x, y)))
                return std::to_string(x) + ", " + std::to_string(y);
    return "";
}

TEST_F(Tape, EveryEntryKeepsItsLetterboxBlack) {
    BENCH_EnterEntry(1);
    for (int e = 1; e <= VELQ_LAST_ENTRY; ++e) {
        ASSERT_EQ(velq_caller, e);
        EXPECT_EQ(LetterboxLeak(PLAYER_ReadFrame(), kCaptions[e]), "") << "entry " << e;
        // Five moments up to a tenth of a second before the entry ends.
        const float last = BENCH_EntrySeconds(e) - 0.1f;
        for (int i = 1; i <= 5; ++i) {
            BENCH_TapeFrame(last * i / 5);
            const auto frame = PLAYER_ReadFrame();
            BENCH_SaveFrame(frame, "tape_" + std::to_string(e) + "_" + std::to_string(i));
            EXPECT_EQ(LetterboxLeak(frame, kCaptions[e]), "") << "entry " << e << ", frame " << i;
        }
        BENCH_TapeFrame(1000);  // the entry's last frame and the next entry's first
    }
    EXPECT_EQ(velq_caller, VELQ_LAST_ENTRY + 1);
}

// The knot, lit, under the TMagic scene's clockwise front face: culled, it
// shows the same pixels as drawn whole, and culling is off again after.
TEST_F(Scenes, SolidsCullOnlyWhatTheirOwnFrontFacesHide) {
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glClearColor(0, 0, 0, 0);
    for (GLenum cap : {GL_DEPTH_TEST, GL_LIGHTING, GL_LIGHT0}) glEnable(cap);
    glFrontFace(GL_CW);
    VIS_Perspective(4.0 / 3, 1000);
    glLoadIdentity();
    glTranslatef(0, 0, -110);
    glRotatef(20, 1, 0, 0);
    std::vector<uint8_t> frame[2];
    for (auto* emit : {VIS_EmitMesh, VIS_EmitSolid}) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        emit(foremka, foremka_norms);
        frame[emit == VIS_EmitSolid] = PLAYER_ReadFrame();
    }
    EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));
    glPopAttrib();
    int differing = 0, drawn = BENCH_Count(frame[0], NotBlack, 0, VELQ_SCREEN_HEIGHT).count;
    for (size_t i = 0; i < frame[0].size(); i += 4)
        differing += memcmp(&frame[0][i], &frame[1][i], 3) != 0;
    EXPECT_GT(drawn, 5000);
    // Only where the depth buffer cannot tell a thin wall's two sides apart.
    EXPECT_LE(differing, drawn / 1000) << "of " << drawn;
}

TEST_F(ThornaxIn, LightFollowsChannelZeroAndTheRingCirclesWithChannelOne) {
    BENCH_EnterEntry(1);
    const auto dark = BENCH_Count(At(-0.5f, 0), Orange), off = BENCH_Count(At(0, 0), Orange),
               lit = BENCH_Count(At(0.33f, 0, "thornaxin"), Orange);
    EXPECT_LT(dark.brightness, off.brightness) << "a negative light darkens";
    EXPECT_LT(off.brightness * 1.5, lit.brightness);
    ASSERT_GT(lit.count, 1000);
    // Offset by (-30, -30) inside the turning frame, the ring swings across
    // the view centre as channel 1 turns it half round.
    EXPECT_GT(BENCH_Count(At(0.33f, 180), Orange).mean_x - lit.mean_x, 40);
}

TEST_F(Thornax, KnotSlidesOverTheWhiteGlyphRow) {
    BENCH_EnterEntry(3);
    const auto left = At(-100, 0), right = At(100, 0, "thornax_100");
    const auto l = BENCH_Count(left, Blue), r = BENCH_Count(right, Blue);
    ASSERT_GT(l.count, 1000);
    // 200 units across at depth 250, in the stretched 45-degree view.
    EXPECT_NEAR(r.mean_x - l.mean_x, 200 * 320 / 250.0 / 0.414 / 1.5385, 40);
    EXPECT_GT(BENCH_Count(right, White, 110, 190).count, 3000) << "the glyph row is plain white";
    EXPECT_GT(BENCH_Count(right, NotBlack, 408, 472).count, 500) << "\"developed\" on top";
}

TEST_F(Quibo, WheelSlicesChangeWithChannelZero) {
    BENCH_EnterEntry(4);
    const auto a = At(0, 0), b = At(45, 0, "quibo_45"), c = At(90, 0);
    int changed = 0;
    for (int y = 80; y < 400; ++y)
        for (int x = 0; x < 640; ++x)
            changed += std::memcmp(&a[(y * 640 + x) * 4], &c[(y * 640 + x) * 4], 3) != 0;
    EXPECT_GT(changed, kBand / 20);
    // The wheels are blended over the white left half and the cream right half.
    for (const auto* f : {&a, &b, &c}) EXPECT_GT(BENCH_Count(*f, Orange).count, 2000);
    EXPECT_TRUE(White(BENCH_Pixel(b, 5, 390)));
    const BENCH_Rgb cream = BENCH_Pixel(b, 635, 390);
    EXPECT_TRUE(cream.r == 255 && std::abs(cream.g - 230) <= 1 && std::abs(cream.b - 179) <= 1);
}

TEST_F(Angel, TuftBladesFanAboutTheQuill) {
    for (const float* tuft : {angel_fluff_a, angel_fluff_b}) {
        float angle = 0;
        for (int n = 1; n < ANGEL_FLUFF_FACES; ++n) {
            angle += 0.785f;
            const float* blade = tuft + 9 * n;
            // Corners 0 and 1 and corner 2's height are blade 0's.
            for (int k : {0, 1, 2, 3, 4, 5, 7}) EXPECT_EQ(blade[k], tuft[k]) << "blade " << n;
            const float x = tuft[6], z = tuft[8];
            EXPECT_NEAR(blade[6], x * cosf(angle) + z * sinf(angle), 1e-4) << "blade " << n;
            EXPECT_NEAR(blade[8], z * cosf(angle) - x * sinf(angle), 1e-4) << "blade " << n;
        }
    }
}

TEST_F(Angel, FigureAndFeathersSitLitInTheBand) {
    BENCH_EnterEntry(5);
    for (auto [c0, c1] : {std::pair{0, 500}, {200, 500}, {500, 500}, {0, -400}, {500, -400}}) {
        const std::string name = "angel_" + std::to_string(c0) + "_" + std::to_string(c1);
        const BENCH_Census c = BENCH_Count(At(c0, c1, name), OffWhite);
        ExpectSitsLit(c, name);
        EXPECT_GT(c.red * 4, c.blue * 5) << name << ": the light is warm";
    }
}

TEST_F(Tree, LightStaysWhereTheAngelsMatrixPutIt) {
    BENCH_EnterEntry(6);
    BENCH_DrawAt(-250, 0);  // frames never give the light again
    GLfloat pos[4];
    glGetLightfv(GL_LIGHT0, GL_POSITION, pos);
    EXPECT_TRUE(pos[0] == 170 && pos[1] == 216 && pos[2] == 700 && pos[3] == 1);
}

TEST_F(Tree, TreeSitsLitInTheBandAndNearsAsTheCameraSlides) {
    BENCH_EnterEntry(6);
    int before = 0;
    for (int c0 : {-700, -250, 200}) {
        const std::string name = "tree_" + std::to_string(c0);
        const BENCH_Census c = BENCH_Count(At(c0, 0, name), TreeColoured);
        ExpectSitsLit(c, name);
        EXPECT_GT(c.count, before * 2) << name;
        before = c.count;
    }
}

// Base and tip (window x, y of corners 0 and 2) of the triangles a frame
// draws at the fans' depths, in order, caught by feedback: the tunnel lies
// deeper, the rings nearer. The emblem's shapes, which crash Mesa's
// feedback path, are blanked first.
std::vector<std::array<float, 4>> DrawnRays(float c0) {
    glNewList(VELQ_EX_EMBLEM_LIST, GL_COMPILE);
    glEndList();
    std::vector<GLfloat> buf(1 << 22);
    glFeedbackBuffer(GLsizei(buf.size()), GL_3D, buf.data());
    glRenderMode(GL_FEEDBACK);
    BENCH_DrawAt(c0, 0);
    const GLint n = glRenderMode(GL_RENDER);
    std::vector<std::array<float, 4>> rays;
    for (GLint i = 0; i < n; i += 2 + 3 * GLint(buf[i + 1])) {
        const GLfloat* v = &buf[i + 2];
        const auto fan_depth = [&](int j) {
            return v[3 * j + 2] > 0.998f && v[3 * j + 2] < 0.999f;
        };
        if (buf[i + 1] == 3 && fan_depth(0) && fan_depth(1) && fan_depth(2))
            rays.push_back({v[0], v[1], v[6], v[7]});
    }
    return rays;
}

TEST_F(TMagic, FansStartAlongYAndTurnAgainstEachOther) {
    // Ray 0 of each fan is its template, along +y; ray 15 points the other way.
    EXPECT_TRUE(tmagic_first[0][2][1] == 140 && tmagic_second[0][2][1] == 110);
    EXPECT_NEAR(tmagic_first[15][2][1], -140, 1e-3);
    BENCH_EnterEntry(7);
    for (float c0 : {-700.0f, -450.0f, -200.0f}) {
        const std::string name = "tmagic_" + std::to_string(int(-c0));
        ExpectSitsLit(BENCH_Count(At(c0, 0, name), OffGround), name, 0.9);
    }
    // A quarter turn: the first fan counter-clockwise, the second clockwise.
    const auto turned = DrawnRays(90);
    ASSERT_GE(turned.size(), 2u * TMAGIC_RAYS);
    EXPECT_LT(turned[0][2] - turned[0][0], -50) << "first fan: ray 0 to the left";
    EXPECT_GT(turned[TMAGIC_RAYS][2] - turned[TMAGIC_RAYS][0], 50) << "second fan: to the right";
}

// Channel 1 at 0 (each entry's first frame, and entry 9's restarts) puts the
// eye on the look-at point: the pipes drop out of that frame, nothing else.
TEST_F(Glow, SitsLitInTheBandAndOnlyThePipesDropOutWithTheEyeOnTheCentre) {
    for (int entry : {8, 9}) {
        BENCH_EnterEntry(entry);
        std::vector<uint8_t> last;
        for (float c1 : {-50.0f, 100.0f, 30.0f}) {
            const std::string name = "glow" + std::to_string(entry) + "_" + std::to_string(int(c1));
            last = At(500, c1, name);
            ExpectSitsLit(BENCH_Count(last, Lit), name, 0.9);
        }
        velq_glw_n = 0;
        const BENCH_Census c = BENCH_Count(At(500, 0), Lit);
        EXPECT_LT(c.count, kBand / 100) << "no pipes, only the caption";
        EXPECT_GT(c.brightest, 120) << "the caption";
        EXPECT_EQ(velq_glw_n, VELQ_GLW_PIXELS) << "the glow grid";
        EXPECT_TRUE(last == At(500, 30)) << "the next frame is unharmed";
    }
}

// Pipes packed open (every other face gone) and wound inward are not solid,
// unlike as generated, and draw as unculled, where culling would lose faces.
TEST_F(Glow, PipesThatAreNotSolidAreDrawnWhole) {
    const bool outward = glow_pipe2->solid;
    std::vector<float> open, inward(glow_pipe2->tris, glow_pipe2->tris + 9 * glow_pipe2->numfaces);
    for (uint32_t f = 0; f < glow_pipe1->numfaces; f += 2)
        open.insert(open.end(), &glow_pipe1->tris[9 * f], &glow_pipe1->tris[9 * f + 9]);
    for (size_t f = 0; f < inward.size(); f += 9)  // corners 0, 2, 1
        std::swap_ranges(&inward[f + 3], &inward[f + 6], &inward[f + 6]);
    std::vector<CFS_WriterEntry> entries;
    CFS_Open(BENCH_DRIVE);
    for (const CFS_Entry& e : std::vector<CFS_Entry>(cfs_directory, cfs_directory + cfs_nfiles)) {
        uint8_t* bytes = CFS_Read(e.name, e.type);
        entries.push_back({e.name, e.type, {bytes, bytes + e.isize}});
        free(bytes);
    }
    CFS_Close();
    for (CFS_WriterEntry& e : entries)
        if (e.name == "rurawew" || e.name == "rurazew")
            e.payload = CFS_WRITER_Mesh(e.name == "rurawew" ? open : inward);
    const std::string drive = testing::TempDir() + "pipes.cfs";
    ASSERT_TRUE(CFS_WRITER_Save(drive.c_str(), entries));
    BENCH_EnterEntry(8, drive.c_str());
    EXPECT_TRUE(outward && !glow_pipe1->solid && !glow_pipe2->solid);
    std::vector<uint8_t> frame[3];  // as read, unculled, culled
    for (int i = 0; i < 3; ++i) {
        if (i) glow_pipe1->solid = glow_pipe2->solid = i == 2;
        velq_tape[8].prep();  // compiles the pipes again, as entry 9 does
        frame[i] = At(500, 30, "glow_pipes_" + std::to_string(i));
    }
    EXPECT_TRUE(frame[0] == frame[1]);
    EXPECT_FALSE(frame[1] == frame[2]) << "culling would lose nothing";
}

TEST_F(Zelto, FadeClosesTheBandToBlack) {
    BENCH_EnterEntry(10);
    const auto open = At(0, 0), edges = At(1, 0, "zelto_half_closed"), closed = At(2, 0);
    EXPECT_GT(BENCH_Count(open, NotBlack).count, kBand / 2);
    EXPECT_LT(BENCH_Count(edges, NotBlack, 80, 81).brightness, 3) << "the band's bottom edge";
    EXPECT_LT(BENCH_Count(edges, NotBlack, 399, 400).brightness, 3) << "the band's top edge";
    EXPECT_GT(BENCH_Count(edges, NotBlack, 236, 244).count, 640 * 8 / 2) << "the middle is clear";
    EXPECT_EQ(BENCH_Count(closed, NotBlack).count, 0);
}

TEST_F(Zelto, StripesChangeOnlyWhenChannelOneReachesOne) {
    BENCH_EnterEntry(10);
    uint8_t before[161];
    At(0.5f, 1.0f);
    std::memcpy(before, intro_rand, sizeof before);
    At(0.5f, 0.999f);
    EXPECT_EQ(std::memcmp(before, intro_rand, sizeof before), 0);
    At(0.5f, 1.0f);
    EXPECT_NE(std::memcmp(before, intro_rand, sizeof before), 0);
    for (uint8_t a : intro_rand) EXPECT_LT(a, 128);
}

}  // namespace
