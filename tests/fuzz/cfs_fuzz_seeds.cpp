// Writes the fuzzer's seed drives into the folder given as argument: small
// well-formed drives from the writer, covering both entry types.
#include <cstdio>
#include <string>

#include "archive/cfs.h"
#include "archive/cfs_writer.h"

static std::vector<uint8_t> SEEDS_Gradient(uint32_t width, uint32_t height) {
    std::vector<uint8_t> rgb;
    for (uint32_t i = 0; i < width * height; i++)
        rgb.insert(rgb.end(), {uint8_t(i), uint8_t(i * 7), 200});
    return rgb;
}

int main(int argc, char** argv) {
    if (argc != 2) {
        fputs("usage: cfs_fuzz_seeds FOLDER\n", stderr);
        return 2;
    }
    const std::vector<float> pyramid = {0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 1, 1, 0, 0,
                                        0, 0, 0, 0, 1, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 3, 3, 3};
    const std::vector<std::vector<CFS_WriterEntry>> drives = {
        {},
        {{"bootpic", CFS_TYPE_PNG24, CFS_WRITER_Picture(SEEDS_Gradient(8, 4), 8, 4, 4, 2)},
         {"wsypa", CFS_TYPE_ASE, CFS_WRITER_Mesh(pyramid)}},
        {{"tunel", CFS_TYPE_ASE, CFS_WRITER_Mesh({})}},
        {{"zelto", CFS_TYPE_PNG24, CFS_WRITER_Picture(SEEDS_Gradient(16, 16), 16, 16, 16, 16)}},
        {{"de", CFS_TYPE_ASE, CFS_WRITER_Mesh({1, 2, 3, 4, 5, 6, 7, 8, 9})},
         {"ef", CFS_TYPE_ASE, CFS_WRITER_Mesh(pyramid)},
         {"shl", CFS_TYPE_PNG24, CFS_WRITER_Picture(SEEDS_Gradient(4, 1), 4, 1, 4, 1)}}};
    for (size_t i = 0; i < drives.size(); i++) {
        const std::string path = std::string(argv[1]) + "/seed" + std::to_string(i) + ".cfs";
        if (!CFS_WRITER_Save(path.c_str(), drives[i])) {
            fprintf(stderr, "cfs_fuzz_seeds: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
