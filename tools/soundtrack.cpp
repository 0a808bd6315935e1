// soundtrack OUTPUT.mp3: renders the production's music and encodes it as
// 192 kbit/s constant-rate stereo MP3. The same binary writes the same bytes
// on every run.
#include <lame/lame.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tools/synth.h"
#include "tools/synth_score.h"

constexpr int kKbps = 192;
constexpr int kQuality = 5;      // LAME's balance of speed and care
constexpr size_t kChunk = 8192;  // frames handed to the encoder at a time

static void SNDT_Fail(const char* message) {
    printf("%s", message);
    exit(1);
}

static lame_t SNDT_OpenEncoder() {
    lame_t lame = lame_init();
    if (lame == nullptr) SNDT_Fail("SNDT_OpenEncoder: FATAL_ERROR: Encoder not available.\n");
    lame_set_in_samplerate(lame, SYN_RATE);
    lame_set_out_samplerate(lame, SYN_RATE);
    lame_set_num_channels(lame, 2);
    lame_set_mode(lame, JOINT_STEREO);
    lame_set_VBR(lame, vbr_off);
    lame_set_brate(lame, kKbps);
    lame_set_quality(lame, kQuality);
    if (lame_init_params(lame) < 0)
        SNDT_Fail("SNDT_OpenEncoder: FATAL_ERROR: Encoder settings refused.\n");
    return lame;
}

static std::vector<unsigned char> SNDT_Encode(const std::vector<int16_t>& pcm) {
    lame_t lame = SNDT_OpenEncoder();
    std::vector<unsigned char> mp3;
    std::vector<unsigned char> out(kChunk * 5 / 4 + 7200);  // LAME's worst case
    size_t frames = pcm.size() / 2;
    for (size_t f = 0; f < frames; f += kChunk) {
        int n = (int)std::min(kChunk, frames - f);
        int got = lame_encode_buffer_interleaved(lame, const_cast<short*>(pcm.data() + 2 * f), n,
                                                 out.data(), (int)out.size());
        if (got < 0) SNDT_Fail("SNDT_Encode: FATAL_ERROR: Encoding failed.\n");
        mp3.insert(mp3.end(), out.begin(), out.begin() + got);
    }
    int got = lame_encode_flush(lame, out.data(), (int)out.size());
    if (got < 0) SNDT_Fail("SNDT_Encode: FATAL_ERROR: Encoding failed.\n");
    mp3.insert(mp3.end(), out.begin(), out.begin() + got);
    // The first frame was written as a placeholder for the tag that records
    // the encoder's delay and padding, so decoders can trim them and keep
    // the music on time with the picture.
    size_t tag = lame_get_lametag_frame(lame, out.data(), out.size());
    if (tag > 0 && tag <= mp3.size()) std::copy(out.begin(), out.begin() + tag, mp3.begin());
    lame_close(lame);
    return mp3;
}

// Writes beside the target and renames, so an interrupted run never leaves
// a truncated file that looks finished.
static void SNDT_Write(const char* path, const std::vector<unsigned char>& mp3) {
    std::string part = std::string(path) + ".part";
    FILE* f = fopen(part.c_str(), "wb");
    if (f == nullptr) SNDT_Fail("SNDT_Write: FATAL_ERROR: Cannot create file.\n");
    size_t put = fwrite(mp3.data(), 1, mp3.size(), f);
    if (fclose(f) != 0 || put != mp3.size() || rename(part.c_str(), path) != 0)
        SNDT_Fail("SNDT_Write: FATAL_ERROR: Cannot write file.\n");
}

int main(int argc, char** argv) {
    if (argc != 2) SNDT_Fail("usage: soundtrack OUTPUT.mp3\n");
    SCO_Render();
    std::vector<unsigned char> mp3 = SNDT_Encode(SYN_Pcm());
    SNDT_Write(argv[1], mp3);
    printf("soundtrack: %s, %.2f s, %zu bytes\n", argv[1], SCO_LENGTH, mp3.size());
    return 0;
}
