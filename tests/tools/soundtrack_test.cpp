// The finished soundtrack, decoded with libmpg123 as the program plays it:
// length, headroom, level in every tape entry, audible changes where the
// tape moves on, some stereo width and the closing fade.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "engine/velq_play.h"
#include "headless/mp3_decode.h"

namespace {

constexpr long kRate = 44100;

// Where each tape entry after the loading screen starts, in seconds after
// the music starts; the last value is where the tape ends.
const std::vector<double> kEntry = VELQ_PLAY_SceneTimes();
constexpr int kEntries = 10;

struct Track {
    long rate = 0;
    int channels = 0;
    std::vector<float> left, right;
};

Track Decode(const char* path) {
    const MP3_Pcm pcm = MP3_DecodeStereo(path, kRate);
    Track t;
    t.rate = pcm.rate;
    t.channels = pcm.channels;
    t.left.resize(pcm.samples.size() / 2);
    t.right.resize(pcm.samples.size() / 2);
    for (size_t i = 0; i < t.left.size(); i++) {
        t.left[i] = pcm.samples[2 * i] / 32768.0f;
        t.right[i] = pcm.samples[2 * i + 1] / 32768.0f;
    }
    return t;
}

// The track is decoded once per test process.
const Track& Music() {
    static const Track track = Decode(AMBER_MP3);
    return track;
}

size_t Sample(double seconds) {
    return std::min((size_t)std::llround(seconds * kRate), Music().left.size());
}

double Db(double power) { return 10.0 * std::log10(power + 1e-30); }

// Mean power of both sides between two times, in dB relative to full scale.
double RmsDb(const std::vector<float>& l, const std::vector<float>& r, double t0, double t1) {
    size_t a = Sample(t0), b = Sample(t1);
    double sum = 0.0;
    for (size_t i = a; i < b; i++) sum += (double)l[i] * l[i] + (double)r[i] * r[i];
    return Db(sum / (2.0 * std::max<size_t>(b - a, 1)));
}

// One-pole low-pass of a channel, used to split the track into bands.
std::vector<float> LowPass(const std::vector<float>& x, double hz) {
    float k = (float)(1.0 - std::exp(-2.0 * M_PI * hz / kRate)), y = 0.0f;
    std::vector<float> out(x.size());
    for (size_t i = 0; i < x.size(); i++) out[i] = y += k * (x[i] - y);
    return out;
}

std::vector<float> Minus(const std::vector<float>& a, const std::vector<float>& b) {
    std::vector<float> out(a.size());
    for (size_t i = 0; i < a.size(); i++) out[i] = a[i] - b[i];
    return out;
}

TEST(MusicTrack, DecodesToAboutThreeMinutesOfStereoWithHeadroom) {
    const Track& t = Music();
    ASSERT_EQ(t.rate, kRate) << "cannot decode " << AMBER_MP3;
    ASSERT_EQ(t.channels, 2);
    double seconds = (double)t.left.size() / kRate;
    EXPECT_NEAR(seconds, 175.0, 3.0);
    float peak = 0.0f;
    for (size_t i = 0; i < t.left.size(); i++)
        peak = std::max({peak, std::fabs(t.left[i]), std::fabs(t.right[i])});
    EXPECT_LT(20.0 * std::log10(peak), -1.0) << "peak must stay under -1 dBFS";
    EXPECT_GT(20.0 * std::log10(peak), -12.0) << "the track is mastered far too quietly";
}

TEST(MusicTrack, EveryTapeEntryIsAudible) {
    const Track& t = Music();
    ASSERT_FALSE(t.left.empty());
    for (int e = 0; e < kEntries; e++)
        EXPECT_GT(RmsDb(t.left, t.right, kEntry[e], kEntry[e + 1]), -30.0)
            << "entry " << e + 1 << " from " << kEntry[e] << " s";
}

// Just before and just after each entry change the sound differs clearly:
// in its overall level, its bass or its treble.
TEST(MusicTrack, SoundChangesWhereTheTapeMovesOn) {
    const Track& t = Music();
    ASSERT_FALSE(t.left.empty());
    const double window = 1.5, gap = 0.1;
    std::vector<float> lowl = LowPass(t.left, 200.0), lowr = LowPass(t.right, 200.0);
    std::vector<float> highl = Minus(t.left, LowPass(t.left, 4000.0));
    std::vector<float> highr = Minus(t.right, LowPass(t.right, 4000.0));
    for (int e = 1; e <= kEntries; e++) {
        double b = kEntry[e];
        double full = RmsDb(t.left, t.right, b + gap, b + gap + window) -
                      RmsDb(t.left, t.right, b - gap - window, b - gap);
        double low = RmsDb(lowl, lowr, b + gap, b + gap + window) -
                     RmsDb(lowl, lowr, b - gap - window, b - gap);
        double high = RmsDb(highl, highr, b + gap, b + gap + window) -
                      RmsDb(highl, highr, b - gap - window, b - gap);
        double change = std::max({std::fabs(full), std::fabs(low), std::fabs(high)});
        printf("change at %7.2f s: full %+6.2f dB, bass %+6.2f dB, treble %+6.2f dB\n", b, full,
               low, high);
        EXPECT_GE(change, 3.0) << "no audible change at " << b << " s";
    }
}

// The two sides carry different signals, but mostly the same music.
TEST(MusicTrack, HasSomeStereoWidth) {
    const Track& t = Music();
    ASSERT_FALSE(t.left.empty());
    std::vector<float> mid(t.left.size()), side(t.left.size());
    for (size_t i = 0; i < t.left.size(); i++) {
        mid[i] = 0.5f * (t.left[i] + t.right[i]);
        side[i] = 0.5f * (t.left[i] - t.right[i]);
    }
    double width = RmsDb(side, side, 0.0, 171.44) - RmsDb(mid, mid, 0.0, 171.44);
    EXPECT_GT(width, -25.0) << "the track is close to mono";
    EXPECT_LT(width, -3.0) << "the sides hardly share any music";
}

// The music fades out where the tape ends and is silent at the very end.
TEST(MusicTrack, FadesOutAtTheEnd) {
    const Track& t = Music();
    ASSERT_FALSE(t.left.empty());
    double seconds = (double)t.left.size() / kRate;
    double close = RmsDb(t.left, t.right, kEntry[9], kEntry[9] + 3.0);
    double tape_end = RmsDb(t.left, t.right, kEntry[10] - 1.0, kEntry[10]);
    double last = RmsDb(t.left, t.right, seconds - 0.5, seconds);
    EXPECT_LT(tape_end, close - 15.0);
    EXPECT_LT(last, -70.0);
}

}  // namespace
