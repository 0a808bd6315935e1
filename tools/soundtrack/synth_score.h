// The soundtrack's arrangement: ten sections that change where the tape
// moves from one entry to the next, played by the synthesiser.
#pragma once

#include <vector>

constexpr double SCO_LENGTH = 175.0;  // seconds of music
constexpr float SCO_PEAK = 0.65f;     // largest sample after mastering (about -3.7 dBFS)

// Renders and masters the whole track into the synthesiser's dry buses.
// Section i starts where tape entry i + 1 does: entries holds those starts,
// in seconds after the music starts.
void SCO_Render(const std::vector<double>& entries);
