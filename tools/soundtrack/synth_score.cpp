// The soundtrack's arrangement. Ten sections, one per tape entry after the
// loading screen, each starting on a downbeat exactly where its entry
// starts; within a section the bars run at a steady 120 beats a minute, and
// a section's last bar is cut short where the next one begins. Harmony is in
// A minor: one chord a bar from a short progression per section.
#include "tools/soundtrack/synth_score.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "tools/soundtrack/synth.h"

// The score is laid out by hand, bar by bar.
// clang-format off

constexpr double kBpm = 120.0;
constexpr double kBar = 4.0 * 60.0 / kBpm;
constexpr int kStepsPerBar = 16;
constexpr double kStep = kBar / kStepsPerBar;
constexpr int kPhraseBars = 4;
constexpr uint32_t kSeed = 0x616d6272u;
constexpr double kFadeStart = 166.0;  // the tape ends at 171.44 s, well into the fade
constexpr double kFadeEnd = 174.0;

// Mixing levels of the instruments before each section's own levels.
constexpr float kPadGain = 0.09f;
constexpr float kBassGain = 0.6f;
constexpr float kKickGain = 0.75f;
constexpr float kSnareGain = 0.6f;
constexpr float kHatGain = 0.45f;
constexpr float kArpGain = 0.22f;
constexpr float kLeadGain = 0.45f;
constexpr float kCrashGain = 0.22f;
constexpr float kRiserGain = 0.2f;
constexpr double kClosedHat = 0.018;  // hat decays in seconds
constexpr double kOpenHat = 0.09;

enum { SCO_AM, SCO_F, SCO_C, SCO_G, SCO_EM, SCO_DM };

// A chord: its bass note and three pad notes, voiced close around middle C.
struct SCO_Chord {
    int bass;
    int pad[3];
};

static const SCO_Chord sco_chords[] = {
    {33, {57, 60, 64}},  // A minor
    {29, {57, 60, 65}},  // F major
    {36, {55, 60, 64}},  // C major
    {31, {55, 59, 62}},  // G major
    {28, {55, 59, 64}},  // E minor
    {38, {57, 62, 65}},  // D minor
};

// One chord a bar, repeated from the first when the section runs longer.
struct SCO_Prog {
    int count;
    int chord[8];
};

static const SCO_Prog sco_progs[] = {
    {4, {SCO_AM, SCO_F, SCO_C, SCO_G}},                          // home
    {4, {SCO_AM, SCO_AM, SCO_F, SCO_G}},                         // groove
    {4, {SCO_F, SCO_G, SCO_EM, SCO_AM}},                         // lift
    {4, {SCO_DM, SCO_F, SCO_G, SCO_G}},                          // build
    {7, {SCO_F, SCO_G, SCO_EM, SCO_AM, SCO_AM, SCO_AM, SCO_AM}},  // close on A minor
};

// A lead phrase of four bars: start and length in sixteenths, MIDI note.
struct SCO_Note {
    int step, len, midi;
};

struct SCO_Phrase {
    int count;
    SCO_Note note[20];
};

static const SCO_Phrase sco_phrases[] = {
    // Over the home progression.
    {15, {{0, 6, 76}, {6, 2, 74}, {8, 4, 72}, {12, 4, 69}, {16, 6, 72}, {22, 2, 74}, {24, 4, 76},
          {28, 4, 77}, {32, 6, 79}, {38, 2, 76}, {40, 4, 74}, {44, 4, 72}, {48, 8, 74},
          {56, 4, 71}, {60, 4, 67}}},
    // Over the lift, singing.
    {13, {{0, 4, 81}, {4, 4, 79}, {8, 4, 77}, {12, 4, 76}, {16, 6, 74}, {22, 2, 76}, {24, 8, 79},
          {32, 4, 76}, {36, 4, 79}, {40, 6, 83}, {46, 2, 81}, {48, 12, 81}, {60, 4, 76}}},
    // Over the lift, driving.
    {19, {{0, 3, 81}, {3, 3, 84}, {6, 2, 81}, {8, 4, 79}, {12, 4, 77}, {16, 3, 79}, {19, 3, 83},
          {22, 2, 79}, {24, 4, 74}, {28, 4, 79}, {32, 3, 83}, {35, 3, 79}, {38, 2, 76},
          {40, 4, 83}, {44, 2, 84}, {46, 2, 83}, {48, 10, 81}, {58, 2, 76}, {60, 4, 79}}},
    // Over the build, long rising tones.
    {7, {{0, 8, 74}, {8, 8, 77}, {16, 8, 72}, {24, 8, 69}, {32, 8, 71}, {40, 8, 74}, {48, 16, 79}}},
    // Over the close, quiet.
    {6, {{0, 12, 72}, {12, 4, 69}, {16, 12, 71}, {28, 4, 67}, {32, 16, 71}, {48, 16, 69}}},
};

// Sixteen-step patterns. Drums: 'x' full hit, 'o' soft hit, 'O' open hat.
// Bass: 'r' root, 'f' fifth, 'o' octave, '-' holds the note before.
static const char* const SCO_KICK_FOUR = "x...x...x...x...";
static const char* const SCO_KICK_BREAK = "x.....x.x.....o.";
static const char* const SCO_KICK_HALF = "x.........x.....";
static const char* const SCO_SNARE_BACK = "....x.......x...";
static const char* const SCO_SNARE_BREAK = "....x..o....x.o.";
static const char* const SCO_SNARE_HALF = "........x.......";
static const char* const SCO_HAT_OFF = "..x...x...x...x.";
static const char* const SCO_HAT_EIGHTS = "x.x.x.x.x.x.x.x.";
static const char* const SCO_HAT_SIXTEENS = "xoxoxoxoxoxoxoxo";
static const char* const SCO_HAT_OPEN = "..O...O...O...O.";
static const char* const SCO_HAT_DRIVE = "xoOoxoOoxoOoxoOo";
static const char* const SCO_BASS_HOLD = "r---------------";
static const char* const SCO_BASS_PULSE = "r.rr.rr.r.rr.ro.";
static const char* const SCO_BASS_BREAK = "r--.r.o.r--.f.o.";
static const char* const SCO_BASS_HALF = "r-----.rr-----o.";
static const char* const SCO_BASS_OCTAVE = "r.o.r.o.r.o.f.o.";

// One section of the track. A zero level leaves an instrument out.
struct SCO_Section {
    double start = 0.0, end = 0.0;  // seconds from the start of the music, set from the tape
    int prog = 0;                   // chord progression
    float pad = 0.0f, bright0 = 0.0f, bright1 = 0.0f;  // pad level, brightness at start and end
    float arp = 0.0f;               // pluck arpeggio level
    int arp_step = 1;               // sixteenths between plucks
    float bass = 0.0f;
    const char* bass_pat = nullptr;
    float kick = 0.0f;
    const char* kick_pat = nullptr;
    float snare = 0.0f;
    const char* snare_pat = nullptr;
    float hat = 0.0f;
    const char* hat_pat = nullptr;
    float lead = 0.0f;              // lead level
    int lead_a = 0, lead_b = 0;     // phrases the lead alternates, four bars each
    float crash = 0.0f;             // cymbal on the first beat
    double riser = 0.0;             // seconds of rising noise before the end
    bool roll = false;              // snare roll through the last bar, kick and bass resting
    float swell = 1.0f;             // rhythm level at the start, rising to full by the end
};

static const SCO_Section sco_sections[] = {
    // Title: the pads alone, slowly opening.
    {.prog = 0, .pad = 1.0f, .bright0 = 0.1f, .bright1 = 0.45f},
    // Title again: plucks, a held bass and soft hats join; noise rises to the drums.
    {.prog = 0, .pad = 1.0f, .bright0 = 0.45f, .bright1 = 0.6f,
     .arp = 0.6f, .arp_step = 2, .bass = 0.8f, .bass_pat = SCO_BASS_HOLD, .hat = 0.35f,
     .hat_pat = SCO_HAT_OFF, .riser = 4.0},
    // Glyphs: the groove starts, kick and pulsing bass.
    {.prog = 1, .pad = 0.7f, .bright0 = 0.5f, .bright1 = 0.6f,
     .arp = 0.45f, .arp_step = 1, .bass = 0.9f, .bass_pat = SCO_BASS_PULSE, .kick = 1.0f,
     .kick_pat = SCO_KICK_FOUR, .hat = 0.5f, .hat_pat = SCO_HAT_OFF, .crash = 0.6f},
    // Frame: full groove with snare and the first lead tune.
    {.prog = 0, .pad = 0.7f, .bright0 = 0.6f, .bright1 = 0.65f,
     .arp = 0.3f, .arp_step = 1, .bass = 0.9f, .bass_pat = SCO_BASS_PULSE, .kick = 1.0f,
     .kick_pat = SCO_KICK_FOUR, .snare = 0.8f, .snare_pat = SCO_SNARE_BACK, .hat = 0.45f,
     .hat_pat = SCO_HAT_SIXTEENS, .lead = 0.8f, .lead_a = 0, .lead_b = 0, .crash = 0.7f},
    // Figure: breakdown, no kick or snare; pads and a soft singing lead.
    {.prog = 2, .pad = 1.0f, .bright0 = 0.7f, .bright1 = 0.5f,
     .arp = 0.4f, .arp_step = 2, .bass = 0.6f, .bass_pat = SCO_BASS_HOLD, .hat = 0.3f,
     .hat_pat = SCO_HAT_OFF, .lead = 0.6f, .lead_a = 1, .lead_b = 1, .crash = 0.4f},
    // Tree: broken beat and bouncing bass.
    {.prog = 1, .pad = 0.6f, .bright0 = 0.5f, .bright1 = 0.5f,
     .arp = 0.5f, .arp_step = 1, .bass = 0.9f, .bass_pat = SCO_BASS_BREAK, .kick = 1.0f,
     .kick_pat = SCO_KICK_BREAK, .snare = 0.8f, .snare_pat = SCO_SNARE_BREAK, .hat = 0.45f,
     .hat_pat = SCO_HAT_EIGHTS, .crash = 0.6f},
    // Tunnel: the build-up, pads opening, noise rising, a snare roll at the end.
    {.prog = 3, .pad = 0.7f, .bright0 = 0.3f, .bright1 = 0.9f,
     .arp = 0.35f, .arp_step = 1, .bass = 0.9f, .bass_pat = SCO_BASS_PULSE, .kick = 1.0f,
     .kick_pat = SCO_KICK_FOUR, .snare = 0.7f, .snare_pat = SCO_SNARE_BACK, .hat = 0.45f,
     .hat_pat = SCO_HAT_SIXTEENS, .lead = 0.6f, .lead_a = 3, .lead_b = 3, .crash = 0.6f,
     .riser = 8.0, .roll = true, .swell = 0.4f},
    // Pipes: the climax arrives in half time, open hats, the lead loud; a snare
    // roll leads into the full drive.
    {.prog = 2, .pad = 0.9f, .bright0 = 0.6f, .bright1 = 0.7f,
     .arp = 0.4f, .arp_step = 1, .bass = 0.8f, .bass_pat = SCO_BASS_HALF, .kick = 0.9f,
     .kick_pat = SCO_KICK_HALF, .snare = 1.0f, .snare_pat = SCO_SNARE_HALF, .hat = 0.5f,
     .hat_pat = SCO_HAT_OPEN, .lead = 1.0f, .lead_a = 1, .lead_b = 1, .crash = 1.0f, .roll = true},
    // Pipes again: the climax at full drive.
    {.prog = 2, .pad = 1.0f, .bright0 = 0.95f, .bright1 = 0.95f,
     .arp = 0.45f, .arp_step = 1, .bass = 1.0f, .bass_pat = SCO_BASS_OCTAVE, .kick = 1.0f,
     .kick_pat = SCO_KICK_FOUR, .snare = 0.9f, .snare_pat = SCO_SNARE_BACK, .hat = 0.5f,
     .hat_pat = SCO_HAT_DRIVE, .lead = 1.0f, .lead_a = 2, .lead_b = 1, .crash = 1.0f},
    // Close: pads closing down, a quiet lead, resting on A minor into the fade.
    {.prog = 4, .pad = 1.3f, .bright0 = 0.5f,
     .bright1 = 0.15f, .arp = 0.3f, .arp_step = 2, .bass = 0.5f, .bass_pat = SCO_BASS_HOLD,
     .lead = 0.45f, .lead_a = 4, .lead_b = 4, .crash = 0.5f},
};

static int SCO_ChordIndex(const SCO_Section& s, int bar) {
    const SCO_Prog& p = sco_progs[s.prog];
    return p.chord[bar % p.count];
}

static const SCO_Chord& SCO_ChordAt(const SCO_Section& s, int bar) {
    return sco_chords[SCO_ChordIndex(s, bar)];
}

// Pads hold each chord; bars that repeat a chord extend it rather than
// striking it again.
static void SCO_Pads(const SCO_Section& s) {
    int bars = (int)std::ceil((s.end - s.start) / kBar);
    for (int b = 0, run = 1; b < bars; b += run) {
        run = 1;
        while (b + run < bars && SCO_ChordIndex(s, b + run) == SCO_ChordIndex(s, b))
            run++;
        double t0 = s.start + b * kBar;
        double t1 = std::min(s.start + (b + run) * kBar, s.end);
        float bright = s.bright0 + (s.bright1 - s.bright0) * (float)((t0 - s.start) / (s.end - s.start));
        for (int note : SCO_ChordAt(s, b).pad)
            SYN_Pad(t0, t1 - t0, note, kPadGain * s.pad, bright);
    }
}

static float SCO_Hit(const char* pat, int pos) {
    if (pat == nullptr)
        return 0.0f;
    if (pat[pos] == 'x' || pat[pos] == 'O')
        return 1.0f;
    return pat[pos] == 'o' ? 0.5f : 0.0f;
}

static bool SCO_InRoll(const SCO_Section& s, double t) {
    return s.roll && t >= s.end - kBar;
}

// Snare level in the roll, swelling towards the section's end.
static float SCO_Roll(const SCO_Section& s, double t) {
    return s.snare * (float)(0.25 + 0.75 * (1.0 - (s.end - t) / kBar));
}

// Level of the drums, bass and plucks at `t`: builds rise through the section.
static float SCO_Swell(const SCO_Section& s, double t) {
    return s.swell + (1.0f - s.swell) * (float)((t - s.start) / (s.end - s.start));
}

static void SCO_Drums(const SCO_Section& s, int k, double t) {
    int pos = k % kStepsPerBar;
    bool rolling = SCO_InRoll(s, t);
    float swell = SCO_Swell(s, t);
    float kick = rolling ? 0.0f : s.kick * SCO_Hit(s.kick_pat, pos);
    if (kick > 0.0f)
        SYN_Kick(t, kKickGain * swell * kick);
    float snare = rolling ? SCO_Roll(s, t) : swell * s.snare * SCO_Hit(s.snare_pat, pos);
    if (snare > 0.0f)
        SYN_Snare(t, kSnareGain * snare);
    float hat = swell * s.hat * SCO_Hit(s.hat_pat, pos);
    if (hat > 0.0f) {
        float touch = 0.8f + 0.2f * (float)(SYN_Rand() & 0xff) / 255.0f;  // a played feel
        double decay = s.hat_pat[pos] == 'O' ? kOpenHat : kClosedHat;
        SYN_Hat(t, kHatGain * hat * touch, decay, pos % 4 == 2 ? 0.3f : -0.2f);
    }
}

static void SCO_BassStep(const SCO_Section& s, int k, double t) {
    if (s.bass <= 0.0f || SCO_InRoll(s, t))
        return;
    int pos = k % kStepsPerBar;
    char c = s.bass_pat[pos];
    int shift = c == 'r' ? 0 : c == 'f' ? 7 : c == 'o' ? 12 : -1;
    if (shift < 0)
        return;
    int len = 1;
    while (pos + len < kStepsPerBar && s.bass_pat[pos + len] == '-')
        len++;
    double gate = std::min(len * kStep * 0.9, s.end - t);
    SYN_Bass(t, gate, SCO_ChordAt(s, k / kStepsPerBar).bass + shift,
             kBassGain * SCO_Swell(s, t) * s.bass);
}

// Plucks walk up and down the chord an octave above the pads, alternating
// sides, with the beats accented.
static void SCO_ArpStep(const SCO_Section& s, int k, double t) {
    static const int order[6] = {0, 1, 2, 3, 2, 1};  // 3: the root an octave up
    if (s.arp <= 0.0f || k % s.arp_step != 0)
        return;
    int n = k / s.arp_step;
    const SCO_Chord& c = SCO_ChordAt(s, k / kStepsPerBar);
    int tone = order[n % 6];
    int midi = 12 + (tone == 3 ? c.pad[0] + 12 : c.pad[tone]);
    float accent = k % 4 == 0 ? 1.0f : 0.7f;
    SYN_Pluck(t, midi, kArpGain * SCO_Swell(s, t) * s.arp * accent, n % 2 ? 0.45f : -0.45f);
}

static void SCO_Rhythm(const SCO_Section& s) {
    for (int k = 0; s.start + k * kStep < s.end; k++) {
        double t = s.start + k * kStep;
        SCO_Drums(s, k, t);
        SCO_BassStep(s, k, t);
        SCO_ArpStep(s, k, t);
    }
}

static void SCO_LeadPart(const SCO_Section& s) {
    if (s.lead <= 0.0f)
        return;
    const int block_steps = kPhraseBars * kStepsPerBar;
    for (int block = 0; s.start + block * block_steps * kStep < s.end; block++) {
        const SCO_Phrase& ph = sco_phrases[block % 2 ? s.lead_b : s.lead_a];
        for (int i = 0; i < ph.count; i++) {
            double t = s.start + (block * block_steps + ph.note[i].step) * kStep;
            if (t >= s.end)
                break;
            double gate = std::min(ph.note[i].len * kStep * 0.92, s.end - t);
            SYN_Lead(t, gate, ph.note[i].midi, kLeadGain * s.lead);
        }
    }
}

static void SCO_Effects(const SCO_Section& s) {
    if (s.crash > 0.0f)
        SYN_Crash(s.start, kCrashGain * s.crash);
    if (s.riser > 0.0)
        SYN_Riser(s.end - s.riser, s.end, kRiserGain);
}

void SCO_Render(const std::vector<double>& entries) {
    SYN_Open(SCO_LENGTH);
    SYN_Seed(kSeed);
    for (size_t i = 0; i < std::size(sco_sections); ++i) {
        SCO_Section s = sco_sections[i];
        s.start = entries.at(i);
        s.end = i + 1 < std::size(sco_sections) ? entries.at(i + 1) : SCO_LENGTH;
        SCO_Pads(s);
        SCO_Rhythm(s);
        SCO_LeadPart(s);
        SCO_Effects(s);
    }
    SYN_Effects(3.0 * kStep);  // echo on the dotted eighth
    SYN_Master(kFadeStart, kFadeEnd, SCO_PEAK);
}
// clang-format on
