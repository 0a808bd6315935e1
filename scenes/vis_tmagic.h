// The TMagic scene's ray fans, which INIT computes once for every entry.
#pragma once

// The two ray fans INIT computes: rays of three corners (x, y, z), ray k
// turned 12 degrees further about z than ray k - 1, ray 0 along +y.
constexpr int TMAGIC_RAYS = 30;
extern float tmagic_first[TMAGIC_RAYS][3][3];
extern float tmagic_second[TMAGIC_RAYS][3][3];
