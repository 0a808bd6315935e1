// Seeded value noise for the data generators.
#include "tools/mkdrive/noise.h"

#include <cmath>

double NOISE_Hash(int x, int y, int z, uint32_t seed) {
    uint32_t h = seed * 0x9E3779B9u;
    h ^= uint32_t(x) * 0x85EBCA6Bu;
    h = (h ^ (h >> 13)) * 0xC2B2AE35u;
    h ^= uint32_t(y) * 0x27D4EB2Fu;
    h = (h ^ (h >> 15)) * 0x165667B1u;
    h ^= uint32_t(z) * 0x9E3779B1u;
    h = (h ^ (h >> 16)) * 0x85EBCA77u;
    h ^= h >> 13;
    return double(h & 0xFFFFFF) / double(0x1000000);
}

double NOISE_Value(double x, double y, double z, uint32_t seed) {
    int ix = int(std::floor(x)), iy = int(std::floor(y)), iz = int(std::floor(z));
    auto smooth = [](double f) { return f * f * (3 - 2 * f); };
    double sx = smooth(x - ix), sy = smooth(y - iy), sz = smooth(z - iz);
    double acc = 0;
    for (int c = 0; c < 8; ++c) {
        int dx = c & 1, dy = (c >> 1) & 1, dz = (c >> 2) & 1;
        double w = (dx ? sx : 1 - sx) * (dy ? sy : 1 - sy) * (dz ? sz : 1 - sz);
        acc += w * NOISE_Hash(ix + dx, iy + dy, iz + dz, seed);
    }
    return acc * 2 - 1;
}

double NOISE_Fractal(double x, double y, double z, int octaves, uint32_t seed) {
    double sum = 0, amp = 1, norm = 0;
    for (int o = 0; o < octaves; ++o) {
        sum += amp * NOISE_Value(x, y, z, seed + o);
        norm += amp;
        x *= 2, y *= 2, z *= 2, amp *= 0.5;
    }
    return sum / norm;
}
