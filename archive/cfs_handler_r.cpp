// The drive handler: opens the drive, keeps its directory in memory and
// hands out entries as freshly allocated, inflated blocks. A drive is
// untrusted input, so every size it states is checked against the file
// before anything is allocated or read.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "archive/cfs.h"
#include "archive/cfs_reader.h"
#include "platform/word.h"

// Deflate needs at least two bits for a run of 258 bytes, so a stream of n
// bytes never inflates to more than 1032 * n bytes.
constexpr uint64_t kMaxInflateRatio = 1032;
constexpr size_t kSignatureSize = 4;

const char cfs_signature[] = "CFSD";
const int32_t cfs_version[2] = {1, 1};
FILE* cfs_drv = nullptr;
char cfs_sig[kSignatureSize + 1];
int32_t cfs_ver[2];
uint32_t cfs_nfiles = 0;
CFS_Entry* cfs_directory = nullptr;
uint32_t cfs_n;
uint8_t* cfs_cdata = nullptr;
uint8_t* cfs_idata = nullptr;
bool cfs_inflated;  // whether the last inflation succeeded
static uint64_t cfs_size;      // length of the open drive, the bound of every read
static uint32_t cfs_turn = 0;  // counts finished calls; see CFS_TakeTurn

static void CFS_CheckSignature() {
    std::memset(cfs_sig, 0, sizeof cfs_sig);
    const size_t got = fread(cfs_sig, 1, kSignatureSize, cfs_drv);
    if (got != kSignatureSize || std::strcmp(cfs_sig, cfs_signature) != 0)
        CFS_Fatal("CFS_Open: FATAL_ERROR: This is NOT handler-compatible drive file.\n");
}

static void CFS_ReadHeader() {
    if (fread(cfs_ver, sizeof(int32_t), 2, cfs_drv) != 2 ||
        fread(&cfs_nfiles, sizeof(uint32_t), 1, cfs_drv) != 1)
        CFS_Fatal("CFS_Open: FATAL_ERROR: Drive header is truncated.\n");
}

static void CFS_MeasureDrive() {
    const long end = fseek(cfs_drv, 0, SEEK_END) == 0 ? ftell(cfs_drv) : -1;
    if (end < 0) CFS_Fatal("CFS_Open: FATAL_ERROR: Could not measure drive file.\n");
    cfs_size = uint64_t(end);
}

static void CFS_CheckNames() {
    for (uint32_t i = 0; i < cfs_nfiles; i++)
        if (!std::memchr(cfs_directory[i].name, 0, CFS_NAME_SIZE))
            CFS_Fatal("CFS_Open: FATAL_ERROR: Drive directory holds an unterminated name.\n");
}

// The directory must lie inside the file before its size is allocated.
static void CFS_ReadDirectory() {
    CFS_MeasureDrive();
    const uint64_t bytes = uint64_t(cfs_nfiles) * sizeof(CFS_Entry);
    if (CFS_HEADER_SIZE + bytes > cfs_size)
        CFS_Fatal("CFS_Open: FATAL_ERROR: Drive directory is truncated.\n");
    cfs_directory = static_cast<CFS_Entry*>(malloc(std::max<size_t>(bytes, 1)));
    if (!cfs_directory) CFS_Fatal("CFS_Open: FATAL_ERROR: Memory allocation failed.\n");
    if (fseek(cfs_drv, CFS_HEADER_SIZE, SEEK_SET) != 0 ||
        fread(cfs_directory, sizeof(CFS_Entry), cfs_nfiles, cfs_drv) != cfs_nfiles)
        CFS_Fatal("CFS_Open: FATAL_ERROR: Drive directory is truncated.\n");
    CFS_CheckNames();
}

void CFS_TakeTurn() { WORD_Load(cfs_turn, WORD_ACQUIRE); }

void CFS_EndTurn() { WORD_FetchAdd(cfs_turn, 1u, WORD_RELEASE); }

int CFS_Open(const char* path) {
    CFS_TakeTurn();
    printf("CFS_Open: Attempting to open drive %s ...", path);
    cfs_drv = fopen(path, "rb");
    if (!cfs_drv) CFS_Fatal("CFS_Open: FATAL_ERROR: Could not open drive file.\n");
    printf(" done.\n");
    CFS_CheckSignature();
    CFS_ReadHeader();
    printf("CFS_Open: WendrikFS drive v%i.%i (%u files in drive)\n", cfs_ver[0], cfs_ver[1],
           cfs_nfiles);
    CFS_ReadDirectory();
    CFS_EndTurn();
    return 0;
}

// The first entry with the name decides; names compare within their 40 bytes.
static CFS_Entry* CFS_Find(const char* name, uint32_t type) {
    for (cfs_n = 0; cfs_n < cfs_nfiles; cfs_n++) {
        CFS_Entry* entry = &cfs_directory[cfs_n];
        if (std::strncmp(entry->name, name, CFS_NAME_SIZE) != 0) continue;
        if (entry->type != type) CFS_Fatal("CFS_Read: FATAL_ERROR: Wrong file type.\n");
        return entry;
    }
    CFS_Fatal("CFS_Read: FATAL_ERROR: File not found.\n");
}

// Blocks are released before a failure is reported, so that nothing leaks
// where the report does not end the process.
static void CFS_LoadStored(const CFS_Entry* entry) {
    if (uint64_t(entry->offset) + entry->csize > cfs_size)
        CFS_Fatal("CFS_Read: FATAL_ERROR: Drive access error.\n");
    cfs_cdata = static_cast<uint8_t*>(malloc(std::max<size_t>(entry->csize, 1)));
    if (!cfs_cdata) CFS_Fatal("CFS_Read: FATAL_ERROR: Memory allocation failed.\n");
    if (fseek(cfs_drv, long(entry->offset), SEEK_SET) != 0 ||
        fread(cfs_cdata, 1, entry->csize, cfs_drv) != entry->csize) {
        free(cfs_cdata);
        CFS_Fatal("CFS_Read: FATAL_ERROR: Drive access error.\n");
    }
}

// Inflates the staged bytes into a block of isize bytes, or of the most the
// stream can yield when isize claims more. The entry's isize then holds the
// length actually inflated.
static void CFS_Inflate(CFS_Entry* entry) {
    uint64_t length = std::min<uint64_t>(entry->isize, kMaxInflateRatio * entry->csize);
    cfs_idata = static_cast<uint8_t*>(malloc(std::max<size_t>(length, 1)));
    if (!cfs_idata) {
        free(cfs_cdata);
        CFS_Fatal("CFS_Read: FATAL_ERROR: Memory allocation failed.\n");
    }
    cfs_inflated = CFS_Uncompress(cfs_idata, &length, cfs_cdata, entry->csize);
    free(cfs_cdata);
    cfs_cdata = nullptr;
    if (!cfs_inflated) {
        free(cfs_idata);
        CFS_Fatal("CFS_Read: Fatal error: decompression failed.\n");
    }
    entry->isize = uint32_t(length);
}

uint8_t* CFS_Read(const char* name, uint32_t type, uint32_t* inflated) {
    CFS_TakeTurn();
    if (!cfs_drv) CFS_Fatal("CFS_Read: FATAL_ERROR: Drive is not open.\n");
    CFS_Entry* entry = CFS_Find(name, type);
    CFS_LoadStored(entry);
    CFS_Inflate(entry);
    if (inflated) *inflated = entry->isize;
    CFS_EndTurn();
    return cfs_idata;
}

int CFS_Close() {
    CFS_TakeTurn();
    if (!cfs_drv) return 0;
    printf("CFS_Close: Closing drive ...");
    free(cfs_directory);
    cfs_directory = nullptr;
    cfs_nfiles = 0;
    fclose(cfs_drv);
    cfs_drv = nullptr;
    printf(" done.\n");
    CFS_EndTurn();
    return 0;
}
