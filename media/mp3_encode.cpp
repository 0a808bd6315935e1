#include "media/mp3_encode.h"

#include <lame/lame.h>

#include <algorithm>

namespace {

constexpr int kQuality = 5;      // LAME's balance of speed and care
constexpr size_t kChunk = 8192;  // frames handed to the encoder at a time

lame_t Open(int channels, int rate, int kbps) {
    lame_t lame = lame_init();
    if (!lame) return nullptr;
    lame_set_in_samplerate(lame, rate);
    lame_set_out_samplerate(lame, rate);
    lame_set_num_channels(lame, channels);
    lame_set_mode(lame, channels == 1 ? MONO : JOINT_STEREO);
    lame_set_VBR(lame, vbr_off);
    lame_set_brate(lame, kbps);
    lame_set_quality(lame, kQuality);
    if (lame_init_params(lame) < 0) {
        lame_close(lame);
        return nullptr;
    }
    return lame;
}

int EncodeChunk(lame_t lame, const int16_t* pcm, int channels, int frames,
                std::vector<uint8_t>& out) {
    short* samples = const_cast<short*>(pcm);
    return channels == 1 ? lame_encode_buffer(lame, samples, samples, frames, out.data(),
                                              static_cast<int>(out.size()))
                         : lame_encode_buffer_interleaved(lame, samples, frames, out.data(),
                                                          static_cast<int>(out.size()));
}

}  // namespace

std::vector<uint8_t> MEDIA_EncodeMp3(const std::vector<int16_t>& pcm, int channels, int rate,
                                     int kbps) {
    lame_t lame = Open(channels, rate, kbps);
    if (!lame) return {};
    std::vector<uint8_t> mp3;
    std::vector<uint8_t> out(kChunk * 5 / 4 + 7200);  // LAME's worst case for a chunk
    const size_t frames = pcm.size() / channels;
    for (size_t f = 0; f < frames; f += kChunk) {
        const int n = static_cast<int>(std::min(kChunk, frames - f));
        const int got = EncodeChunk(lame, pcm.data() + channels * f, channels, n, out);
        if (got > 0) mp3.insert(mp3.end(), out.begin(), out.begin() + got);
    }
    const int got = lame_encode_flush(lame, out.data(), static_cast<int>(out.size()));
    if (got > 0) mp3.insert(mp3.end(), out.begin(), out.begin() + got);
    // The first frame was written as a placeholder for the tag.
    const size_t tag = lame_get_lametag_frame(lame, out.data(), out.size());
    if (tag > 0 && tag <= mp3.size()) std::copy(out.begin(), out.begin() + tag, mp3.begin());
    lame_close(lame);
    return mp3;
}
