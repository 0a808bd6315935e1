// The soundtrack's arrangement: ten sections that change where the tape
// moves from one entry to the next, played by the synthesiser.
#pragma once

constexpr double SCO_LENGTH = 175.0;  // seconds of music
constexpr float SCO_PEAK = 0.65f;     // largest sample after mastering (about -3.7 dBFS)

// Renders and masters the whole track into the synthesiser's dry buses.
void SCO_Render();
