#include "tools/assetgen/synth.h"

#include <vorbis/vorbisenc.h>

#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

constexpr int TABLE_SIZE = 4096;
constexpr double TWO_PI = 6.283185307179586;

const Wavetable& sineTable() {
    static const Wavetable table = makeWavetable({1.0f});
    return table;
}

void putU16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(uint8_t(v & 0xff));
    out.push_back(uint8_t((v >> 8) & 0xff));
}

void putU32(std::vector<uint8_t>& out, uint32_t v) {
    putU16(out, v & 0xffff);
    putU16(out, v >> 16);
}

bool writeBytes(FILE* file, const unsigned char* bytes, long count) {
    return count <= 0 || std::fwrite(bytes, 1, size_t(count), file) == size_t(count);
}

}  // namespace

SynthRandom synthRandom(uint64_t seed) {
    SynthRandom random{seed ? seed : 0x9e3779b97f4a7c15ull};
    return random;
}

uint32_t randomBits(SynthRandom& random) {
    uint64_t x = random.state;
    x ^= x >> 12;
    x ^= x << 25;
    x ^= x >> 27;
    random.state = x;
    return uint32_t((x * 0x2545f4914f6cdd1dull) >> 32);
}

float randomFloat(SynthRandom& random) {
    return float(randomBits(random) >> 8) / float(1 << 23) - 1.0f;
}

Wavetable makeWavetable(const std::vector<float>& partials) {
    Wavetable table;
    table.samples.resize(TABLE_SIZE + 1);
    for (int i = 0; i < TABLE_SIZE; ++i) {
        double sum = 0;
        for (size_t k = 0; k < partials.size(); ++k)
            sum += partials[k] * std::sin(TWO_PI * double(k + 1) * i / TABLE_SIZE);
        table.samples[i] = float(sum);
    }
    table.samples[TABLE_SIZE] = table.samples[0];
    return table;
}

float wave(const Wavetable& table, double phase) {
    double position = (phase - std::floor(phase)) * TABLE_SIZE;
    int index = int(position);
    if (index >= TABLE_SIZE) index = TABLE_SIZE - 1;  // phase a hair below 1 can round up
    float fraction = float(position - index);
    const float* s = table.samples.data() + index;
    return s[0] + (s[1] - s[0]) * fraction;
}

float sine(double phase) { return wave(sineTable(), phase); }

double midiFrequency(double note) { return 440.0 * std::pow(2.0, (note - 69.0) / 12.0); }

float rampIn(int i, int length) {
    if (i <= 0) return 0.0f;
    if (i >= length) return 1.0f;
    return 0.5f - 0.5f * float(std::cos(3.141592653589793 * i / length));
}

float rampOut(int i, int count, int length) { return rampIn(count - 1 - i, length); }

OnePole onePole(float cutoff) {
    OnePole filter;
    filter.a = float(1.0 - std::exp(-TWO_PI * cutoff / SYNTH_RATE));
    return filter;
}

float lowPass(OnePole& filter, float x) {
    filter.y += filter.a * (x - filter.y);
    return filter.y;
}

Reverb makeReverb(float feedback, float damping) {
    static const int combLengths[6] = {1116, 1188, 1277, 1356, 1422, 1491};
    static const int passLengths[3] = {556, 441, 341};
    Reverb reverb;
    for (int side = 0; side < 2; ++side) {
        int spread = side ? 23 : 0;  // decorrelates the two sides
        for (int c = 0; c < 6; ++c) reverb.comb[side][c].assign(size_t(combLengths[c] + spread), 0.0f);
        for (int p = 0; p < 3; ++p) reverb.pass[side][p].assign(size_t(passLengths[p] + spread), 0.0f);
    }
    reverb.feedback = feedback;
    reverb.damping = damping;
    return reverb;
}

void reverbStep(Reverb& reverb, float in, float& left, float& right) {
    float out[2];
    for (int side = 0; side < 2; ++side) {
        float sum = 0;
        for (int c = 0; c < 6; ++c) {
            std::vector<float>& line = reverb.comb[side][c];
            int& pos = reverb.combPos[side][c];
            float delayed = line[size_t(pos)];
            float& store = reverb.combStore[side][c];
            store = delayed * (1.0f - reverb.damping) + store * reverb.damping;
            line[size_t(pos)] = in + store * reverb.feedback;
            if (++pos == int(line.size())) pos = 0;
            sum += delayed;
        }
        for (int p = 0; p < 3; ++p) {
            std::vector<float>& line = reverb.pass[side][p];
            int& pos = reverb.passPos[side][p];
            float delayed = line[size_t(pos)];
            line[size_t(pos)] = sum + delayed * 0.5f;
            if (++pos == int(line.size())) pos = 0;
            sum = delayed - sum;
        }
        out[side] = sum;
    }
    left = out[0];
    right = out[1];
}

std::vector<int16_t> toPcm(const std::vector<float>& samples, float peak) {
    float largest = 0;
    for (float s : samples) largest = std::fmax(largest, std::fabs(s));
    float gain = largest > 0 ? peak * 32767.0f / largest : 0.0f;
    std::vector<int16_t> pcm(samples.size());
    for (size_t i = 0; i < samples.size(); ++i) {
        long v = std::lround(samples[i] * gain);
        if (v > 32767) v = 32767;
        if (v < -32767) v = -32767;
        pcm[i] = int16_t(v);
    }
    return pcm;
}

bool writeWav(const std::string& path, int channels, const std::vector<int16_t>& samples) {
    uint32_t dataBytes = uint32_t(samples.size() * 2);
    std::vector<uint8_t> out;
    out.reserve(44 + dataBytes);
    for (char c : std::string("RIFF")) out.push_back(uint8_t(c));
    putU32(out, 36 + dataBytes);
    for (char c : std::string("WAVEfmt ")) out.push_back(uint8_t(c));
    putU32(out, 16);
    putU16(out, 1);  // integer PCM
    putU16(out, uint32_t(channels));
    putU32(out, SYNTH_RATE);
    putU32(out, uint32_t(SYNTH_RATE * channels * 2));
    putU16(out, uint32_t(channels * 2));
    putU16(out, 16);
    for (char c : std::string("data")) out.push_back(uint8_t(c));
    putU32(out, dataBytes);
    for (int16_t s : samples) putU16(out, uint16_t(s));
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    bool ok = writeBytes(file, out.data(), long(out.size()));
    return std::fclose(file) == 0 && ok;
}

bool writeOggVorbis(const std::string& path, const std::vector<int16_t>& interleavedStereo,
                    float quality, int serial, const std::string& title) {
    vorbis_info info;
    vorbis_info_init(&info);
    if (vorbis_encode_init_vbr(&info, 2, SYNTH_RATE, quality) != 0) {
        vorbis_info_clear(&info);
        return false;
    }
    vorbis_comment comment;
    vorbis_comment_init(&comment);
    vorbis_comment_add_tag(&comment, "TITLE", title.c_str());
    vorbis_dsp_state dsp;
    vorbis_block block;
    vorbis_analysis_init(&dsp, &info);
    vorbis_block_init(&dsp, &block);
    ogg_stream_state stream;
    ogg_stream_init(&stream, serial);

    FILE* file = std::fopen(path.c_str(), "wb");
    bool ok = file != nullptr;
    ogg_page page;
    ogg_packet packet;
    if (ok) {
        ogg_packet header, headerComment, headerCode;
        vorbis_analysis_headerout(&dsp, &comment, &header, &headerComment, &headerCode);
        ogg_stream_packetin(&stream, &header);
        ogg_stream_packetin(&stream, &headerComment);
        ogg_stream_packetin(&stream, &headerCode);
        // The audio starts on a fresh page, as decoders expect.
        while (ok && ogg_stream_flush(&stream, &page) != 0)
            ok = writeBytes(file, page.header, page.header_len) && writeBytes(file, page.body, page.body_len);
    }

    const size_t frames = interleavedStereo.size() / 2;
    const size_t chunk = 1024;
    size_t done = 0;
    bool ended = false;
    while (ok && !ended) {
        size_t count = frames - done < chunk ? frames - done : chunk;
        if (count == 0) {
            vorbis_analysis_wrote(&dsp, 0);  // end of stream
        } else {
            float** buffer = vorbis_analysis_buffer(&dsp, int(count));
            for (size_t i = 0; i < count; ++i) {
                buffer[0][i] = interleavedStereo[2 * (done + i)] / 32768.0f;
                buffer[1][i] = interleavedStereo[2 * (done + i) + 1] / 32768.0f;
            }
            vorbis_analysis_wrote(&dsp, int(count));
            done += count;
        }
        while (ok && vorbis_analysis_blockout(&dsp, &block) == 1) {
            vorbis_analysis(&block, nullptr);
            vorbis_bitrate_addblock(&block);
            while (ok && vorbis_bitrate_flushpacket(&dsp, &packet) == 1) {
                ogg_stream_packetin(&stream, &packet);
                while (ok && ogg_stream_pageout(&stream, &page) != 0) {
                    ok = writeBytes(file, page.header, page.header_len) && writeBytes(file, page.body, page.body_len);
                    if (ogg_page_eos(&page)) ended = true;
                }
            }
        }
        if (count == 0) ended = true;
    }
    // Whatever the last page-out left behind.
    while (ok && ogg_stream_flush(&stream, &page) != 0)
        ok = writeBytes(file, page.header, page.header_len) && writeBytes(file, page.body, page.body_len);

    ogg_stream_clear(&stream);
    vorbis_block_clear(&block);
    vorbis_dsp_clear(&dsp);
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
    if (file && std::fclose(file) != 0) ok = false;
    return ok;
}
