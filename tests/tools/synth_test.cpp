// The synthesiser's pieces: noise, voice pitch and placement, drum colour,
// the echo and reverb, the master stage, and a repeatable full render.
#include "tools/soundtrack/synth.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

#include "engine/velq_play.h"
#include "tools/soundtrack/synth_score.h"

namespace {

size_t At(double seconds) { return (size_t)std::llround(seconds * SYN_RATE); }

double Energy(const std::vector<float>& x, double t0, double t1) {
    double sum = 0.0;
    for (size_t i = At(t0); i < At(t1); i++) sum += (double)x[i] * x[i];
    return sum;
}

// Fundamental frequency of x between two times: the lag with the best
// normalised autocorrelation, searched from 0.7 to 1.4 times the period
// that `guess` Hz would have.
double PitchHz(const std::vector<float>& x, double t0, double t1, double guess) {
    size_t a = At(t0), n = At(t1) - a;
    int lo = (int)(0.7 * SYN_RATE / guess), hi = (int)(1.4 * SYN_RATE / guess);
    int best = lo;
    double best_r = -2.0;
    for (int lag = lo; lag <= hi; lag++) {
        double xy = 0.0, xx = 0.0, yy = 0.0;
        for (size_t i = a; i < a + n - lag; i++) {
            xy += (double)x[i] * x[i + lag];
            xx += (double)x[i] * x[i];
            yy += (double)x[i + lag] * x[i + lag];
        }
        double r = xy / std::sqrt(xx * yy + 1e-30);
        if (r > best_r) {
            best_r = r;
            best = lag;
        }
    }
    return (double)SYN_RATE / best;
}

// Share of x's energy above `hz`, split off by two one-pole low-passes in a row.
double ShareAbove(const std::vector<float>& x, double hz) {
    float k = (float)(1.0 - std::exp(-2.0 * M_PI * hz / SYN_RATE)), y1 = 0.0f, y2 = 0.0f;
    double high = 0.0, all = 0.0;
    for (float v : x) {
        y1 += k * (v - y1);
        y2 += k * (y1 - y2);
        high += (double)(v - y2) * (v - y2);
        all += (double)v * v;
    }
    return high / (all + 1e-30);
}

size_t LoudestIn(const std::vector<float>& x, double t0, double t1) {
    size_t best = At(t0);
    for (size_t i = At(t0); i < At(t1); i++)
        if (std::fabs(x[i]) > std::fabs(x[best])) best = i;
    return best;
}

TEST(MusicSynth, NoiseIsEvenAndRepeatsFromItsSeed) {
    SYN_Seed(12345);
    std::vector<float> first(100000);
    double mean = 0.0, square = 0.0;
    for (float& v : first) {
        v = SYN_Noise();
        mean += v;
        square += (double)v * v;
    }
    mean /= first.size();
    square /= first.size();
    EXPECT_NEAR(mean, 0.0, 0.01);
    EXPECT_NEAR(square, 1.0 / 3.0, 0.01);  // variance of a uniform spread over [-1, 1)
    EXPECT_LT(*std::min_element(first.begin(), first.end()), -0.999f);
    EXPECT_GT(*std::max_element(first.begin(), first.end()), 0.999f);
    SYN_Seed(12345);
    for (float v : first) ASSERT_EQ(v, SYN_Noise());
    SYN_Seed(0);  // a zero seed must not lock the generator at zero
    EXPECT_NE(SYN_Rand(), SYN_Rand());
}

TEST(MusicSynth, PitchedVoicesPlayTheirNote) {
    struct Case {
        const char* name;
        int midi;
        std::function<void(int)> play;
    };
    const Case cases[] = {
        {"bass", 33, [](int m) { SYN_Bass(0.1, 1.0, m, 0.5f); }},
        {"pad", 57, [](int m) { SYN_Pad(0.1, 1.0, m, 0.5f, 0.5f); }},
        {"pluck", 64, [](int m) { SYN_Pluck(0.1, m, 0.5f, 0.0f); }},
        {"lead", 69, [](int m) { SYN_Lead(0.1, 1.0, m, 0.5f); }},
    };
    for (const Case& c : cases) {
        SYN_Open(2.0);
        SYN_Seed(1);
        c.play(c.midi);
        double want = 440.0 * std::pow(2.0, (c.midi - 69) / 12.0);
        EXPECT_NEAR(PitchHz(syn_left, 0.3, 0.6, want) / want, 1.0, 0.012) << c.name;
    }
}

// Nothing sounds before a note starts, and it falls silent within two
// seconds of its release; the sends stay inside the same span.
TEST(MusicSynth, VoicesStayInsideTheirTime) {
    const std::function<void()> voices[] = {
        [] { SYN_Kick(1.0, 1.0f); },
        [] { SYN_Snare(1.0, 1.0f); },
        [] { SYN_Hat(1.0, 1.0f, 0.09, 0.5f); },
        [] { SYN_Crash(1.0, 1.0f); },
        [] { SYN_Riser(1.0, 2.0, 1.0f); },
        [] { SYN_Bass(1.0, 0.5, 33, 1.0f); },
        [] { SYN_Pad(1.0, 0.5, 57, 1.0f, 1.0f); },
        [] { SYN_Pluck(1.0, 69, 1.0f, -0.5f); },
        [] { SYN_Lead(1.0, 0.5, 69, 1.0f); },
    };
    int v = 0;
    for (const auto& play : voices) {
        SYN_Open(6.0);
        SYN_Seed(7);
        play();
        for (const std::vector<float>* bus : {&syn_left, &syn_right, &syn_reverb, &syn_delay}) {
            EXPECT_EQ(Energy(*bus, 0.0, 1.0), 0.0) << "voice " << v << " sounds early";
            EXPECT_EQ(Energy(*bus, 4.5, 6.0), 0.0) << "voice " << v << " never ends";
        }
        EXPECT_GT(Energy(syn_left, 1.0, 1.5) + Energy(syn_right, 1.0, 1.5), 0.0) << "voice " << v;
        v++;
    }
}

// The kick lives in the bass, the hat in the treble, the snare between.
TEST(MusicSynth, DrumsSitInTheirBands) {
    SYN_Open(1.0);
    SYN_Kick(0.0, 1.0f);
    std::vector<float> kick = syn_left;
    SYN_Open(1.0);
    SYN_Snare(0.0, 1.0f);
    std::vector<float> snare = syn_left;
    SYN_Open(1.0);
    SYN_Hat(0.0, 1.0f, 0.05, 0.0f);
    std::vector<float> hat = syn_left;
    EXPECT_LT(ShareAbove(kick, 400.0), 0.3);
    EXPECT_LT(ShareAbove(kick, 5000.0), 0.01);
    EXPECT_GT(ShareAbove(snare, 400.0), 0.7);
    EXPECT_GT(ShareAbove(hat, 5000.0), 0.7);
    EXPECT_GT(ShareAbove(hat, 5000.0), ShareAbove(snare, 5000.0) + 0.15);
}

// An impulse into the echo comes back on the left after one delay, on the
// right after two, and each repeat is quieter.
TEST(MusicSynth, EchoBouncesBetweenTheSides) {
    const double echo = 0.25;
    SYN_Open(3.0);
    syn_delay[At(0.1)] = 1.0f;
    SYN_Effects(echo);
    EXPECT_EQ(LoudestIn(syn_left, 0.0, 0.2 + echo), At(0.1 + echo));
    EXPECT_EQ(LoudestIn(syn_right, 0.0, 0.2 + 2 * echo), At(0.1 + 2 * echo));
    float first = std::fabs(syn_left[At(0.1 + echo)]);
    float second = std::fabs(syn_left[LoudestIn(syn_left, 0.2 + 2 * echo, 0.2 + 3 * echo)]);
    EXPECT_GT(second, 0.0f);
    EXPECT_LT(second, 0.7f * first);
}

// An impulse into the reverb leaves a tail that differs between the sides
// and dies away instead of ringing on.
TEST(MusicSynth, ReverbTailIsWideAndDecays) {
    SYN_Open(5.0);
    syn_reverb[At(0.1)] = 1.0f;
    SYN_Effects(0.25);
    double early = Energy(syn_left, 0.1, 0.6) + Energy(syn_right, 0.1, 0.6);
    double late = Energy(syn_left, 4.0, 5.0) + Energy(syn_right, 4.0, 5.0);
    ASSERT_GT(early, 0.0);
    EXPECT_LT(late, 1e-6 * early);
    double lr = 0.0;
    for (size_t i = At(0.1); i < At(0.6); i++) lr += (double)syn_left[i] * syn_right[i];
    EXPECT_LT(std::fabs(lr) / (0.5 * early), 0.5) << "left and right tails are nearly the same";
}

// The master stage sets the peak exactly, silences the end of the fade,
// and a lone loud click does not push the rest of the track down with it.
TEST(MusicSynth, MasterSetsPeakFadesAndLimitsClicks) {
    SYN_Open(4.0);
    for (size_t i = 0; i < syn_left.size(); i++)
        syn_left[i] = syn_right[i] = 0.1f * (float)std::sin(2.0 * M_PI * 440.0 * i / SYN_RATE);
    syn_left[At(0.5)] = 1.0f;
    SYN_Master(3.0, 3.5, 0.7f);
    float peak = 0.0f;
    for (size_t i = 0; i < syn_left.size(); i++)
        peak = std::max({peak, std::fabs(syn_left[i]), std::fabs(syn_right[i])});
    EXPECT_FLOAT_EQ(peak, 0.7f);
    EXPECT_EQ(Energy(syn_left, 3.5, 4.0) + Energy(syn_right, 3.5, 4.0), 0.0);
    EXPECT_LT(Energy(syn_left, 3.2, 3.4), 0.5 * Energy(syn_left, 2.7, 2.9));
    float tone = *std::max_element(syn_right.begin() + At(1.5), syn_right.begin() + At(2.5));
    EXPECT_GT(tone, 0.1f * 0.7f * 1.2f) << "the click set the level of the whole track";
}

// The whole track renders to the same samples every time, within the
// mastered peak and never silent.
TEST(MusicSynth, TrackRendersTheSameEveryTime) {
    SCO_Render(VELQ_PLAY_SceneTimes());
    std::vector<int16_t> first = SYN_Pcm();
    SCO_Render(VELQ_PLAY_SceneTimes());
    std::vector<int16_t> second = SYN_Pcm();
    ASSERT_EQ(first.size(), (size_t)std::llround(SCO_LENGTH * SYN_RATE) * 2);
    EXPECT_TRUE(first == second);
    int peak = 0;
    for (int16_t s : first) peak = std::max(peak, std::abs((int)s));
    EXPECT_LE(peak, (int)std::lround(SCO_PEAK * 32767.0f));
    EXPECT_GT(peak, (int)(0.9f * SCO_PEAK * 32767.0f));
}

}  // namespace
