// A small note-at-a-time synthesiser: band-limited saws, a sine table for
// the FM and drum voices, state-variable filters, a ping-pong echo and a
// Freeverb-style reverb. Each voice renders its own samples into the buses;
// all noise comes from one integer generator, so a render depends on nothing
// but its seed.
#include "tools/soundtrack/synth.h"

#include <algorithm>
#include <cmath>

std::vector<float> syn_left;
std::vector<float> syn_right;
std::vector<float> syn_reverb;
std::vector<float> syn_delay;

constexpr double kPi = 3.14159265358979323846;
constexpr int kSineSize = 4096;
constexpr int kRetune = 32;      // samples between filter retunes
constexpr double kTail = 0.004;  // seconds of fade that close a voice

// Echo: repeats feed back darkened; a little of them goes on to the reverb.
constexpr float kEchoFeedback = 0.42f;
constexpr float kEchoDamp = 0.35f;
constexpr float kEchoWet = 0.55f;
constexpr float kEchoToReverb = 0.15f;

// Reverb: eight combs and four all-passes a side, the right side's lines a
// little longer so that the two sides decorrelate.
constexpr int kCombs = 8;
constexpr int kAllpasses = 4;
constexpr int SYN_COMB_LENGTH[kCombs] = {1116, 1188, 1277, 1356, 1422, 1491, 1557, 1617};
constexpr int SYN_ALLPASS_LENGTH[kAllpasses] = {556, 441, 341, 225};
constexpr int kStereoSpread = 23;
constexpr float kRoom = 0.86f;
constexpr float kDamp = 0.25f;
constexpr float kReverbInput = 0.03f;

// Master limiter: the mix is driven this far over the ceiling (2 = 6 dB),
// so only the loudest hits are pulled down.
constexpr float kLimitDrive = 2.0f;
constexpr float kLimitAttack = 0.002f;  // seconds
constexpr float kLimitRelease = 0.08f;

static float syn_sine[kSineSize + 1];
static uint32_t syn_rng = 1;

// A voice's level envelope: attack and decay in seconds, sustain level,
// release in seconds after the gate closes.
struct SYN_Env {
    double attack, decay, sustain, release;
};

// Where a voice writes: pan gains for the dry pair and its two send levels.
struct SYN_Mix {
    float left, right, reverb, delay;
};

// The sample range a voice covers, clipped to the buses.
struct SYN_Span {
    size_t first, count;
};

// Topology-preserving state-variable filter; one run yields all three outputs.
struct SYN_Svf {
    float a1, a2, a3, k;
    float ic1, ic2;
    float low, band, high;
};

void SYN_Open(double seconds) {
    size_t n = (size_t)std::llround(seconds * SYN_RATE);
    syn_left.assign(n, 0.0f);
    syn_right.assign(n, 0.0f);
    syn_reverb.assign(n, 0.0f);
    syn_delay.assign(n, 0.0f);
    for (int i = 0; i <= kSineSize; i++) syn_sine[i] = (float)std::sin(2.0 * kPi * i / kSineSize);
}

void SYN_Seed(uint32_t seed) {
    syn_rng = seed ? seed : 1;  // xorshift never leaves zero
}

uint32_t SYN_Rand() {
    syn_rng ^= syn_rng << 13;
    syn_rng ^= syn_rng >> 17;
    syn_rng ^= syn_rng << 5;
    return syn_rng;
}

float SYN_Noise() { return (float)((double)SYN_Rand() / 2147483648.0 - 1.0); }

double SYN_Hz(double midi) { return 440.0 * std::pow(2.0, (midi - 69.0) / 12.0); }

// Sine of a phase given in cycles, from the table.
static float SYN_Sin(double phase) {
    double x = (phase - std::floor(phase)) * kSineSize;
    int i = (int)x;
    float f = (float)(x - i);
    return syn_sine[i] + f * (syn_sine[i + 1] - syn_sine[i]);
}

// Polynomial correction that removes the aliasing of a saw's jump.
static float SYN_Blep(double phase, double dt) {
    if (phase < dt) {
        double x = phase / dt;
        return (float)(x + x - x * x - 1.0);
    }
    if (phase > 1.0 - dt) {
        double x = (phase - 1.0) / dt;
        return (float)(x * x + x + x + 1.0);
    }
    return 0.0f;
}

static float SYN_Saw(double& phase, double dt) {
    float s = (float)(2.0 * phase - 1.0) - SYN_Blep(phase, dt);
    phase += dt;
    if (phase >= 1.0) phase -= 1.0;
    return s;
}

static void SYN_SvfTune(SYN_Svf& f, double hz, double q) {
    hz = std::clamp(hz, 20.0, 0.45 * SYN_RATE);
    double g = std::tan(kPi * hz / SYN_RATE);
    f.k = (float)(1.0 / q);
    f.a1 = (float)(1.0 / (1.0 + g * (g + f.k)));
    f.a2 = (float)(g * f.a1);
    f.a3 = (float)(g * f.a2);
}

static void SYN_SvfRun(SYN_Svf& f, float v0) {
    float v3 = v0 - f.ic2;
    float v1 = f.a1 * f.ic1 + f.a2 * v3;
    float v2 = f.ic2 + f.a2 * f.ic1 + f.a3 * v3;
    f.ic1 = 2.0f * v1 - f.ic1;
    f.ic2 = 2.0f * v2 - f.ic2;
    f.low = v2;
    f.band = v1;
    f.high = v0 - f.k * v1 - v2;
}

static double SYN_EnvHeld(const SYN_Env& e, double t) {
    if (t < e.attack) return t / e.attack;
    if (t < e.attack + e.decay) return 1.0 - (1.0 - e.sustain) * (t - e.attack) / e.decay;
    return e.sustain;
}

// Envelope level `t` seconds after the note starts, the gate closing at `gate`.
static float SYN_EnvAt(const SYN_Env& e, double t, double gate) {
    if (t < gate) return (float)SYN_EnvHeld(e, t);
    double r = 1.0 - (t - gate) / e.release;
    return r > 0.0 ? (float)(SYN_EnvHeld(e, gate) * r * r) : 0.0f;
}

// Short linear fade over a fixed-length voice's last samples, so that
// cutting it off never clicks.
static float SYN_Tail(size_t k, size_t count) {
    double left = (double)(count - k) / (kTail * SYN_RATE);
    return left < 1.0 ? (float)left : 1.0f;
}

static SYN_Span SYN_Place(double t, double length) {
    size_t n = syn_left.size();
    if (t < 0.0 || length <= 0.0) return {0, 0};
    size_t first = (size_t)std::llround(t * SYN_RATE);
    if (first >= n) return {0, 0};
    size_t count = (size_t)std::llround(length * SYN_RATE);
    return {first, std::min(count, n - first)};
}

// Equal-power pan plus send levels.
static SYN_Mix SYN_Pan(float pan, float reverb, float delay) {
    double a = (pan + 1.0) * kPi / 4.0;
    return {(float)std::cos(a), (float)std::sin(a), reverb, delay};
}

static void SYN_Put(size_t i, float s, const SYN_Mix& m) {
    syn_left[i] += s * m.left;
    syn_right[i] += s * m.right;
    syn_reverb[i] += s * m.reverb;
    syn_delay[i] += s * m.delay;
}

// A voice with a left and a right signal of its own.
static void SYN_PutPair(size_t i, float l, float r, const SYN_Mix& m) {
    syn_left[i] += l;
    syn_right[i] += r;
    syn_reverb[i] += 0.5f * (l + r) * m.reverb;
    syn_delay[i] += 0.5f * (l + r) * m.delay;
}

// Sine body whose pitch drops from 170 Hz to 48 Hz, with a noise click.
void SYN_Kick(double t, float gain) {
    SYN_Span sp = SYN_Place(t, 0.6);
    SYN_Mix m = SYN_Pan(0.0f, 0.0f, 0.0f);
    double phase = 0.0;
    for (size_t k = 0; k < sp.count; k++) {
        double x = (double)k / SYN_RATE;
        phase += (48.0 + 122.0 * std::exp(-x / 0.035)) / SYN_RATE;
        float body = SYN_Sin(phase) * (float)std::exp(-x / 0.22);
        float click = 0.25f * SYN_Noise() * (float)std::exp(-x / 0.002);
        SYN_Put(sp.first + k, gain * (body + click) * SYN_Tail(k, sp.count), m);
    }
}

// A falling tone for the body and high-passed noise for the rattle.
void SYN_Snare(double t, float gain) {
    SYN_Span sp = SYN_Place(t, 0.35);
    SYN_Mix m = SYN_Pan(0.05f, 0.25f, 0.0f);
    SYN_Svf hp{};
    SYN_SvfTune(hp, 1400.0, 0.7);
    double phase = 0.0;
    for (size_t k = 0; k < sp.count; k++) {
        double x = (double)k / SYN_RATE;
        phase += (180.0 + 60.0 * std::exp(-x / 0.02)) / SYN_RATE;
        SYN_SvfRun(hp, SYN_Noise());
        float tone = 0.6f * SYN_Sin(phase) * (float)std::exp(-x / 0.05);
        float rattle = 0.8f * hp.high * (float)std::exp(-x / 0.11);
        SYN_Put(sp.first + k, gain * (tone + rattle) * SYN_Tail(k, sp.count), m);
    }
}

// High-passed noise; `decay` picks a closed (short) or open (long) hat.
void SYN_Hat(double t, float gain, double decay, float pan) {
    SYN_Span sp = SYN_Place(t, 6.0 * decay);
    SYN_Mix m = SYN_Pan(pan, 0.06f, 0.0f);
    SYN_Svf hp{};
    SYN_SvfTune(hp, 7500.0, 0.8);
    for (size_t k = 0; k < sp.count; k++) {
        double x = (double)k / SYN_RATE;
        SYN_SvfRun(hp, SYN_Noise());
        SYN_Put(sp.first + k, gain * hp.high * (float)std::exp(-x / decay) * SYN_Tail(k, sp.count),
                m);
    }
}

// Two independent high-passed noises, one a side, with a long decay.
void SYN_Crash(double t, float gain) {
    SYN_Span sp = SYN_Place(t, 2.5);
    SYN_Mix m = SYN_Pan(0.0f, 0.3f, 0.0f);
    SYN_Svf hl{}, hr{};
    SYN_SvfTune(hl, 3500.0, 0.7);
    SYN_SvfTune(hr, 3500.0, 0.7);
    for (size_t k = 0; k < sp.count; k++) {
        double x = (double)k / SYN_RATE;
        SYN_SvfRun(hl, SYN_Noise());
        SYN_SvfRun(hr, SYN_Noise());
        float env = gain * (float)std::exp(-x / 0.7) * SYN_Tail(k, sp.count);
        SYN_PutPair(sp.first + k, env * hl.high, env * hr.high, m);
    }
}

// Band-passed noise whose centre climbs five octaves while it swells.
void SYN_Riser(double t0, double t1, float gain) {
    SYN_Span sp = SYN_Place(t0, t1 - t0);
    SYN_Mix m = SYN_Pan(0.0f, 0.4f, 0.0f);
    SYN_Svf bl{}, br{};
    for (size_t k = 0; k < sp.count; k++) {
        double u = (double)k / (double)sp.count;
        if (k % kRetune == 0) {
            SYN_SvfTune(bl, 250.0 * std::pow(2.0, 5.0 * u), 2.0);
            SYN_SvfTune(br, 260.0 * std::pow(2.0, 5.0 * u), 2.0);
        }
        SYN_SvfRun(bl, SYN_Noise());
        SYN_SvfRun(br, SYN_Noise());
        float env = gain * (float)(u * u) * SYN_Tail(k, sp.count);
        SYN_PutPair(sp.first + k, env * bl.band, env * br.band, m);
    }
}

// Saw plus a sine at the same pitch, through a low-pass that snaps shut.
void SYN_Bass(double t, double gate, int midi, float gain) {
    const SYN_Env env = {0.004, 0.25, 0.75, 0.06};
    SYN_Span sp = SYN_Place(t, gate + env.release);
    SYN_Mix m = SYN_Pan(0.0f, 0.03f, 0.0f);
    SYN_Svf lp{};
    double dt = SYN_Hz(midi) / SYN_RATE, saw = 0.0, sub = 0.0;
    for (size_t k = 0; k < sp.count; k++) {
        double x = (double)k / SYN_RATE;
        if (k % kRetune == 0) SYN_SvfTune(lp, 180.0 + 1400.0 * std::exp(-x / 0.09), 1.1);
        SYN_SvfRun(lp, SYN_Saw(saw, dt) + 0.6f * SYN_Sin(sub));
        sub += dt;
        SYN_Put(sp.first + k, gain * lp.low * SYN_EnvAt(env, x, gate), m);
    }
}

// Three detuned saws (left, centre, right) through a slowly breathing low-pass.
void SYN_Pad(double t, double gate, int midi, float gain, float bright) {
    const SYN_Env env = {std::min(0.9, 0.5 * gate), 0.0, 1.0, 1.8};
    SYN_Span sp = SYN_Place(t, gate + env.release);
    SYN_Mix m = SYN_Pan(0.0f, 0.35f, 0.0f);
    SYN_Svf fl{}, fr{};
    double hz = SYN_Hz(midi), cutoff = 250.0 * std::pow(2.0, 5.2 * bright);
    double dl = hz * 0.9948 / SYN_RATE, dc = hz / SYN_RATE, dr = hz * 1.0052 / SYN_RATE;
    double pl = (SYN_Rand() & 0xffff) / 65536.0, pc = (SYN_Rand() & 0xffff) / 65536.0;
    double pr = (SYN_Rand() & 0xffff) / 65536.0;
    for (size_t k = 0; k < sp.count; k++) {
        double x = (double)k / SYN_RATE;
        if (k % kRetune == 0) {
            double breath = 1.0 + 0.15 * std::sin(2.0 * kPi * 0.25 * x);
            SYN_SvfTune(fl, cutoff * breath, 0.7);
            SYN_SvfTune(fr, cutoff / breath, 0.7);
        }
        float c = 0.6f * SYN_Saw(pc, dc);
        SYN_SvfRun(fl, SYN_Saw(pl, dl) + c);
        SYN_SvfRun(fr, SYN_Saw(pr, dr) + c);
        float level = gain * SYN_EnvAt(env, x, gate);
        SYN_PutPair(sp.first + k, level * fl.low, level * fr.low, m);
    }
}

// FM pluck: a sine whose self-modulation and level both die away quickly.
void SYN_Pluck(double t, int midi, float gain, float pan) {
    SYN_Span sp = SYN_Place(t, 0.9);
    SYN_Mix m = SYN_Pan(pan, 0.2f, 0.35f);
    double dt = SYN_Hz(midi) / SYN_RATE, phase = 0.0;
    for (size_t k = 0; k < sp.count; k++) {
        double x = (double)k / SYN_RATE;
        double index = 0.4 * std::exp(-x / 0.08) + 0.04;
        float s = SYN_Sin(phase + index * SYN_Sin(phase));
        phase += dt;
        float env = (float)(std::min(1.0, x / 0.002) * std::exp(-x / 0.22));
        SYN_Put(sp.first + k, gain * s * env * SYN_Tail(k, sp.count), m);
    }
}

// Two detuned saws with a delayed vibrato, through a low-pass that opens
// at the attack.
void SYN_Lead(double t, double gate, int midi, float gain) {
    const SYN_Env env = {0.015, 0.35, 0.65, 0.3};
    SYN_Span sp = SYN_Place(t, gate + env.release);
    SYN_Mix m = SYN_Pan(0.0f, 0.25f, 0.3f);
    SYN_Svf lp{};
    double hz = SYN_Hz(midi), pa = 0.0, pb = 0.5, bend = 1.0;
    for (size_t k = 0; k < sp.count; k++) {
        double x = (double)k / SYN_RATE;
        if (k % kRetune == 0) {
            double depth = 0.18 * std::clamp((x - 0.25) / 0.4, 0.0, 1.0);
            bend = std::pow(2.0, depth * std::sin(2.0 * kPi * 5.3 * x) / 12.0);
            SYN_SvfTune(lp, 2600.0 + 2400.0 * std::exp(-x / 0.2), 0.9);
        }
        double dt = hz * bend / SYN_RATE;
        SYN_SvfRun(lp, 0.5f * (SYN_Saw(pa, dt * 1.004) + SYN_Saw(pb, dt * 0.996)));
        SYN_Put(sp.first + k, gain * lp.low * SYN_EnvAt(env, x, gate), m);
    }
}

// Ping-pong echo: the left line takes the send and the darkened right
// repeat, the right line takes the left repeat.
static void SYN_Echo(double echo) {
    size_t d = (size_t)std::llround(echo * SYN_RATE), p = 0;
    std::vector<float> left(d, 0.0f), right(d, 0.0f);
    float tone = 0.0f;
    for (size_t i = 0; i < syn_delay.size(); i++) {
        float outl = left[p], outr = right[p];
        tone += kEchoDamp * (outr - tone);
        left[p] = syn_delay[i] + kEchoFeedback * tone;
        right[p] = kEchoFeedback * outl;
        p = (p + 1 == d) ? 0 : p + 1;
        syn_left[i] += kEchoWet * outl;
        syn_right[i] += kEchoWet * outr;
        syn_reverb[i] += kEchoToReverb * (outl + outr);
    }
}

// A delay line of the reverb with its running position and damping state.
struct SYN_Line {
    std::vector<float> buf;
    size_t pos;
    float store;
};

static float SYN_CombRun(SYN_Line& c, float in) {
    float out = c.buf[c.pos];
    c.store = out * (1.0f - kDamp) + c.store * kDamp;
    c.buf[c.pos] = in + c.store * kRoom;
    c.pos = (c.pos + 1 == c.buf.size()) ? 0 : c.pos + 1;
    return out;
}

static float SYN_AllpassRun(SYN_Line& a, float in) {
    float held = a.buf[a.pos];
    a.buf[a.pos] = in + held * 0.5f;
    a.pos = (a.pos + 1 == a.buf.size()) ? 0 : a.pos + 1;
    return held - in;
}

// One side of the reverb: parallel combs, then all-passes in series.
static float SYN_ReverbSide(SYN_Line* combs, SYN_Line* passes, float in) {
    float out = 0.0f;
    for (int c = 0; c < kCombs; c++) out += SYN_CombRun(combs[c], in);
    for (int a = 0; a < kAllpasses; a++) out = SYN_AllpassRun(passes[a], out);
    return out;
}

static void SYN_Reverb() {
    SYN_Line combs[2][kCombs], passes[2][kAllpasses];
    for (int side = 0; side < 2; side++) {
        for (int c = 0; c < kCombs; c++)
            combs[side][c] = {std::vector<float>(SYN_COMB_LENGTH[c] + side * kStereoSpread), 0,
                              0.0f};
        for (int a = 0; a < kAllpasses; a++)
            passes[side][a] = {std::vector<float>(SYN_ALLPASS_LENGTH[a] + side * kStereoSpread), 0,
                               0.0f};
    }
    for (size_t i = 0; i < syn_reverb.size(); i++) {
        float in = syn_reverb[i] * kReverbInput;
        syn_left[i] += SYN_ReverbSide(combs[0], passes[0], in);
        syn_right[i] += SYN_ReverbSide(combs[1], passes[1], in);
    }
}

void SYN_Effects(double echo) {
    SYN_Echo(echo);
    SYN_Reverb();
}

// Cubic fade: falls fast at first, then lingers near silence.
static float SYN_Fade(double t, double start, double end) {
    if (t <= start) return 1.0f;
    if (t >= end) return 0.0f;
    double u = 1.0 - (t - start) / (end - start);
    return (float)(u * u * u);
}

static float SYN_Peak() {
    float top = 0.0f;
    for (size_t i = 0; i < syn_left.size(); i++)
        top = std::max({top, std::fabs(syn_left[i]), std::fabs(syn_right[i])});
    return top;
}

static void SYN_Scale(float k) {
    for (size_t i = 0; i < syn_left.size(); i++) {
        syn_left[i] *= k;
        syn_right[i] *= k;
    }
}

// Look-ahead limiter. Each sample needs the gain that brings it under the
// ceiling; a backward pass lets the gain start falling shortly before a
// peak, a forward pass lets it recover slowly after it. Both passes only
// lower the gain, so no sample ends above the ceiling.
static void SYN_Limit(float ceiling) {
    const float attack = 1.0f - std::exp(-1.0f / (kLimitAttack * SYN_RATE));
    const float release = 1.0f - std::exp(-1.0f / (kLimitRelease * SYN_RATE));
    size_t n = syn_left.size();
    std::vector<float> gain(n);
    for (size_t i = 0; i < n; i++) {
        float level = std::max(std::fabs(syn_left[i]), std::fabs(syn_right[i]));
        gain[i] = level > ceiling ? ceiling / level : 1.0f;
    }
    for (size_t i = n - 1; i-- > 0;)
        gain[i] = std::min(gain[i], gain[i + 1] + attack * (1.0f - gain[i + 1]));
    for (size_t i = 1; i < n; i++)
        gain[i] = std::min(gain[i], gain[i - 1] + release * (1.0f - gain[i - 1]));
    for (size_t i = 0; i < n; i++) {
        syn_left[i] *= gain[i];
        syn_right[i] *= gain[i];
    }
}

void SYN_Master(double fade_start, double fade_end, float peak) {
    for (size_t i = 0; i < syn_left.size(); i++) {
        float g = SYN_Fade((double)i / SYN_RATE, fade_start, fade_end);
        syn_left[i] *= g;
        syn_right[i] *= g;
    }
    float top = SYN_Peak();
    if (top == 0.0f) return;
    SYN_Scale(kLimitDrive / top);
    SYN_Limit(1.0f);
    SYN_Scale(peak / SYN_Peak());
}

std::vector<int16_t> SYN_Pcm() {
    std::vector<int16_t> pcm(2 * syn_left.size());
    for (size_t i = 0; i < syn_left.size(); i++) {
        pcm[2 * i] = (int16_t)std::lround(std::clamp(syn_left[i], -1.0f, 1.0f) * 32767.0f);
        pcm[2 * i + 1] = (int16_t)std::lround(std::clamp(syn_right[i], -1.0f, 1.0f) * 32767.0f);
    }
    return pcm;
}
