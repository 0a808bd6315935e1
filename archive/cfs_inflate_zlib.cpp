#include <zlib.h>

#include "archive/cfs_reader.h"

bool CFS_Uncompress(uint8_t* dest, uint64_t* length, const uint8_t* src, uint32_t csize) {
    uLongf capacity = *length;
    const int status = uncompress(dest, &capacity, src, csize);
    *length = capacity;
    return status == Z_OK;
}
