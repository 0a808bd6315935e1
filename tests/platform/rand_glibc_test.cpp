// The browser's and Windows' rand(), linked into this test in place of the
// C library's, against the GNU C library's own generator: random_r draws
// rand()'s sequence from a state of its own.
#include <gtest/gtest.h>

#include <cstdlib>

namespace {

constexpr int kDraws = 2000;
constexpr int kStateBytes = 128;  // the size rand() uses

// Whether rand() now draws what glibc draws after seeding with seed.
void ExpectGlibcSequence(unsigned seed) {
    char state[kStateBytes];
    random_data data{};
    initstate_r(seed, state, sizeof state, &data);
    for (int i = 0; i < kDraws; ++i) {
        int32_t expected;
        random_r(&data, &expected);
        ASSERT_EQ(rand(), expected) << "seed " << seed << ", draw " << i;
    }
}

}  // namespace

TEST(RandGlibc, DrawsGlibcsSequenceUnseededAndForEverySeed) {
    ExpectGlibcSequence(1);  // unseeded: as seeded with 1
    for (const unsigned seed : {0u, 1u, 42u, 2147483646u}) {
        srand(seed);
        ExpectGlibcSequence(seed);
    }
}
