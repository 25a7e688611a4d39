#pragma once
// Building blocks of the sound effects and the music: a seeded noise source, wavetables,
// envelopes, a small stereo reverb and the WAV and Ogg Vorbis writers.
// Everything is plain arithmetic on fixed seeds, so the same source gives the same bytes.
#include <cstdint>
#include <string>
#include <vector>

constexpr int SYNTH_RATE = 44100;

// xorshift64*: tiny, fast and the same everywhere.
struct SynthRandom {
    uint64_t state;  // never zero
};
SynthRandom synthRandom(uint64_t seed);
uint32_t randomBits(SynthRandom& random);
float randomFloat(SynthRandom& random);  // uniform in [-1, 1)

// One period of a waveform, read by phase in cycles with linear interpolation.
struct Wavetable {
    std::vector<float> samples;  // one period plus a copy of the first sample
};
// partials[k] is the amplitude of harmonic k + 1.
Wavetable makeWavetable(const std::vector<float>& partials);
float wave(const Wavetable& table, double phase);
float sine(double phase);  // phase in cycles, any sign or size

double midiFrequency(double note);

// 0 at i = 0 rising to 1 over `length` samples along a half cosine.
float rampIn(int i, int length);
// 1 until `length` samples before count, falling to exactly 0 at the last sample.
float rampOut(int i, int count, int length);

// One-pole low-pass; `cutoff` in Hz.
struct OnePole {
    float a = 0;  // weight of the new input
    float y = 0;  // last output
};
OnePole onePole(float cutoff);
float lowPass(OnePole& filter, float x);

// Freeverb-style: parallel damped combs into series all-passes, one set per side.
struct Reverb {
    std::vector<float> comb[2][6];    // comb delay lines per side
    float combStore[2][6] = {};       // damping filter state of each comb
    int combPos[2][6] = {};           // write positions
    std::vector<float> pass[2][3];    // all-pass delay lines per side
    int passPos[2][3] = {};
    float feedback = 0.84f;           // room size
    float damping = 0.3f;             // high-frequency loss per pass
};
Reverb makeReverb(float feedback, float damping);
void reverbStep(Reverb& reverb, float in, float& left, float& right);

// Scales so the largest magnitude is `peak` of full scale and rounds to 16 bits.
std::vector<int16_t> toPcm(const std::vector<float>& samples, float peak);
// 16-bit PCM RIFF WAV; samples interleaved when stereo.
bool writeWav(const std::string& path, int channels, const std::vector<int16_t>& samples);
// Ogg Vorbis, VBR at `quality` (-0.1..1); fixed stream serial and comments, no clock involved.
bool writeOggVorbis(const std::string& path, const std::vector<int16_t>& interleavedStereo,
                    float quality, int serial, const std::string& title);
