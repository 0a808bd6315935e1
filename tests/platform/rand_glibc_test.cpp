// The rand() the browser and Windows builds link, here in place of the C
// library's, against glibc's own generator: random_r draws rand()'s
// sequence from a state of its own.
#include <gtest/gtest.h>

#include <cstdlib>

// Unseeded first (seed -1 here), which draws as seeded with 1.
TEST(RandGlibc, DrawsGlibcsSequenceUnseededAndForEverySeed) {
    for (const long seed : {-1L, 0L, 1L, 42L, 2147483646L}) {
        if (seed >= 0) srand(unsigned(seed));
        char state[128];  // the size rand() uses
        random_data data{};
        initstate_r(seed < 0 ? 1 : unsigned(seed), state, sizeof state, &data);
        for (int i = 0; i < 2000; ++i) {
            int32_t expected;
            random_r(&data, &expected);
            ASSERT_EQ(rand(), expected) << "seed " << seed << ", draw " << i;
        }
    }
}
