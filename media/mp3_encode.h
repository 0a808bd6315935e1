// Encoding sound as MP3 with LAME, for the soundtrack tool and the tests.
#pragma once

#include <cstdint>
#include <vector>

// Encodes 16-bit PCM (interleaved when channels is 2) at rate Hz as
// constant-rate MP3 at kbps kbit/s. The first frame carries LAME's tag with
// the encoder's delay and padding, so that decoders can trim them. The same
// input gives the same bytes. Empty when LAME refuses the settings.
std::vector<uint8_t> MEDIA_EncodeMp3(const std::vector<int16_t>& pcm, int channels, int rate,
                                     int kbps);
