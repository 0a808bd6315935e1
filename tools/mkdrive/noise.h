// Seeded value noise shared by the picture and mesh generators: the same
// seed gives the same numbers on every build and machine.
#pragma once

#include <cstdint>

// Hash of an integer lattice point to [0, 1).
double NOISE_Hash(int x, int y, int z, uint32_t seed);

// Smooth value noise in -1..1, one unit per lattice cell.
double NOISE_Value(double x, double y, double z, uint32_t seed);

// Sum of `octaves` noise layers, each twice the frequency and half the
// amplitude of the one before, scaled back into -1..1.
double NOISE_Fractal(double x, double y, double z, int octaves, uint32_t seed);
