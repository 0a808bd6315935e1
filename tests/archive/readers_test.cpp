// The picture and mesh readers and the face normals, on drives made by the
// writer; damaged payloads are made by editing the writer's payloads.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>

#include "archive/cfs.h"
#include "tests/support/archive_support.h"

namespace {

constexpr uint8_t kRed[3] = {255, 0, 0}, kBlue[3] = {0, 0, 255};

std::vector<uint8_t> Words(std::initializer_list<uint32_t> words) {
    std::vector<uint8_t> bytes(words.size() * 4);
    size_t at = 0;
    for (uint32_t w : words) ARCHIVE_TEST_Patch(bytes, 4 * at++, w);
    return bytes;
}

std::vector<uint8_t> Concat(std::vector<uint8_t> a, const std::vector<uint8_t>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Opens a drive with the given entries, quietly, in this process.
void OpenDrive(const std::vector<CFS_WriterEntry>& entries) {
    const std::string path = ARCHIVE_TEST_File(CFS_WRITER_Drive(entries));
    testing::internal::CaptureStdout();
    CFS_Open(path.c_str());
    testing::internal::GetCapturedStdout();
}

void CloseDrive() {
    testing::internal::CaptureStdout();
    CFS_Close();
    testing::internal::GetCapturedStdout();
}

// Reads name with the reader of type from a drive of the given entries in a
// child, with allocations of failing_allocation bytes failing; returns what
// followed the two open lines.
ARCHIVE_TEST_Outcome ReadInChild(const std::vector<CFS_WriterEntry>& entries, const char* name,
                                 uint32_t type, size_t failing_allocation = 0) {
    const std::string path = ARCHIVE_TEST_File(CFS_WRITER_Drive(entries));
    ARCHIVE_TEST_Outcome outcome = ARCHIVE_TEST_InChild([&] {
        CFS_Open(path.c_str());
        ARCHIVE_TEST_FailAllocationsOf(failing_allocation);
        if (type == CFS_TYPE_ASE)
            CFS_CalcNormsASE(CFS_ReadASE(name));
        else
            CFS_ReadPNG24(name);
    });
    const std::string opened = "files in drive)\n";
    const size_t end = outcome.out.find(opened);
    if (end != std::string::npos) outcome.out.erase(0, end + opened.size());
    return outcome;
}

}  // namespace

TEST(PictureReader, KeepsTheTileGridAndCopiesThePixels) {
    const std::vector<uint8_t> payload =
        Concat(Words({2, 1, 256, 128}), ARCHIVE_TEST_Noise(196608 + 50, 7));
    const std::vector<uint8_t> one_tile = Concat(Words({1, 1, 8, 2}), ARCHIVE_TEST_Noise(48, 8));
    OpenDrive({{"developed", CFS_TYPE_PNG24, payload}, {"shl", CFS_TYPE_PNG24, one_tile}});
    const CFS_Pict* pict = CFS_ReadPNG24("developed");
    const CFS_Pict* tile = CFS_ReadPNG24("shl");
    CloseDrive();
    EXPECT_EQ(pict->tile_width, 256u);
    EXPECT_EQ(pict->tile_height, 128u);
    EXPECT_EQ(pict->tiles_across, 2u);
    EXPECT_EQ(pict->tiles_down, 1u);
    EXPECT_EQ(memcmp(pict->pixels, payload.data() + 16, 196608), 0);
    EXPECT_EQ(tile->tiles_across * tile->tiles_down * tile->tile_width * tile->tile_height, 16u);
    EXPECT_EQ(memcmp(tile->pixels, one_tile.data() + 16, 48), 0);
}

// A picture red at the top and blue at the bottom: the first tile is the
// bottom one, and each tile's first row is its top row.
TEST(PictureReader, TilesRunUpwardAndRowsDownward) {
    std::vector<uint8_t> rgb;
    for (int y = 0; y < 8; y++)
        for (int x = 0; x < 4; x++)
            rgb.insert(rgb.end(), y < 4 ? kRed : kBlue, (y < 4 ? kRed : kBlue) + 3);
    rgb[3 * (4 * 4)] = 7;  // first pixel of row 4, the top row of the bottom tile
    OpenDrive({{"amber", CFS_TYPE_PNG24, CFS_WRITER_Picture(rgb, 4, 8, 4, 4)}});
    const CFS_Pict* pict = CFS_ReadPNG24("amber");
    CloseDrive();
    ASSERT_EQ(pict->tiles_down, 2u);
    EXPECT_EQ(pict->pixels[0], 7);
    EXPECT_EQ(memcmp(pict->pixels + 3, kBlue, 3), 0);
    EXPECT_EQ(memcmp(pict->pixels + 48, kRed, 3), 0);
}

TEST(PictureReader, RejectsUnsafePayloads) {
    const std::vector<uint8_t> pixels = ARCHIVE_TEST_Noise(4 * 4 * 3, 3);
    const std::string truncated = "CFS_ReadPNG24: FATAL_ERROR: Picture payload is truncated.\n";
    const std::pair<std::vector<uint8_t>, std::string> cases[] = {
        {Words({1, 1, 4}), truncated},
        {Concat(Words({1, 1, 4, 4}), {pixels.begin(), pixels.end() - 1}), truncated},
        // 65536 x 65536 x 3 wraps to 0 in 32 bits.
        {Words({1, 1, 65536, 65536}), truncated},
        {Concat(Words({1, 1, 12, 4}), pixels),
         "CFS_ReadPNG24: FATAL_ERROR: Tile size is not a power of two.\n"},
        {Concat(Words({1, 1, 2, 8}), pixels),
         "CFS_ReadPNG24: FATAL_ERROR: Tile width is not a multiple of 4.\n"}};
    for (const auto& [payload, message] : cases) {
        const ARCHIVE_TEST_Outcome outcome =
            ReadInChild({{"lans", CFS_TYPE_PNG24, payload}}, "lans", CFS_TYPE_PNG24);
        EXPECT_EQ(outcome.status, 1);
        EXPECT_EQ(outcome.out, message);
    }
    const ARCHIVE_TEST_Outcome mesh =
        ReadInChild({{"tsy", CFS_TYPE_ASE, Words({0, 0})}}, "tsy", CFS_TYPE_PNG24);
    EXPECT_EQ(mesh.out, "CFS_Read: FATAL_ERROR: Wrong file type.\n");
}

TEST(MeshReader, ReadsCountSecondWordAndTriangles) {
    const std::vector<uint8_t> one = CFS_WRITER_Mesh({1, 2, 3, 4, 5, 6, 7, 8, 9});
    std::vector<uint8_t> with_seven = Concat(one, Words({0xdeadbeef}));
    ARCHIVE_TEST_Patch(with_seven, 4, 7);
    OpenDrive({{"tsy", CFS_TYPE_ASE, with_seven},
               {"de", CFS_TYPE_ASE, CFS_WRITER_Mesh(std::vector<float>())}});
    const CFS_Mesh* mesh = CFS_ReadASE("tsy");
    const CFS_Mesh* empty = CFS_ReadASE("de");
    CloseDrive();
    EXPECT_EQ(mesh->numfaces, 1u);
    EXPECT_EQ(mesh->numvertex, 7u);
    for (int i = 0; i < 9; i++) EXPECT_EQ(mesh->tris[i], float(i + 1));
    EXPECT_EQ(empty->numfaces, 0u);
    EXPECT_NE(CFS_CalcNormsASE(empty), nullptr);
}

TEST(MeshReader, RejectsUnsafePayloads) {
    const std::vector<uint8_t> one = CFS_WRITER_Mesh({1, 2, 3, 4, 5, 6, 7, 8, 9});
    std::vector<uint8_t> two_announced = one, all_announced = one;
    ARCHIVE_TEST_Patch(two_announced, 0, 2);
    ARCHIVE_TEST_Patch(all_announced, 0, 0xffffffff);
    const std::string truncated = "CFS_ReadASE: FATAL_ERROR: Mesh payload is truncated.\n";
    for (const std::vector<uint8_t>& payload : {Words({1}), two_announced, all_announced}) {
        const ARCHIVE_TEST_Outcome outcome =
            ReadInChild({{"tunel", CFS_TYPE_ASE, payload}}, "tunel", CFS_TYPE_ASE);
        EXPECT_EQ(outcome.status, 1);
        EXPECT_EQ(outcome.out, truncated);
    }
    const ARCHIVE_TEST_Outcome pict =
        ReadInChild({{"sky1", CFS_TYPE_PNG24, Words({0, 0, 4, 4})}}, "sky1", CFS_TYPE_ASE);
    EXPECT_EQ(pict.out, "CFS_Read: FATAL_ERROR: Wrong file type.\n");
}

// The payload lengths are checked against what was inflated, not against
// the directory's isize.
TEST(Readers, CheckTheInflatedLengthNotIsize) {
    for (const CFS_WriterEntry& entry :
         {CFS_WriterEntry{"zelto", CFS_TYPE_PNG24, Words({1, 1, 4, 4})},
          CFS_WriterEntry{"pien1", CFS_TYPE_ASE, Words({1, 0})}}) {
        std::vector<uint8_t> bytes = CFS_WRITER_Drive({entry});
        ARCHIVE_TEST_Patch(bytes, ARCHIVE_TEST_EntryField(0, offsetof(CFS_Entry, isize)), 4096);
        const std::string path = ARCHIVE_TEST_File(bytes);
        const ARCHIVE_TEST_Outcome outcome = ARCHIVE_TEST_InChild([&] {
            CFS_Open(path.c_str());
            entry.type == CFS_TYPE_ASE ? (void)CFS_ReadASE(entry.name.c_str())
                                       : (void)CFS_ReadPNG24(entry.name.c_str());
        });
        EXPECT_EQ(outcome.status, 1);
        EXPECT_NE(outcome.out.find("FATAL_ERROR: " +
                                   std::string(entry.type == CFS_TYPE_ASE ? "Mesh" : "Picture") +
                                   " payload is truncated.\n"),
                  std::string::npos)
            << outcome.out;
    }
}

TEST(Readers, FailedAllocationsAreFatal) {
    if (!ARCHIVE_TEST_FailAllocationsOf(0)) GTEST_SKIP() << "the allocator cannot be replaced here";
    const std::vector<CFS_WriterEntry> drive = {
        {"grid", CFS_TYPE_PNG24,
         CFS_WRITER_Picture(std::vector<uint8_t>(64 * 32 * 3, 9), 64, 32, 64, 32)},
        {"korona1", CFS_TYPE_ASE, CFS_WRITER_Mesh(std::vector<float>(9 * 50, 1.5f))}};
    const std::tuple<size_t, uint32_t, std::string> cases[] = {
        {sizeof(CFS_Pict), CFS_TYPE_PNG24,
         "CFS_ReadPNG24: FATAL_ERROR: Memory allocation failed.\n"},
        {64 * 32 * 3, CFS_TYPE_PNG24, "FATAL_ERROR: Memory allocation failed.\n"},
        {sizeof(CFS_Mesh), CFS_TYPE_ASE, "CFS_ReadASE: FATA_ERROR: Memory allocation failed.\n"},
        {50 * 36, CFS_TYPE_ASE, "CFS_ReadASE: FATA_ERROR: Memory allocation failed.\n"},
        {50 * 12, CFS_TYPE_ASE, "CFS_CalcNorms: ASE filter: memory allocation failed.\n"}};
    for (const auto& [size, type, message] : cases) {
        const ARCHIVE_TEST_Outcome outcome =
            ReadInChild(drive, type == CFS_TYPE_ASE ? "korona1" : "grid", type, size);
        EXPECT_EQ(outcome.status, 1) << size;
        EXPECT_EQ(outcome.out, message);
    }
}

TEST(Normals, FollowTheCornerOrderAndAreUnitLength) {
    std::vector<float> tris = {0, 0, 0, 1, 0, 0, 0, 1, 0,  //
                               0, 0, 0, 0, 1, 0, 1, 0, 0,  //
                               0, 0, 0, 2, 0, 0, 0, 2, 0,  //
                               0, 0, 0, 1, 1, 1, 2, 2, 2,  //
                               3, 4, 5, 3, 4, 5, 9, 9, 9};
    const CFS_Mesh mesh{tris.data(), 0, 5};
    std::vector<float> kept(mesh.tris, mesh.tris + 45);
    const CFS_Norms* n = CFS_CalcNormsASE(&mesh);
    const float expected[5][3] = {{0, 0, 1}, {0, 0, -1}, {0, 0, 1}, {0, 0, 0}, {0, 0, 0}};
    for (int i = 0; i < 5; i++) {
        EXPECT_EQ(n[i].x, expected[i][0]) << i;
        EXPECT_EQ(n[i].y, expected[i][1]) << i;
        EXPECT_EQ(n[i].z, expected[i][2]) << i;
    }
    EXPECT_EQ(std::vector<float>(mesh.tris, mesh.tris + 45), kept);
}

// Random triangles with edges of at least a tenth of their span, so that the
// reference in double precision is well defined.
TEST(Normals, MatchADoublePrecisionReference) {
    std::mt19937 random(2024);
    std::uniform_real_distribution<float> coordinate(-10.0f, 10.0f);
    std::vector<float> tris;
    while (tris.size() < 9 * 2000) {
        float p[9];
        for (float& c : p) c = coordinate(random);
        const double ux = p[3] - p[0], uy = p[4] - p[1], uz = p[5] - p[2];
        const double vx = p[6] - p[3], vy = p[7] - p[4], vz = p[8] - p[5];
        const double cx = uy * vz - uz * vy, cy = uz * vx - ux * vz, cz = ux * vy - uy * vx;
        const double area2 = std::sqrt(cx * cx + cy * cy + cz * cz);
        if (area2 < 0.1 * (ux * ux + uy * uy + uz * uz + vx * vx + vy * vy + vz * vz)) continue;
        tris.insert(tris.end(), p, p + 9);
    }
    const CFS_Mesh mesh{tris.data(), 0, uint32_t(tris.size() / 9)};
    const CFS_Norms* n = CFS_CalcNormsASE(&mesh);
    for (uint32_t i = 0; i < mesh.numfaces; i++) {
        const float* p = &tris[9 * i];
        const double ux = double(p[3]) - p[0], uy = double(p[4]) - p[1], uz = double(p[5]) - p[2];
        const double vx = double(p[6]) - p[3], vy = double(p[7]) - p[4], vz = double(p[8]) - p[5];
        const double cx = uy * vz - uz * vy, cy = uz * vx - ux * vz, cz = ux * vy - uy * vx;
        const double length = std::sqrt(cx * cx + cy * cy + cz * cz);
        ASSERT_NEAR(n[i].x, cx / length, 1e-6) << i;
        ASSERT_NEAR(n[i].y, cy / length, 1e-6) << i;
        ASSERT_NEAR(n[i].z, cz / length, 1e-6) << i;
    }
}

TEST(DriveWriter, RefusesPicturesAndNamesItCannotStore) {
    const std::vector<uint8_t> rgb(16 * 8 * 3);
    EXPECT_THROW(CFS_WRITER_Picture(rgb, 16, 8, 16, 6),
                 std::invalid_argument);  // not a power of two
    EXPECT_THROW(CFS_WRITER_Picture(rgb, 16, 8, 2, 8), std::invalid_argument);   // narrower than 4
    EXPECT_THROW(CFS_WRITER_Picture(rgb, 16, 8, 32, 8), std::invalid_argument);  // not whole tiles
    EXPECT_THROW(CFS_WRITER_Picture(rgb, 16, 9, 16, 8),
                 std::invalid_argument);  // wrong pixel count
    EXPECT_THROW(CFS_WRITER_Mesh(std::vector<float>(10)), std::invalid_argument);
    const std::vector<uint8_t> payload(4);
    EXPECT_THROW(CFS_WRITER_Drive({{std::string(40, 'n'), CFS_TYPE_ASE, payload}}),
                 std::invalid_argument);
    EXPECT_THROW(CFS_WRITER_Drive({{"", CFS_TYPE_ASE, payload}}), std::invalid_argument);
    EXPECT_THROW(CFS_WRITER_Drive({{"de", CFS_TYPE_ASE, payload}, {"de", CFS_TYPE_PNG24, payload}}),
                 std::invalid_argument);
    EXPECT_FALSE(CFS_WRITER_Save("/nonexistent-folder/drive.cfs", {}));
    // A drive that cannot take its place leaves nothing behind.
    const std::string folder = testing::TempDir() + "a_folder";
    std::filesystem::create_directories(folder + "/inside");
    EXPECT_FALSE(CFS_WRITER_Save(folder.c_str(), {}));
    EXPECT_FALSE(std::filesystem::exists(folder + ".part"));
}
