// Writes the production's drive: every picture and mesh the scenes read,
// generated from fixed seeds, so each build writes the same bytes.
//   amber_mkdrive OUTPUT
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <vector>

#include "archive/cfs.h"
#include "archive/cfs_writer.h"
#include "platform/fatal.h"
#include "tools/mkdrive/meshes.h"
#include "tools/mkdrive/pictures.h"
#include "tools/tool_args.h"

namespace {

// Entries in the order the scenes load them.
const char* const kDriveOrder[] = {
    "bootpic", "tsy",      "de",     "ef",    "foremka", "developed", "thornax", "amber",
    "grid",    "aniooteq", "ex_hb",  "wsypa", "pien1",   "pien2",     "korona1", "korona2",
    "shl",     "sky1",     "tmagic", "tunel", "rurawew", "rurazew",   "lans",    "zelto",
};

void MKDRIVE_Fatal(const char* what) {
    FATAL_Exit(("MKDRIVE_Main: FATAL_ERROR: " + std::string(what) + "\n").c_str());
}

std::vector<CFS_WriterEntry> MKDRIVE_Entries() {
    std::vector<CFS_WriterEntry> made;
    for (const PICT_Entry& p : PICT_BuildAll())
        made.push_back({p.name, CFS_TYPE_PNG24,
                        CFS_WRITER_Picture(p.rgb, p.width, p.height, p.tile_width, p.tile_height)});
    for (const MESH_Entry& m : MESH_BuildAll())
        made.push_back({m.name, CFS_TYPE_ASE, CFS_WRITER_Mesh(m.tris)});
    std::vector<CFS_WriterEntry> ordered;
    for (const char* name : kDriveOrder) {
        size_t i = 0;
        while (i < made.size() && made[i].name != name) ++i;
        if (i == made.size()) MKDRIVE_Fatal("An entry has no generator.");
        ordered.push_back(std::move(made[i]));
    }
    if (ordered.size() != made.size())
        MKDRIVE_Fatal("A generated entry has no place on the drive.");
    return ordered;
}

}  // namespace

int main(int argc, char** argv) {
    TOOL_ARGS_Operands(argc, argv, 1, "usage: amber_mkdrive OUTPUT\n");
    std::vector<CFS_WriterEntry> entries;
    try {
        entries = MKDRIVE_Entries();
    } catch (const std::exception& e) {
        MKDRIVE_Fatal(e.what());
    }
    if (!CFS_WRITER_Save(argv[1], entries)) MKDRIVE_Fatal("Could not write the drive.");
    printf("amber_mkdrive: wrote %s (%zu entries)\n", argv[1], entries.size());
    return 0;
}
