// rand() as the GNU C library computes it, for the browser and Windows
// builds: their C libraries (musl, msvcrt) draw other sequences, and the
// scenes' random stripes must flicker as they do in the native program and
// its references. The generator is glibc's default additive feedback one,
// r[i] = r[i-3] + r[i-31], seeded with 1 as an unseeded rand() is; each
// call returns the next word shifted right by one. srand seeds it again.
#include <cstdint>

namespace {

constexpr int kDegree = 31;
constexpr int kSeparation = 3;
constexpr int kDiscarded = 310;  // outputs dropped after seeding
constexpr int64_t kModulus = 2147483647;
constexpr int64_t kMultiplier = 16807;

uint32_t rand_state[kDegree];
int rand_next = -1;  // the slot written next; -1 before seeding

// The slot written next still holds r[i-31].
uint32_t Step() {
    const uint32_t word =
        rand_state[rand_next] + rand_state[(rand_next + kDegree - kSeparation) % kDegree];
    rand_state[rand_next] = word;
    rand_next = (rand_next + 1) % kDegree;
    return word;
}

// Seeds up to 2^31 - 2 as glibc does; 0 seeds as 1.
void Seed(unsigned seed) {
    int64_t r = seed == 0 ? 1 : seed;
    rand_state[0] = uint32_t(r);
    for (int i = 1; i < kDegree; ++i) {
        r = kMultiplier * r % kModulus;
        rand_state[i] = uint32_t(r);
    }
    // As glibc lays out its ring: the first word goes three slots in.
    rand_next = kSeparation;
    for (int i = 0; i < kDiscarded; ++i) Step();
}

}  // namespace

extern "C" void srand(unsigned seed) { Seed(seed); }

extern "C" int rand() {
    if (rand_next < 0) Seed(1);
    return int(Step() >> 1);
}
