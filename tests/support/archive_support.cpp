#include "tests/support/archive_support.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "archive/cfs.h"

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define ARCHIVE_TEST_OWN_MALLOC 0
#else
#define ARCHIVE_TEST_OWN_MALLOC 1
#endif

#if ARCHIVE_TEST_OWN_MALLOC
// Replaces malloc for the whole test program; free stays glibc's, which
// owns every block handed out here.
extern "C" void* __libc_malloc(size_t size);
static size_t archive_test_failing_size = 0;

extern "C" void* malloc(size_t size) {
    if (archive_test_failing_size != 0 && size == archive_test_failing_size) return nullptr;
    return __libc_malloc(size);
}
#endif

bool ARCHIVE_TEST_FailAllocationsOf(size_t size) {
#if ARCHIVE_TEST_OWN_MALLOC
    archive_test_failing_size = size;
    return true;
#else
    (void)size;
    return false;
#endif
}

ARCHIVE_TEST_Outcome ARCHIVE_TEST_InChild(const std::function<void()>& call) {
    int channel[2];
    if (pipe(channel) != 0) ADD_FAILURE() << "pipe failed";
    fflush(stdout);
    const pid_t child = fork();
    if (child == 0) {
        close(channel[0]);
        dup2(channel[1], STDOUT_FILENO);
        call();
        fflush(stdout);
        _exit(0);
    }
    close(channel[1]);
    ARCHIVE_TEST_Outcome outcome{-1, ""};
    char chunk[512];
    for (ssize_t got; (got = read(channel[0], chunk, sizeof chunk)) > 0;)
        outcome.out.append(chunk, size_t(got));
    close(channel[0]);
    int status = 0;
    waitpid(child, &status, 0);
    outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return outcome;
}

std::string ARCHIVE_TEST_File(const std::vector<uint8_t>& bytes) {
    static int count = 0;
    const std::string path = testing::TempDir() + "archive_test_" + std::to_string(getpid()) + "_" +
                             std::to_string(count++) + ".cfs";
    FILE* file = fopen(path.c_str(), "wb");
    EXPECT_TRUE(file != nullptr) << path;
    if (!file) return path;
    fwrite(bytes.data(), 1, bytes.size(), file);
    fclose(file);
    return path;
}

void ARCHIVE_TEST_Patch(std::vector<uint8_t>& bytes, size_t offset, uint32_t value) {
    for (int i = 0; i < 4; i++) bytes.at(offset + i) = uint8_t(value >> (8 * i));
}

size_t ARCHIVE_TEST_EntryField(size_t index, size_t field) {
    return CFS_HEADER_SIZE + index * sizeof(CFS_Entry) + field;
}

std::vector<uint8_t> ARCHIVE_TEST_Noise(size_t size, uint32_t seed) {
    std::vector<uint8_t> bytes(size);
    for (uint8_t& b : bytes) {
        seed = seed * 1664525u + 1013904223u;
        b = uint8_t(seed >> 24);
    }
    return bytes;
}
