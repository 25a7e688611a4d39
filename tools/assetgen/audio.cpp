// The seven sound effects. Each is a few lines of synthesis on a fixed seed, shaped so it
// starts and ends on silence, then scaled to a peak that suits its slot's volume in the game.
#include <cmath>
#include <filesystem>

#include "tools/assetgen/assetgen.h"
#include "tools/assetgen/synth.h"
#include "world/manifest.h"

namespace {

int samplesOf(double seconds) { return int(std::lround(seconds * SYNTH_RATE)); }

// Fades both ends so the first and last samples are exactly zero.
void seal(std::vector<float>& s, int channels, int fadeIn, int fadeOut) {
    int frames = int(s.size()) / channels;
    for (int i = 0; i < frames; ++i) {
        float g = rampIn(i, fadeIn) * rampOut(i, frames, fadeOut);
        for (int c = 0; c < channels; ++c) s[size_t(i * channels + c)] *= g;
    }
}

// A soft rising blip: a sine gliding up most of an octave, quickly at first.
std::vector<float> jump() {
    int n = samplesOf(0.15);
    std::vector<float> s(static_cast<size_t>(n), 0.0f);
    double phase = 0;
    for (int i = 0; i < n; ++i) {
        double u = double(i) / n;
        double glide = 1.0 - (1.0 - u) * (1.0 - u);
        double f = 330.0 * std::pow(880.0 / 330.0, glide);
        phase += f / SYNTH_RATE;
        float env = float(std::exp(-u * 2.2));
        s[size_t(i)] = env * (sine(phase) + 0.22f * sine(2 * phase) + 0.06f * sine(3 * phase));
    }
    seal(s, 1, samplesOf(0.004), samplesOf(0.03));
    return s;
}

// A muffled thud: a falling low sine and a puff of dark noise.
std::vector<float> land() {
    int n = samplesOf(0.12);
    std::vector<float> s(static_cast<size_t>(n), 0.0f);
    SynthRandom random = synthRandom(0x1a2d);
    OnePole first = onePole(500), second = onePole(500);
    double phase = 0;
    for (int i = 0; i < n; ++i) {
        double t = double(i) / SYNTH_RATE;
        double f = 50.0 + 100.0 * std::exp(-t / 0.03);
        phase += f / SYNTH_RATE;
        float body = float(std::exp(-t / 0.04)) * sine(phase);
        float puff = lowPass(second, lowPass(first, randomFloat(random))) * float(std::exp(-t / 0.015));
        s[size_t(i)] = body + 2.2f * puff;
    }
    seal(s, 1, samplesOf(0.002), samplesOf(0.025));
    return s;
}

// A sad fall: two voices a minor third apart sliding down two octaves, wavering as they go,
// over a breath of noise.
std::vector<float> die() {
    int n = samplesOf(0.5);
    std::vector<float> s(static_cast<size_t>(n), 0.0f);
    SynthRandom random = synthRandom(0xd1e);
    OnePole breath = onePole(1200), breath2 = onePole(1200);
    double upper = 0, lower = 0;
    for (int i = 0; i < n; ++i) {
        double u = double(i) / n;
        double t = double(i) / SYNTH_RATE;
        double vibrato = 1.0 + 0.025 * u * std::sin(6.283185307179586 * 7.0 * t);
        double f = 440.0 * std::pow(0.25, std::pow(u, 1.3)) * vibrato;
        upper += f / SYNTH_RATE;
        lower += f * 0.8409 / SYNTH_RATE;
        float tone = sine(upper) + 0.3f * sine(2 * upper) + 0.12f * sine(3 * upper) +
                     0.7f * (sine(lower) + 0.25f * sine(2 * lower));
        float noise = lowPass(breath2, lowPass(breath, randomFloat(random)));
        float env = float(std::pow(1.0 - u, 1.2));
        s[size_t(i)] = env * (tone + 1.5f * noise * float(1.0 - u));
    }
    seal(s, 1, samplesOf(0.008), samplesOf(0.04));
    return s;
}

// A bell-ish note: nearly harmonic partials, the upper ones dying first.
void bell(std::vector<float>& s, int start, double f, double decay, float level) {
    static const double ratio[4] = {1.0, 2.0, 3.01, 4.2};
    static const float amp[4] = {1.0f, 0.35f, 0.15f, 0.06f};
    static const double speed[4] = {1.0, 1.8, 2.6, 4.0};  // how much faster each partial decays
    int attack = samplesOf(0.002);
    for (int i = start; i < int(s.size()); ++i) {
        int k = i - start;
        double t = double(k) / SYNTH_RATE;
        float sum = 0;
        for (int p = 0; p < 4; ++p)
            sum += amp[p] * float(std::exp(-t * speed[p] / decay)) * sine(f * ratio[p] * t);
        s[size_t(i)] += level * rampIn(k, attack) * sum;
    }
}

// A bright chime, a fourth up: A5 then D6.
std::vector<float> check() {
    int n = samplesOf(0.4);
    std::vector<float> s(static_cast<size_t>(n), 0.0f);
    bell(s, 0, 880.0, 0.12, 0.8f);
    bell(s, samplesOf(0.085), 1174.66, 0.17, 1.0f);
    seal(s, 1, samplesOf(0.002), samplesOf(0.06));
    return s;
}

// A tiny soft tick, woody rather than sharp: it plays on every step.
std::vector<float> move() {
    int n = samplesOf(0.05);
    std::vector<float> s(static_cast<size_t>(n), 0.0f);
    SynthRandom random = synthRandom(0x5e9);
    OnePole dull = onePole(3000);
    for (int i = 0; i < n; ++i) {
        double t = double(i) / SYNTH_RATE;
        float knock = float(std::exp(-t / 0.006)) * sine(1100.0 * t) +
                      0.6f * float(std::exp(-t / 0.01)) * sine(550.0 * t);
        float grain = lowPass(dull, randomFloat(random)) * float(std::exp(-t / 0.002));
        s[size_t(i)] = knock + 0.4f * grain;
    }
    seal(s, 1, samplesOf(0.0007), samplesOf(0.01));
    return s;
}

// A sparkly run up a D major chord, with a few random glints above it.
std::vector<float> star() {
    int n = samplesOf(0.5);
    std::vector<float> s(static_cast<size_t>(n), 0.0f);
    static const double notes[4] = {1174.66, 1479.98, 1760.0, 2349.32};
    for (int k = 0; k < 4; ++k) bell(s, samplesOf(0.055 * k), notes[k], k == 3 ? 0.2 : 0.11, k == 3 ? 0.9f : 0.7f);
    SynthRandom random = synthRandom(0x57a2);
    for (int g = 0; g < 9; ++g) {
        int start = samplesOf(0.02 + 0.3 * (randomFloat(random) * 0.5 + 0.5));
        double f = 3200.0 + 1800.0 * (randomFloat(random) * 0.5 + 0.5);
        for (int i = start; i < n; ++i) {
            double t = double(i - start) / SYNTH_RATE;
            s[size_t(i)] += 0.12f * rampIn(i - start, 40) * float(std::exp(-t / 0.025)) * sine(f * t);
        }
    }
    seal(s, 1, samplesOf(0.002), samplesOf(0.08));
    return s;
}

// The studio jingle: a warm rising Fmaj9 of soft bells over a pad, in a small room. Stereo.
std::vector<float> logo() {
    int n = samplesOf(1.5);
    std::vector<float> left(static_cast<size_t>(n), 0.0f), right(static_cast<size_t>(n), 0.0f);
    static const double arpeggio[5] = {53, 60, 69, 76, 79};  // F3 C4 A4 E5 G5
    for (int k = 0; k < 5; ++k) {
        int start = samplesOf(0.11 * k);
        double f = midiFrequency(arpeggio[k]);
        float pan = 0.2f + 0.15f * k;  // walks from left to right
        for (int i = start; i < n; ++i) {
            int j = i - start;
            double t = double(j) / SYNTH_RATE;
            double index = 1.3 * std::exp(-t / 0.25);  // bright strike mellowing out
            float v = sine(f * t + index / 6.283185307179586 * sine(f * t)) +
                      0.15f * float(std::exp(-t / 0.12)) * sine(3.5 * f * t);
            v *= rampIn(j, samplesOf(0.006)) * float(std::exp(-t / 0.8)) * 0.5f;
            left[size_t(i)] += v * (1.0f - pan);
            right[size_t(i)] += v * pan;
        }
    }
    static const double pad[4] = {41, 53, 57, 64};  // F2 F3 A3 E4
    for (int k = 0; k < 4; ++k) {
        double f = midiFrequency(pad[k]);
        for (int i = 0; i < n; ++i) {
            double t = double(i) / SYNTH_RATE;
            float swell = rampIn(i, samplesOf(0.45)) * 0.12f;
            left[size_t(i)] += swell * (sine(f * 0.998 * t) + 0.2f * sine(2 * f * t));
            right[size_t(i)] += swell * (sine(f * 1.002 * t) + 0.2f * sine(2 * f * t));
        }
    }
    Reverb room = makeReverb(0.8f, 0.35f);
    std::vector<float> s(static_cast<size_t>(n) * 2, 0.0f);
    for (int i = 0; i < n; ++i) {
        float wetLeft, wetRight;
        reverbStep(room, 0.05f * (left[size_t(i)] + right[size_t(i)]), wetLeft, wetRight);
        s[size_t(2 * i)] = left[size_t(i)] + wetLeft;
        s[size_t(2 * i + 1)] = right[size_t(i)] + wetRight;
    }
    seal(s, 2, samplesOf(0.004), samplesOf(0.35));
    return s;
}

bool save(const std::string& dataDir, int slot, const std::vector<float>& s, int channels, float peak) {
    return writeWav(inDataFolder(dataDir, ASSET_SOUNDS[slot]), channels, toPcm(s, peak));
}

}  // namespace

bool generateSounds(const std::string& dataDir) {
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(inDataFolder(dataDir, ASSET_SOUNDS[SOUND_JUMP])).parent_path(),
                                        error);
    // Peaks in full scale, judged against the slot volumes: die plays at 20, check and star at 50.
    bool ok = save(dataDir, SOUND_JUMP, jump(), 1, 0.40f);
    ok = save(dataDir, SOUND_LAND, land(), 1, 0.56f) && ok;
    ok = save(dataDir, SOUND_DIE, die(), 1, 0.84f) && ok;
    ok = save(dataDir, SOUND_CHECK, check(), 1, 0.70f) && ok;
    ok = save(dataDir, SOUND_MOVE, move(), 1, 0.18f) && ok;
    ok = save(dataDir, SOUND_STAR, star(), 1, 0.70f) && ok;
    ok = save(dataDir, SOUND_LOGO, logo(), 2, 0.60f) && ok;
    return ok;
}
