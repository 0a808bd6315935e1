// Gives each test process a private temporary folder, so that test runs of
// two build trees never share file names, and removes it when the process
// ends. testing::TempDir() names it through TEST_TMPDIR.
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

std::string test_tmpdir;
pid_t test_tmpdir_owner = 0;

// Forked children exit through the same handlers; only the owner removes.
void TEST_RemoveTmpdir() {
    if (getpid() != test_tmpdir_owner) return;
    std::error_code ignored;
    std::filesystem::remove_all(test_tmpdir, ignored);
}

const bool test_tmpdir_made = [] {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/amber_test_XXXXXX";
    if (!mkdtemp(pattern.data())) return false;
    test_tmpdir = pattern;
    test_tmpdir_owner = getpid();
    setenv("TEST_TMPDIR", (test_tmpdir + "/").c_str(), 1);
    atexit(TEST_RemoveTmpdir);
    return true;
}();

}  // namespace
