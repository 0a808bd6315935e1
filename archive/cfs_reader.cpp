#include "archive/cfs_reader.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "archive/cfs.h"

namespace {

uint8_t* cfs_reader_entry = nullptr;  // the inflated entry being read
uint32_t cfs_reader_inflated = 0;     // its length
size_t cfs_reader_header = 0;

}  // namespace

void CFS_ReaderOpen(const char* name, uint32_t type, size_t header, const char* truncated) {
    CFS_TakeTurn();
    cfs_reader_entry = CFS_Read(name, type, &cfs_reader_inflated);
    cfs_reader_header = header;
    if (cfs_reader_inflated < header) CFS_ReaderFail(nullptr, truncated);
}

uint32_t CFS_ReaderWord(size_t index) {
    uint32_t word;
    std::memcpy(&word, cfs_reader_entry + index * sizeof word, sizeof word);
    return word;
}

// Releases this call's blocks before the report, so that nothing leaks where
// the report does not end the process.
void CFS_ReaderFail(void* record, const char* message) {
    free(cfs_reader_entry);
    free(record);
    CFS_Fatal(message);
}

void* CFS_ReaderBody(uint64_t bytes, void* record, const char* truncated, const char* no_memory) {
    if (cfs_reader_header + bytes > cfs_reader_inflated) CFS_ReaderFail(record, truncated);
    void* body = malloc(std::max<size_t>(bytes, 1));
    if (!body) CFS_ReaderFail(record, no_memory);
    std::memcpy(body, cfs_reader_entry + cfs_reader_header, bytes);
    free(cfs_reader_entry);
    cfs_reader_entry = nullptr;
    CFS_EndTurn();
    return body;
}
