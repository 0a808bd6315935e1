// What only the browser's player asks of the sound layer: the soundtrack
// moved to where the picture is after a seek, and held while paused.
#pragma once

// A stream asked to play goes on from seconds into the soundtrack, from now;
// one still being decoded starts there once it is. Nothing for a stream
// that was not asked to play.
void FSOUND_WEB_Place(double seconds);

// A stream asked to play falls silent until placed again.
void FSOUND_WEB_Hold();
