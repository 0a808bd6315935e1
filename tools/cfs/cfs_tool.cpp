// cfs: lists, checks, unpacks and packs drives. Entries are read with the
// program's own handler and readers, so verify judges a drive exactly as
// the program would; each entry is read in a child process, because the
// handler ends the process at the first broken entry.
#include "archive/cfs.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "archive/cfs_writer.h"
#include "tools/cfs/cfs_files.h"
#include "tools/tool_args.h"

// The largest tile edge pack chooses; every OpenGL 1.x driver takes it.
constexpr uint32_t kMaxTile = 256;

static const char kUsage[] =
    "usage: cfs list DRIVE              show each entry: type, sizes, contents\n"
    "       cfs verify DRIVE            read every entry as the program does;\n"
    "                                   exit status 0 only when all are sound\n"
    "       cfs extract DRIVE NAME OUT  write a picture entry as PNG, a mesh entry as OBJ\n"
    "       cfs pack OUT DIR            make drive OUT from the .png and .obj files in DIR,\n"
    "                                   each named after its file without the extension\n";

struct CFS_TOOL_Probe {
    bool sound;
    std::string text;  // the contents, or the reason the entry is unreadable
};

static const char* CFS_TOOL_TypeName(uint32_t type) {
    if (type == CFS_TYPE_PNG24) return "picture";
    if (type == CFS_TYPE_ASE) return "mesh";
    return "unknown";
}

// Runs in the child: reads the entry through the readers and prints what it holds.
[[noreturn]] static void CFS_TOOL_Describe(const CFS_Entry& entry) {
    if (entry.type == CFS_TYPE_PNG24) {
        const CFS_Pict* pict = CFS_ReadPNG24(entry.name);
        printf("%u x %u tiles of %u x %u, %u x %u pixels", pict->tiles_across, pict->tiles_down,
               pict->tile_width, pict->tile_height, pict->tiles_across * pict->tile_width,
               pict->tiles_down * pict->tile_height);
    } else if (entry.type == CFS_TYPE_ASE) {
        const CFS_Mesh* mesh = CFS_ReadASE(entry.name);
        CFS_CalcNormsASE(mesh);
        printf("%u triangle%s", mesh->numfaces, mesh->numfaces == 1 ? "" : "s");
    } else {
        printf("type code %u is neither a picture nor a mesh", entry.type);
        exit(1);
    }
    exit(0);
}

static std::string CFS_TOOL_ReadAll(int fd) {
    std::string text;
    char chunk[512];
    for (ssize_t got; (got = read(fd, chunk, sizeof chunk)) > 0;) text.append(chunk, size_t(got));
    while (!text.empty() && text.back() == '\n') text.pop_back();
    return text;
}

static CFS_TOOL_Probe CFS_TOOL_ProbeEntry(const CFS_Entry& entry) {
    int channel[2];
    if (pipe(channel) != 0) CFS_FILES_Fail("cannot create a pipe");
    fflush(stdout);
    const pid_t child = fork();
    if (child < 0) CFS_FILES_Fail("cannot start a child process");
    if (child == 0) {
        close(channel[0]);
        dup2(channel[1], STDOUT_FILENO);
        CFS_TOOL_Describe(entry);
    }
    close(channel[1]);
    CFS_TOOL_Probe probe{false, CFS_TOOL_ReadAll(channel[0])};
    close(channel[0]);
    int status = 0;
    waitpid(child, &status, 0);
    probe.sound = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    if (WIFSIGNALED(status))
        probe.text = "reading it crashed: " + std::string(strsignal(WTERMSIG(status)));
    return probe;
}

// Only the first entry of a name can ever be read.
static bool CFS_TOOL_IsShadowed(uint32_t index) {
    for (uint32_t i = 0; i < index; i++)
        if (std::strcmp(cfs_directory[i].name, cfs_directory[index].name) == 0) return true;
    return false;
}

static CFS_TOOL_Probe CFS_TOOL_Check(uint32_t index) {
    if (CFS_TOOL_IsShadowed(index)) return {false, "an earlier entry has the same name"};
    return CFS_TOOL_ProbeEntry(cfs_directory[index]);
}

static int CFS_TOOL_List(const char* drive) {
    CFS_Open(drive);
    printf("%-39s %-8s %10s %10s  %s\n", "name", "type", "stored", "inflated", "contents");
    for (uint32_t i = 0; i < cfs_nfiles; i++) {
        const CFS_Entry entry = cfs_directory[i];
        const CFS_TOOL_Probe probe = CFS_TOOL_Check(i);
        printf("%-39s %-8s %10u %10u  %s%s\n", entry.name, CFS_TOOL_TypeName(entry.type),
               entry.csize, entry.isize, probe.sound ? "" : "unreadable: ", probe.text.c_str());
    }
    CFS_Close();
    return 0;
}

static int CFS_TOOL_Verify(const char* drive) {
    CFS_Open(drive);
    uint32_t broken = 0;
    for (uint32_t i = 0; i < cfs_nfiles; i++) {
        const CFS_TOOL_Probe probe = CFS_TOOL_Check(i);
        printf("%s: %s%s\n", cfs_directory[i].name, probe.sound ? "ok, " : "", probe.text.c_str());
        broken += probe.sound ? 0 : 1;
    }
    printf("%u entries, %u broken\n", cfs_nfiles, broken);
    CFS_Close();
    return broken == 0 ? 0 : 1;
}

static int CFS_TOOL_Extract(const char* drive, const char* name, const char* out) {
    CFS_Open(drive);
    const CFS_Entry* entry =
        std::find_if(cfs_directory, cfs_directory + cfs_nfiles,
                     [&](const CFS_Entry& e) { return std::strcmp(e.name, name) == 0; });
    if (entry == cfs_directory + cfs_nfiles)
        CFS_FILES_Fail("%s: no entry is named '%s'", drive, name);
    if (entry->type == CFS_TYPE_PNG24)
        CFS_FILES_WritePng(out, CFS_FILES_Untile(*CFS_ReadPNG24(name)));
    else if (entry->type == CFS_TYPE_ASE)
        CFS_FILES_WriteObj(out, *CFS_ReadASE(name));
    else
        CFS_FILES_Fail("%s: entry '%s' has the unknown type code %u", drive, name, entry->type);
    CFS_Close();
    printf("wrote %s\n", out);
    return 0;
}

// The largest power of two up to the tile limit that divides size.
static uint32_t CFS_TOOL_TileEdge(uint32_t size) {
    uint32_t edge = kMaxTile;
    while (size % edge != 0) edge /= 2;
    return edge;
}

static std::vector<uint8_t> CFS_TOOL_PicturePayload(const std::string& path) {
    const CFS_FILES_Picture picture = CFS_FILES_ReadPng(path);
    try {
        return CFS_WRITER_Picture(picture.rgb, picture.width, picture.height,
                                  CFS_TOOL_TileEdge(picture.width),
                                  CFS_TOOL_TileEdge(picture.height));
    } catch (const std::invalid_argument& error) {
        CFS_FILES_Fail(
            "%s: a %u x %u picture cannot be cut into tiles: %s (the width must be a "
            "multiple of 4)",
            path.c_str(), picture.width, picture.height, error.what());
    }
}

static std::vector<std::filesystem::path> CFS_TOOL_PackSources(const char* dir) {
    std::vector<std::filesystem::path> sources;
    std::error_code error;
    for (const auto& item : std::filesystem::directory_iterator(dir, error)) {
        const std::string ext = item.path().extension().string();
        if (item.is_regular_file() && (ext == ".png" || ext == ".obj"))
            sources.push_back(item.path());
    }
    if (error) CFS_FILES_Fail("%s: %s", dir, error.message().c_str());
    std::sort(sources.begin(), sources.end());
    return sources;
}

static int CFS_TOOL_Pack(const char* out, const char* dir) {
    std::vector<CFS_WriterEntry> entries;
    try {
        for (const std::filesystem::path& source : CFS_TOOL_PackSources(dir)) {
            const std::string name = source.stem().string();
            if (source.extension() == ".png")
                entries.push_back({name, CFS_TYPE_PNG24, CFS_TOOL_PicturePayload(source.string())});
            else
                entries.push_back(
                    {name, CFS_TYPE_ASE, CFS_WRITER_Mesh(CFS_FILES_ReadObj(source.string()))});
        }
        if (!CFS_WRITER_Save(out, entries)) CFS_FILES_Fail("%s: cannot be written", out);
    } catch (const std::exception& error) {
        CFS_FILES_Fail("%s: %s", out, error.what());
    }
    printf("packed %zu entries into %s\n", entries.size(), out);
    return 0;
}

int main(int argc, char** argv) {
    TOOL_ARGS_NoOptions(argc, argv, kUsage);
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "list" && argc == 3) return CFS_TOOL_List(argv[2]);
    if (command == "verify" && argc == 3) return CFS_TOOL_Verify(argv[2]);
    if (command == "extract" && argc == 5) return CFS_TOOL_Extract(argv[2], argv[3], argv[4]);
    if (command == "pack" && argc == 4) return CFS_TOOL_Pack(argv[2], argv[3]);
    TOOL_ARGS_Fail(kUsage, "");
}
