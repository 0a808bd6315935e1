// Whole-file MP3 decoding through libmpg123, for tests that compare or
// measure what a player would hear.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct MP3_Pcm {
    long rate = 0;  // as libmpg123 reports it; 0 when the file would not open
    int channels = 0;
    std::vector<int16_t> samples;  // interleaved
};

// Decodes the file at path to 16-bit stereo at the given rate, letting
// libmpg123 convert from the file's own format.
MP3_Pcm MP3_DecodeStereo(const std::string& path, long rate);
