// The cfs tool: a drive packed from files and unpacked again gives back the
// same pixels and triangles; broken drives and wrong arguments are reported.
#include "archive/cfs.h"

#include <gtest/gtest.h>
#include <png.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "media/png_write.h"
#include "tests/support/archive_support.h"
#include "tests/support/shell_quote.h"

namespace {

struct ToolRun {
    int status;
    std::string out;  // standard output and standard error together
};

// The tool run with these arguments, each one shell word.
ToolRun Cfs(const std::vector<std::string>& arguments) {
    std::string command = TEST_Quote(CFS_TOOL);
    for (const std::string& argument : arguments) command += " " + TEST_Quote(argument);
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    ToolRun run{-1, ""};
    char chunk[512];
    for (size_t got; (got = fread(chunk, 1, sizeof chunk, pipe)) > 0;) run.out.append(chunk, got);
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

std::filesystem::path Folder(const char* name) {
    const std::filesystem::path folder = std::filesystem::path(testing::TempDir()) / name;
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    return folder;
}

std::vector<uint8_t> ReadPngRgb(const std::string& path, uint32_t& width, uint32_t& height) {
    png_image image;
    memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    EXPECT_TRUE(png_image_begin_read_from_file(&image, path.c_str())) << path;
    image.format = PNG_FORMAT_RGB;
    std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(image));
    EXPECT_TRUE(png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr));
    width = image.width;
    height = image.height;
    return rgb;
}

void WritePngRgb(const std::string& path, const std::vector<uint8_t>& rgb, uint32_t width,
                 uint32_t height) {
    ASSERT_TRUE(MEDIA_WritePng(path, rgb, int(width), int(height)));
}

// The triangles of entry name in the drive at path, read by the program's reader.
std::vector<float> DriveTriangles(const std::string& path, const char* name) {
    testing::internal::CaptureStdout();
    CFS_Open(path.c_str());
    const CFS_Mesh* mesh = CFS_ReadASE(name);
    CFS_Close();
    testing::internal::GetCapturedStdout();
    return std::vector<float>(mesh->tris, mesh->tris + 9 * size_t(mesh->numfaces));
}

}  // namespace

TEST(CfsTool, RoundTripKeepsPixelsAndTriangles) {
    const std::vector<uint8_t> sky = ARCHIVE_TEST_Noise(512 * 96 * 3, 11);
    const std::vector<uint8_t> caption = ARCHIVE_TEST_Noise(12 * 6 * 3, 12);
    const std::vector<float> tris = {0.1f, -2.5f, 3e-7f, 1, 1, 1, -1e8f, 0.333333343f, 7,
                                     4,    5,     6,     7, 8, 9, 1.5f,  2.5f,         3.5f};
    const std::string drive = ARCHIVE_TEST_File(
        CFS_WRITER_Drive({{"sky1", CFS_TYPE_PNG24, CFS_WRITER_Picture(sky, 512, 96, 128, 32)},
                          {"shl", CFS_TYPE_PNG24, CFS_WRITER_Picture(caption, 12, 6, 4, 2)},
                          {"pien2", CFS_TYPE_ASE, CFS_WRITER_Mesh(tris)}}));

    const ToolRun verify = Cfs({"verify", drive});
    EXPECT_EQ(verify.status, 0) << verify.out;
    EXPECT_NE(verify.out.find("3 entries, 0 broken"), std::string::npos) << verify.out;
    const ToolRun list = Cfs({"list", drive});
    EXPECT_EQ(list.status, 0);
    EXPECT_NE(list.out.find("4 x 3 tiles of 128 x 32, 512 x 96 pixels"), std::string::npos)
        << list.out;
    EXPECT_NE(list.out.find("3 x 3 tiles of 4 x 2, 12 x 6 pixels"), std::string::npos) << list.out;
    EXPECT_NE(list.out.find("2 triangles"), std::string::npos) << list.out;

    const std::filesystem::path files = Folder("cfs_round_trip");
    for (const char* name : {"sky1", "shl"})
        EXPECT_EQ(
            Cfs({"extract", drive, name, (files / name).string() + ".png"}).status,
            0);
    EXPECT_EQ(Cfs({"extract", drive, "pien2", (files / "pien2.obj").string()}).status, 0);
    uint32_t width = 0, height = 0;
    EXPECT_EQ(ReadPngRgb((files / "sky1.png").string(), width, height), sky);
    EXPECT_EQ(width, 512u);
    EXPECT_EQ(height, 96u);
    EXPECT_EQ(ReadPngRgb((files / "shl.png").string(), width, height), caption);

    const std::string repacked = (files / "again.cfs").string();
    const ToolRun pack = Cfs({"pack", repacked, files.string()});
    ASSERT_EQ(pack.status, 0) << pack.out;
    EXPECT_EQ(DriveTriangles(repacked, "pien2"), tris);
    EXPECT_EQ(Cfs({"extract", repacked, "sky1", (files / "back.png").string()}).status, 0);
    EXPECT_EQ(ReadPngRgb((files / "back.png").string(), width, height), sky);
}

TEST(CfsTool, PackSplitsPolygonsAndRefusesUntileablePictures) {
    const std::filesystem::path files = Folder("cfs_pack");
    std::ofstream((files / "quad.obj").string())
        << "# a unit square\nv 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\n"
           "vn 0 0 1\nf 1//1 2//1 3//1 -1//1\n";
    const std::string drive = (files / "quad.cfs").string();
    ASSERT_EQ(Cfs({"pack", drive, files.string()}).status, 0);
    EXPECT_EQ(DriveTriangles(drive, "quad"), (std::vector<float>{0, 0, 0, 1, 0, 0, 1, 1, 0,  //
                                                                 0, 0, 0, 1, 1, 0, 0, 1, 0}));

    WritePngRgb((files / "odd.png").string(), std::vector<uint8_t>(6 * 4 * 3), 6, 4);
    const ToolRun odd = Cfs({"pack", drive, files.string()});
    EXPECT_EQ(odd.status, 1);
    EXPECT_NE(odd.out.find("odd.png: a 6 x 4 picture cannot be cut into tiles"), std::string::npos)
        << odd.out;
    std::filesystem::remove(files / "odd.png");

    std::ofstream((files / "bad.obj").string()) << "v 0 0 0\nf 1 2 3\n";
    const ToolRun bad = Cfs({"pack", drive, files.string()});
    EXPECT_EQ(bad.status, 1);
    EXPECT_NE(bad.out.find("bad.obj:2: vertex 2 does not exist"), std::string::npos) << bad.out;
}

TEST(CfsTool, VerifyNamesEveryBrokenEntry) {
    std::vector<uint8_t> bytes = CFS_WRITER_Drive(
        {{"tsy", CFS_TYPE_ASE, CFS_WRITER_Mesh(std::vector<float>(9, 1))},
         {"ex_hb", CFS_TYPE_PNG24, CFS_WRITER_Picture(std::vector<uint8_t>(48), 4, 4, 4, 4)},
         {"de", CFS_TYPE_ASE, CFS_WRITER_Mesh(std::vector<float>(18, 2))}});
    bytes[bytes.size() - 3] ^= 0xff;  // inside the last stream's checksum
    ARCHIVE_TEST_Patch(bytes, ARCHIVE_TEST_EntryField(1, offsetof(CFS_Entry, type)), 99);
    const std::string drive = ARCHIVE_TEST_File(bytes);
    const ToolRun verify = Cfs({"verify", drive});
    EXPECT_EQ(verify.status, 1);
    EXPECT_NE(verify.out.find("tsy: ok, 1 triangle\n"), std::string::npos) << verify.out;
    EXPECT_NE(verify.out.find("ex_hb: type code 99 is neither a picture nor a mesh\n"),
              std::string::npos);
    EXPECT_NE(verify.out.find("de: CFS_Read: Fatal error: decompression failed.\n"),
              std::string::npos);
    EXPECT_NE(verify.out.find("3 entries, 2 broken"), std::string::npos);
    const std::string out = testing::TempDir() + "extracted";
    EXPECT_EQ(Cfs({"extract", drive, "de", out}).status, 1);
    EXPECT_EQ(Cfs({"extract", drive, "nothing", out}).status, 1);
}

TEST(CfsTool, WrongArgumentsShowUsage) {
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{}, {"list"}, {"verify", "a", "b"}, {"extract", "a", "b"},
          {"pack", "a"}, {"unpack", "a", "b"}}) {
        const ToolRun run = Cfs(arguments);
        EXPECT_EQ(run.status, 2) << testing::PrintToString(arguments);
        EXPECT_EQ(run.out.rfind("usage: cfs list DRIVE", 0), 0u) << testing::PrintToString(arguments);
    }
}
