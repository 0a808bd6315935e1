#include "headless/mp3_decode.h"

#include <mpg123.h>

MP3_Pcm MP3_DecodeStereo(const std::string& path, long rate) {
    MP3_Pcm pcm;
    mpg123_handle* h = mpg123_new(nullptr, nullptr);
    if (!h) return pcm;
    mpg123_param(h, MPG123_ADD_FLAGS, MPG123_QUIET, 0);
    mpg123_format_none(h);
    mpg123_format(h, rate, MPG123_STEREO, MPG123_ENC_SIGNED_16);
    if (mpg123_open(h, path.c_str()) == MPG123_OK) {
        int encoding = 0;
        mpg123_getformat(h, &pcm.rate, &pcm.channels, &encoding);
        std::vector<int16_t> buf(1 << 14);
        size_t got = 0;
        int rc;
        do {
            rc = mpg123_read(h, buf.data(), buf.size() * sizeof(int16_t), &got);
            pcm.samples.insert(pcm.samples.end(), buf.begin(), buf.begin() + got / sizeof(int16_t));
        } while (rc == MPG123_OK || rc == MPG123_NEW_FORMAT);
        mpg123_close(h);
    }
    mpg123_delete(h);
    return pcm;
}
