// "Lanterns on the Quay": a slow D dorian night piece, A B A', 24 bars at 72 beats a minute.
// Plucked bell melody, soft pads, a slow bass, a harp figure and a little lapping water.
// The track loops: every note tail, echo and reverb that runs past the last bar is folded
// back onto the first bars, so the final sample flows into sample 0.
#include <cmath>
#include <filesystem>

#include "tools/assetgen/assetgen.h"
#include "tools/assetgen/synth.h"
#include "world/manifest.h"

namespace {

constexpr int BEAT = 36750;  // 72 beats a minute at 44100 Hz
constexpr int EIGHTH = BEAT / 2;
constexpr int BAR = 4 * BEAT;
constexpr int BARS = 24;
constexpr int LOOP = BARS * BAR;  // 80 seconds exactly
constexpr int OGG_SERIAL = 0x4b515559;
constexpr double TWO_PI = 6.283185307179586;

struct Chord {
    int bass;      // MIDI note of the bass
    int notes[4];  // pad voicing, low to high
};

const Chord DM7 = {38, {50, 57, 60, 65}};
const Chord G6 = {43, {55, 59, 62, 64}};
const Chord FMAJ7 = {41, {53, 60, 64, 69}};
const Chord C_OVER_E = {40, {52, 55, 60, 64}};
const Chord BBMAJ7 = {34, {58, 62, 65, 69}};
const Chord GM7 = {43, {55, 58, 62, 65}};
const Chord ASUS4 = {45, {57, 62, 64, 67}};
const Chord A7 = {45, {57, 61, 64, 67}};
const Chord C = {36, {55, 60, 64, 67}};
const Chord AM7 = {45, {57, 60, 64, 67}};

// Two chords per bar; most bars hold one chord for both halves.
struct BarChords {
    Chord first, second;
};

const BarChords SECTION_A[8] = {{DM7, DM7},       {G6, G6},         {FMAJ7, FMAJ7}, {C_OVER_E, C_OVER_E},
                                {DM7, DM7},       {BBMAJ7, BBMAJ7}, {GM7, GM7},     {ASUS4, A7}};
const BarChords SECTION_B[8] = {{BBMAJ7, BBMAJ7}, {C, C},           {AM7, AM7},     {DM7, DM7},
                                {GM7, GM7},       {C, C},           {FMAJ7, FMAJ7}, {ASUS4, A7}};

struct Note {
    int bar;     // 0-based bar of the piece
    int start;   // in eighths from the bar's start
    int length;  // in eighths
    int pitch;   // MIDI
};

// Melody of one section, bar numbers relative to the section.
const Note MELODY_A[] = {
    {0, 0, 3, 69}, {0, 3, 1, 74}, {0, 4, 2, 76}, {0, 6, 2, 77},
    {1, 0, 3, 76}, {1, 3, 1, 74}, {1, 4, 4, 71},
    {2, 0, 2, 72}, {2, 2, 1, 69}, {2, 3, 1, 72}, {2, 4, 3, 77}, {2, 7, 1, 76},
    {3, 0, 4, 76}, {3, 4, 2, 74}, {3, 6, 2, 72},
    {4, 0, 3, 69}, {4, 3, 1, 74}, {4, 4, 2, 76}, {4, 6, 2, 77},
    {5, 0, 3, 79}, {5, 3, 1, 77}, {5, 4, 4, 74},
    {6, 0, 2, 70}, {6, 2, 2, 74}, {6, 4, 2, 79}, {6, 6, 2, 77},
    {7, 0, 3, 76}, {7, 3, 1, 74}, {7, 4, 2, 76}, {7, 6, 2, 73},
};
const Note MELODY_B[] = {
    {0, 0, 2, 77}, {0, 2, 4, 81}, {0, 6, 2, 79},
    {1, 0, 3, 79}, {1, 3, 1, 76}, {1, 4, 4, 72},
    {2, 0, 2, 76}, {2, 2, 2, 79}, {2, 4, 3, 81}, {2, 7, 1, 79},
    {3, 0, 6, 77}, {3, 6, 1, 76}, {3, 7, 1, 74},
    {4, 0, 2, 74}, {4, 2, 2, 70}, {4, 4, 2, 74}, {4, 6, 2, 79},
    {5, 0, 3, 79}, {5, 3, 1, 77}, {5, 4, 2, 76}, {5, 6, 2, 72},
    {6, 0, 4, 81}, {6, 4, 2, 79}, {6, 6, 2, 77},
    {7, 0, 4, 76}, {7, 4, 2, 69}, {7, 6, 2, 73},
};
// The return of A turns bar 4 differently.
const Note TURN_A2[] = {{3, 0, 2, 76}, {3, 2, 2, 79}, {3, 4, 2, 76}, {3, 6, 1, 74}, {3, 7, 1, 72}};

// Stereo buffer one loop long; writes past the end wrap onto the start.
struct Track {
    std::vector<float> left, right;
};

Track makeTrack() {
    Track t;
    t.left.assign(LOOP, 0.0f);
    t.right.assign(LOOP, 0.0f);
    return t;
}

void add(Track& t, long i, float l, float r) {
    size_t j = size_t(i % LOOP);
    t.left[j] += l;
    t.right[j] += r;
}

bool sameChord(const Chord& a, const Chord& b) {
    for (int n = 0; n < 4; ++n)
        if (a.notes[n] != b.notes[n]) return false;
    return a.bass == b.bass;
}

const Chord& chordAt(int bar, int half) {
    const BarChords& b = (bar >= 8 && bar < 16) ? SECTION_B[bar % 8] : SECTION_A[bar % 8];
    return half ? b.second : b.first;
}

// Soft pad: three detuned copies of a mellow wave, slow swell, long release.
// Phase follows absolute time so a note held across two chords stays coherent.
void pad(Track& t) {
    static const Wavetable tone = makeWavetable({1.0f, 0.28f, 0.12f, 0.05f, 0.02f});
    const int attack = int(0.7 * SYNTH_RATE), release = int(1.2 * SYNTH_RATE);
    for (int bar = 0; bar < BARS; ++bar) {
        for (int half = 0; half < 2; ++half) {
            const Chord& chord = chordAt(bar, half);
            bool split = !sameChord(chordAt(bar, 1), chordAt(bar, 0));
            if (half == 1 && !split) continue;
            long start = long(bar) * BAR + (half ? BAR / 2 : 0);
            int held = split ? BAR / 2 : BAR;
            for (int n = 0; n < 4; ++n) {
                double f = midiFrequency(chord.notes[n]) / SYNTH_RATE;
                for (int k = 0; k < held + release; ++k) {
                    float env = rampIn(k, attack) * (k < held ? 1.0f : rampOut(k - held, release, release));
                    double i = double(start + k);
                    float a = wave(tone, f * 0.99596 * i), b = wave(tone, f * i), c = wave(tone, f * 1.00405 * i);
                    float v = 0.04f * env;
                    add(t, start + k, v * (a + 0.6f * b), v * (c + 0.6f * b));
                }
            }
        }
    }
}

// One bass note: round wave, soft attack, slow decay, cosine release.
void bassNote(Track& t, long start, int length, int pitch) {
    static const Wavetable tone = makeWavetable({1.0f, 0.35f, 0.1f, 0.03f});
    const int release = int(0.12 * SYNTH_RATE);
    double f = midiFrequency(pitch) / SYNTH_RATE;
    for (int k = 0; k < length + release; ++k) {
        double seconds = double(k) / SYNTH_RATE;
        float env = rampIn(k, int(0.012 * SYNTH_RATE)) * float(std::exp(-seconds / 1.4)) *
                    (k < length ? 1.0f : rampOut(k - length, release, release));
        float v = 0.18f * env * wave(tone, f * k);
        add(t, start + k, v, v);
    }
}

// Root for five eighths, then a fifth (or a fourth down when that would sit too high).
void bass(Track& t) {
    for (int bar = 0; bar < BARS; ++bar) {
        long start = long(bar) * BAR;
        const Chord& first = chordAt(bar, 0);
        const Chord& second = chordAt(bar, 1);
        bassNote(t, start, 5 * EIGHTH, first.bass);
        int answer = second.bass + 7 <= 47 ? second.bass + 7 : second.bass - 5;
        bassNote(t, start + 6 * EIGHTH, 2 * EIGHTH - EIGHTH / 4, answer);
    }
}

// Plucked bell: 1:1 FM whose brightness dies quickly, plus a faint inharmonic shimmer.
void bellNote(Track& t, long start, int length, int pitch, float velocity, float pan) {
    const int release = int(0.35 * SYNTH_RATE);
    double f = midiFrequency(pitch) / SYNTH_RATE;
    for (int k = 0; k < length + release; ++k) {
        double seconds = double(k) / SYNTH_RATE;
        double index = 1.6 * std::exp(-seconds / 0.18) + 0.25;
        double phase = f * k;
        float v = sine(phase + index / TWO_PI * sine(phase)) +
                  0.12f * float(std::exp(-seconds / 0.2)) * sine(3.5 * phase);
        float env = rampIn(k, int(0.003 * SYNTH_RATE)) * float(std::exp(-seconds / 1.1)) *
                    (k < length ? 1.0f : rampOut(k - length, release, release));
        v *= 0.4f * velocity * env;
        add(t, start + k, v * (1.0f - pan), v * pan);
    }
}

void melody(Track& t, SynthRandom& random) {
    auto play = [&](const Note& n, int firstBar, int octave, float level, float pan) {
        float velocity = n.start == 0 ? 1.0f : (n.start % 2 == 0 ? 0.9f : 0.8f);
        velocity *= 0.96f + 0.04f * randomFloat(random);
        long nudge = long(randomFloat(random) * 130);  // a player is never exactly on the grid
        long start = long(firstBar + n.bar) * BAR + long(n.start) * EIGHTH + nudge + LOOP;
        bellNote(t, start, n.length * EIGHTH, n.pitch + 12 * octave, velocity * level, pan);
    };
    for (const Note& n : MELODY_A) play(n, 0, 0, 1.0f, 0.56f);
    for (const Note& n : MELODY_B) play(n, 8, 0, 1.0f, 0.56f);
    // The return of A: the tune again with a faint glint an octave above, on the other side.
    for (int octave = 0; octave < 2; ++octave) {
        float level = octave ? 0.22f : 1.0f;
        float pan = octave ? 0.3f : 0.56f;
        for (const Note& n : MELODY_A)
            if (n.bar != 3) play(n, 16, octave, level, pan);
        for (const Note& n : TURN_A2) play(n, 16, octave, level, pan);
    }
}

// Harp: a rising and falling figure over each chord, brighter at the strike.
void harpNote(Track& t, long start, int pitch, float level) {
    static const Wavetable bright = makeWavetable({1.0f, 0.5f, 0.3f, 0.15f, 0.08f});
    const int length = int(0.9 * SYNTH_RATE);
    double f = midiFrequency(pitch) / SYNTH_RATE;
    for (int k = 0; k < length; ++k) {
        double seconds = double(k) / SYNTH_RATE;
        float shine = float(std::exp(-seconds / 0.08));
        float v = shine * wave(bright, f * k) + (1.0f - shine) * sine(f * k);
        v *= level * rampIn(k, 60) * float(std::exp(-seconds / 0.5)) * rampOut(k, length, int(0.1 * SYNTH_RATE));
        add(t, start + k, v, v * 0.55f);
    }
}

void harp(Track& t) {
    static const int figure[8] = {0, 2, 3, 5, 7, 5, 3, 2};  // steps through the chord, 4+ an octave up
    for (int bar = 4; bar < BARS; ++bar) {
        float level = bar < 8 ? 0.055f : 0.09f;  // enters softly in the second half of A
        for (int e = 0; e < 8; ++e) {
            const Chord& chord = chordAt(bar, e >= 4);
            int step = figure[e];
            int pitch = chord.notes[step % 4] + 12 * (step / 4);
            harpNote(t, long(bar) * BAR + long(e) * EIGHTH, pitch, level * (e == 0 ? 1.0f : 0.85f));
        }
    }
}

uint64_t mix64(uint64_t x) {
    x += 0x9e3779b97f4a7c15ull;
    x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ull;
    x = (x ^ (x >> 27)) * 0x94d049bb133111ebull;
    return x ^ (x >> 31);
}

// Noise as a function of position, so the loop's end can warm the filters for its start.
float noiseAt(long i, int side) {
    return float(mix64(uint64_t(i) * 2 + uint64_t(side) + 0x51a7) >> 40) / float(1 << 23) - 1.0f;
}

// Water lapping at the quay: band-limited noise swelling in slow, overlapping waves.
void water(Track& t) {
    for (int side = 0; side < 2; ++side) {
        OnePole a = onePole(700), b = onePole(700), low = onePole(150);
        for (long i = -SYNTH_RATE / 10; i < LOOP; ++i) {
            long j = (i + LOOP) % LOOP;
            float x = lowPass(b, lowPass(a, noiseAt(j, side)));
            float band = x - lowPass(low, x);
            if (i < 0) continue;
            double u = double(j) / LOOP;  // whole cycles per loop keep the swell seamless
            double swell = 0.55 + 0.25 * std::sin(TWO_PI * 37 * u + side) + 0.2 * std::sin(TWO_PI * 23 * u + 1.0);
            (side ? t.right : t.left)[size_t(j)] += float(0.2 * swell) * band;
        }
    }
}

// Ping-pong echo a dotted eighth apart, darker on every repeat; run over two loops so the
// echoes of the last bars land on the first.
Track echo(const Track& dry) {
    const int delay = 3 * EIGHTH / 2;
    std::vector<float> lineLeft(size_t(delay), 0.0f), lineRight(size_t(delay), 0.0f);
    OnePole darkLeft = onePole(3000), darkRight = onePole(3000);
    Track wet = makeTrack();
    int pos = 0;
    for (long i = 0; i < 2L * LOOP; ++i) {
        size_t j = size_t(i % LOOP);
        float outLeft = lineLeft[size_t(pos)], outRight = lineRight[size_t(pos)];
        lineLeft[size_t(pos)] = 0.5f * (dry.left[j] + dry.right[j]) + 0.32f * lowPass(darkRight, outRight);
        lineRight[size_t(pos)] = 0.32f * lowPass(darkLeft, outLeft);
        if (++pos == delay) pos = 0;
        if (i >= LOOP) {
            wet.left[j] = outLeft;
            wet.right[j] = outRight;
        }
    }
    return wet;
}

}  // namespace

bool generateMusic(const std::string& dataDir) {
    const std::string path = inDataFolder(dataDir, ASSET_MUSIC);
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), error);

    SynthRandom random = synthRandom(0x1a27e125);
    Track bells = makeTrack();
    melody(bells, random);
    Track echoes = echo(bells);

    Track bed = makeTrack();  // everything else, which reaches the reverb at its own level
    pad(bed);
    Track low = makeTrack();
    bass(low);
    Track strings = makeTrack();
    harp(strings);

    // Reverb over two loops as well; only the second, settled pass is kept.
    Reverb hall = makeReverb(0.86f, 0.35f);
    std::vector<float> mix(size_t(LOOP) * 2, 0.0f);
    for (long i = 0; i < 2L * LOOP; ++i) {
        size_t j = size_t(i % LOOP);
        float sendLeft = 0.5f * bells.left[j] + 0.4f * echoes.left[j] + 0.3f * bed.left[j] + 0.4f * strings.left[j] +
                         0.05f * low.left[j];
        float sendRight = 0.5f * bells.right[j] + 0.4f * echoes.right[j] + 0.3f * bed.right[j] +
                          0.4f * strings.right[j] + 0.05f * low.right[j];
        float wetLeft, wetRight;
        reverbStep(hall, 0.04f * (sendLeft + sendRight), wetLeft, wetRight);
        if (i < LOOP) continue;
        mix[2 * j] = bells.left[j] + 0.5f * echoes.left[j] + bed.left[j] + low.left[j] + strings.left[j] + wetLeft;
        mix[2 * j + 1] =
            bells.right[j] + 0.5f * echoes.right[j] + bed.right[j] + low.right[j] + strings.right[j] + wetRight;
    }
    Track waves = makeTrack();
    water(waves);
    for (size_t j = 0; j < size_t(LOOP); ++j) {
        mix[2 * j] += waves.left[j];
        mix[2 * j + 1] += waves.right[j];
    }
    // Lossy coding overshoots a little; leave room below full scale.
    return writeOggVorbis(path, toPcm(mix, 0.66f), 0.4f, OGG_SERIAL, "Lanterns on the Quay");
}
