// A small note-at-a-time synthesiser for the soundtrack generator. Every note
// is rendered straight into the mix buses; the echo, the reverb and the
// master stage then run once over the whole track.
#pragma once

#include <cstdint>
#include <vector>

constexpr int SYN_RATE = 44100;  // samples a second, each bus

// The mix buses, one float a sample: the dry stereo pair and the two mono
// sends that feed the echo and the reverb.
extern std::vector<float> syn_left;
extern std::vector<float> syn_right;
extern std::vector<float> syn_reverb;
extern std::vector<float> syn_delay;

// Sizes the buses for `seconds` of sound and silences them.
void SYN_Open(double seconds);

// The integer noise generator every random choice draws from.
void SYN_Seed(uint32_t seed);
uint32_t SYN_Rand();
float SYN_Noise();  // uniform in [-1, 1)

// Frequency in Hz of a MIDI note number (69 = A4 = 440 Hz).
double SYN_Hz(double midi);

// Drums. `t` is the start in seconds, `gain` the peak level before mixing.
void SYN_Kick(double t, float gain);
void SYN_Snare(double t, float gain);
void SYN_Hat(double t, float gain, double decay, float pan);
void SYN_Crash(double t, float gain);
void SYN_Riser(double t0, double t1, float gain);

// Pitched voices. `gate` is how long the note is held before its release;
// `pan` runs from -1 (left) to 1 (right); `bright` from 0 (dark) to 1 (open).
void SYN_Bass(double t, double gate, int midi, float gain);
void SYN_Pad(double t, double gate, int midi, float gain, float bright);
void SYN_Pluck(double t, int midi, float gain, float pan);
void SYN_Lead(double t, double gate, int midi, float gain);

// Runs the ping-pong echo (`echo` seconds between repeats) over the delay
// send and the reverb over the reverb send, adding both returns to the dry pair.
void SYN_Effects(double echo);

// Fades the dry pair out between fade_start and fade_end (silent from then
// on), pulls its loudest hits down with a look-ahead limiter and scales it
// so that its largest sample is `peak`.
void SYN_Master(double fade_start, double fade_end, float peak);

// The dry pair as interleaved 16-bit samples, left first.
std::vector<int16_t> SYN_Pcm();
