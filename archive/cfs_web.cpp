#include "archive/cfs_web.h"

#include <emscripten.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "archive/cfs.h"
#include "archive/cfs_reader.h"

namespace {

struct Inflated {
    uint8_t* bytes;  // null when the stream failed
    uint64_t size;
};

// One result per directory entry, by index.
std::vector<Inflated> cfs_web_inflated;
uint32_t cfs_web_pending = 0;

}  // namespace

extern uint32_t cfs_n;

// Inflates the stored bytes of entry index, then hands the result (a block
// from malloc, or null) to CFS_WEB_Take.
EM_JS(void, cfs_web_inflate, (const char* path, uint32_t index, uint32_t offset, uint32_t csize), {
    const stored = FS.readFile(UTF8ToString(path)).subarray(offset, offset + csize);
    const inflated = new Blob([stored]).stream().pipeThrough(new DecompressionStream('deflate'));
    new Response(inflated).arrayBuffer().then(
        (buffer) => {
            const bytes = new Uint8Array(buffer);
            const block = _malloc(Math.max(bytes.length, 1));
            HEAPU8.set(bytes, block);
            _CFS_WEB_Take(index, block, bytes.length);
        },
        () => _CFS_WEB_Take(index, 0, 0));
});

extern "C" EMSCRIPTEN_KEEPALIVE void CFS_WEB_Take(uint32_t index, uint8_t* bytes, uint32_t size) {
    cfs_web_inflated[index] = {bytes, size};
    --cfs_web_pending;
}

void CFS_WEB_InflateAll(const char* path) {
    cfs_web_inflated.assign(cfs_nfiles, Inflated{nullptr, 0});
    cfs_web_pending = cfs_nfiles;
    for (uint32_t i = 0; i < cfs_nfiles; ++i)
        cfs_web_inflate(path, i, cfs_directory[i].offset, cfs_directory[i].csize);
}

bool CFS_WEB_Ready() { return cfs_web_pending == 0; }

// The handler reads the entry at cfs_n; its stored bytes were inflated ahead.
bool CFS_Uncompress(uint8_t* dest, uint64_t* length, const uint8_t*, uint32_t) {
    const Inflated& entry = cfs_web_inflated[cfs_n];
    if (!entry.bytes || entry.size > *length) return false;
    std::memcpy(dest, entry.bytes, entry.size);
    *length = entry.size;
    return true;
}
