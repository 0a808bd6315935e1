// Helpers of the drive tests: a call run in a child process, whose standard
// output and exit status are what a fatal drive failure shows; drive files
// in the test's temporary folder; allocations made to fail on demand.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "archive/cfs_writer.h"

struct ARCHIVE_TEST_Outcome {
    int status;       // exit status, or 128 + signal number when killed
    std::string out;  // everything the child printed to standard output
};

// Runs call in a child process; a call that returns exits with status 0.
ARCHIVE_TEST_Outcome ARCHIVE_TEST_InChild(const std::function<void()>& call);

// Writes bytes to a fresh file of the temporary folder and returns its path.
std::string ARCHIVE_TEST_File(const std::vector<uint8_t>& bytes);
// Overwrites the little-endian word at offset.
void ARCHIVE_TEST_Patch(std::vector<uint8_t>& bytes, size_t offset, uint32_t value);
// Offset of a field of directory entry index in a drive.
size_t ARCHIVE_TEST_EntryField(size_t index, size_t field);
// Deterministic bytes that do not compress.
std::vector<uint8_t> ARCHIVE_TEST_Noise(size_t size, uint32_t seed);

// Makes every later malloc of exactly size bytes fail, for use inside
// ARCHIVE_TEST_InChild. False where the allocator cannot be replaced
// (sanitizer builds); the caller then skips.
bool ARCHIVE_TEST_FailAllocationsOf(size_t size);
