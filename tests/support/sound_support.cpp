#include "tests/support/sound_support.h"

#include <SDL_mixer.h>
#include <vorbis/vorbisenc.h>

#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>

std::vector<int16_t> toneSamples(double frequency, double seconds, int amplitude) {
    std::vector<int16_t> out(static_cast<size_t>(seconds * TEST_RATE));
    for (size_t i = 0; i < out.size(); ++i)
        out[i] = static_cast<int16_t>(std::lround(amplitude * std::sin(2.0 * M_PI * frequency * i / TEST_RATE)));
    return out;
}

std::vector<int16_t> levelSamples(int level, double seconds) {
    return std::vector<int16_t>(static_cast<size_t>(seconds * TEST_RATE), static_cast<int16_t>(level));
}

std::vector<int16_t> joined(std::vector<int16_t> first, const std::vector<int16_t>& second) {
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

namespace {

void put16(std::string& out, uint16_t v) {
    out.push_back(static_cast<char>(v & 0xff));
    out.push_back(static_cast<char>(v >> 8));
}
void put32(std::string& out, uint32_t v) {
    put16(out, static_cast<uint16_t>(v & 0xffff));
    put16(out, static_cast<uint16_t>(v >> 16));
}

}  // namespace

bool writeBytes(const std::string& path, const std::string& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(file);
}

bool writeWav(const std::string& path, const std::vector<int16_t>& samples) {
    uint32_t dataBytes = static_cast<uint32_t>(samples.size() * 2);
    std::string out = "RIFF";
    put32(out, 36 + dataBytes);
    out += "WAVEfmt ";
    put32(out, 16);
    put16(out, 1);  // PCM
    put16(out, 1);  // mono
    put32(out, TEST_RATE);
    put32(out, TEST_RATE * 2);
    put16(out, 2);
    put16(out, 16);
    out += "data";
    put32(out, dataBytes);
    for (int16_t s : samples) put16(out, static_cast<uint16_t>(s));
    return writeBytes(path, out);
}

bool writeOgg(const std::string& path, const std::vector<int16_t>& samples) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    vorbis_info info;
    vorbis_info_init(&info);
    if (vorbis_encode_init_vbr(&info, 1, TEST_RATE, 0.9f) != 0) {
        vorbis_info_clear(&info);
        std::fclose(file);
        return false;
    }
    vorbis_comment comment;
    vorbis_comment_init(&comment);
    vorbis_dsp_state dsp;
    vorbis_analysis_init(&dsp, &info);
    vorbis_block block;
    vorbis_block_init(&dsp, &block);
    ogg_stream_state stream;
    ogg_stream_init(&stream, 1);
    ogg_page page;
    ogg_packet packet;

    ogg_packet header, headerComment, headerCode;
    vorbis_analysis_headerout(&dsp, &comment, &header, &headerComment, &headerCode);
    ogg_stream_packetin(&stream, &header);
    ogg_stream_packetin(&stream, &headerComment);
    ogg_stream_packetin(&stream, &headerCode);
    while (ogg_stream_flush(&stream, &page) != 0) {
        std::fwrite(page.header, 1, page.header_len, file);
        std::fwrite(page.body, 1, page.body_len, file);
    }

    size_t done = 0;
    bool end = false;
    while (!end) {
        size_t count = std::min<size_t>(1024, samples.size() - done);
        if (count > 0) {
            float** buffer = vorbis_analysis_buffer(&dsp, static_cast<int>(count));
            for (size_t i = 0; i < count; ++i) buffer[0][i] = samples[done + i] / 32768.0f;
            vorbis_analysis_wrote(&dsp, static_cast<int>(count));
            done += count;
        } else {
            vorbis_analysis_wrote(&dsp, 0);
        }
        while (vorbis_analysis_blockout(&dsp, &block) == 1) {
            vorbis_analysis(&block, nullptr);
            vorbis_bitrate_addblock(&block);
            while (vorbis_bitrate_flushpacket(&dsp, &packet)) {
                ogg_stream_packetin(&stream, &packet);
                while (!end && ogg_stream_pageout(&stream, &page) != 0) {
                    std::fwrite(page.header, 1, page.header_len, file);
                    std::fwrite(page.body, 1, page.body_len, file);
                    if (ogg_page_eos(&page)) end = true;
                }
            }
        }
    }
    ogg_stream_clear(&stream);
    vorbis_block_clear(&block);
    vorbis_dsp_clear(&dsp);
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
    return std::fclose(file) == 0;
}

namespace {

// Two minutes of output at most, so a stalled test cannot eat the memory.
constexpr size_t RECORD_LIMIT = static_cast<size_t>(TEST_RATE) * 2 * 120;
constexpr auto STALL = std::chrono::seconds(20);
constexpr auto IDLE = std::chrono::milliseconds(5);


struct Tap {
    std::mutex lock;
    std::condition_variable changed;
    int64_t framesMixed = 0;
    int chunkFrames = 0;
    std::vector<TapStep> steps;  // the schedule being run
    std::vector<int64_t> stepFrames;
    size_t nextStep = 0;         // steps handed out
    size_t stepsRun = 0;         // steps whose action has returned
    int64_t scheduleBase = -1;   // frame of the first step
    int waiters = 0;             // test-thread calls waiting for output
    bool recording = false;
    int64_t recordStart = 0;
    std::vector<int16_t> samples;  // interleaved stereo from recordStart
};
Tap tap;

// Counts a test-thread wait (made under tap.lock) and wakes an idling output.
struct Waiting {
    Waiting() {
        ++tap.waiters;
        tap.changed.notify_all();
    }
    ~Waiting() { --tap.waiters; }
};

void SDLCALL postMix(void*, Uint8* stream, int len) {
    const int16_t* data = reinterpret_cast<const int16_t*>(stream);
    int frames = len / 4;
    std::vector<std::function<void()>> due;
    {
        std::lock_guard<std::mutex> hold(tap.lock);
        if (tap.recording && tap.samples.size() < RECORD_LIMIT)
            tap.samples.insert(tap.samples.end(), data, data + frames * 2);
        tap.framesMixed += frames;
        tap.chunkFrames = frames;
        if (tap.nextStep < tap.steps.size()) {
            if (tap.scheduleBase < 0) {
                tap.scheduleBase = tap.framesMixed;
                if (!tap.recording) {
                    tap.recording = true;
                    tap.recordStart = tap.framesMixed;
                }
            }
            while (tap.nextStep < tap.steps.size() &&
                   tap.scheduleBase + tap.steps[tap.nextStep].offset <= tap.framesMixed) {
                due.push_back(tap.steps[tap.nextStep].action);
                tap.stepFrames.push_back(tap.framesMixed);
                ++tap.nextStep;
            }
        }
    }
    // Between two buffers: each action is heard from the next frame on.
    for (auto& action : due)
        if (action) action();
    std::unique_lock<std::mutex> hold(tap.lock);
    tap.stepsRun += due.size();
    tap.changed.notify_all();
    // With the disk driver undelayed the output runs as fast as it can; while nobody waits for it,
    // slow it down so a slow run (valgrind, a busy machine) does not fill the disk.
    tap.changed.wait_for(hold, IDLE, [] { return tap.waiters > 0; });
}

}  // namespace

bool installAudioTap() {
    int rate = 0, channels = 0;
    Uint16 format = 0;
    if (!Mix_QuerySpec(&rate, &format, &channels)) return false;
    if (rate != TEST_RATE || format != AUDIO_S16SYS || channels != 2) return false;
    {
        std::lock_guard<std::mutex> hold(tap.lock);
        tap.framesMixed = 0;
        tap.chunkFrames = 0;
        tap.steps.clear();
        tap.stepFrames.clear();
        tap.nextStep = 0;
        tap.stepsRun = 0;
        tap.scheduleBase = -1;
        tap.recording = false;
        tap.recordStart = 0;
        tap.samples.clear();
    }
    Mix_SetPostMix(postMix, nullptr);
    return true;
}

void removeAudioTap() {
    Mix_SetPostMix(nullptr, nullptr);
    std::lock_guard<std::mutex> hold(tap.lock);
    tap.samples.clear();
    tap.samples.shrink_to_fit();
    tap.recording = false;
}

int tapChunkFrames() {
    waitForFrame(1);
    std::lock_guard<std::mutex> hold(tap.lock);
    return tap.chunkFrames;
}

std::vector<int64_t> atMixFrames(std::vector<TapStep> steps) {
    std::unique_lock<std::mutex> hold(tap.lock);
    tap.steps = std::move(steps);
    tap.stepFrames.clear();
    tap.nextStep = 0;
    tap.stepsRun = 0;
    tap.scheduleBase = -1;
    Waiting waiting;
    bool done = tap.changed.wait_for(hold, STALL, [&] { return tap.stepsRun >= tap.steps.size(); });
    std::vector<int64_t> frames = tap.stepFrames;
    tap.steps.clear();
    tap.nextStep = 0;
    if (!done) return {};
    return frames;
}

int64_t atMixBoundary(const std::function<void()>& action) {
    std::vector<int64_t> frames = atMixFrames({{0, action}});
    return frames.empty() ? -1 : frames[0];
}

bool waitForFrame(int64_t frame) {
    std::unique_lock<std::mutex> hold(tap.lock);
    Waiting waiting;
    return tap.changed.wait_for(hold, STALL, [&] { return tap.framesMixed >= frame; });
}

std::vector<int16_t> recordedFrames(int64_t from, int64_t count) {
    if (!waitForFrame(from + count)) return {};
    std::lock_guard<std::mutex> hold(tap.lock);
    int64_t have = static_cast<int64_t>(tap.samples.size() / 2);
    if (!tap.recording || from < tap.recordStart || from + count > tap.recordStart + have) return {};
    std::vector<int16_t> out(static_cast<size_t>(count));
    for (int64_t i = 0; i < count; ++i) out[i] = tap.samples[static_cast<size_t>((from - tap.recordStart + i) * 2)];
    return out;
}

bool channelsEqual(int64_t from, int64_t count) {
    if (!waitForFrame(from + count)) return false;
    std::lock_guard<std::mutex> hold(tap.lock);
    int64_t have = static_cast<int64_t>(tap.samples.size() / 2);
    if (from < tap.recordStart || from + count > tap.recordStart + have) return false;
    for (int64_t i = 0; i < count; ++i) {
        size_t at = static_cast<size_t>((from - tap.recordStart + i) * 2);
        if (tap.samples[at] != tap.samples[at + 1]) return false;
    }
    return true;
}

int peakAbs(const std::vector<int16_t>& s, size_t from, size_t to) {
    int peak = 0;
    for (size_t i = from; i < to && i < s.size(); ++i) peak = std::max(peak, std::abs(static_cast<int>(s[i])));
    return peak;
}

double meanAbs(const std::vector<int16_t>& s, size_t from, size_t to) {
    double sum = 0;
    size_t n = 0;
    for (size_t i = from; i < to && i < s.size(); ++i, ++n) sum += std::abs(static_cast<int>(s[i]));
    return n ? sum / n : 0.0;
}

int64_t firstAtLeast(const std::vector<int16_t>& s, int threshold, size_t from) {
    for (size_t i = from; i < s.size(); ++i)
        if (std::abs(static_cast<int>(s[i])) >= threshold) return static_cast<int64_t>(i);
    return -1;
}

std::string makeTempFolder(const std::string& tag) {
    std::string pattern = (std::filesystem::temp_directory_path() / ("kestravel-" + tag + "-XXXXXX")).string();
    if (!mkdtemp(pattern.data())) return "";
    return pattern;
}

void removeFolder(const std::string& path) {
    std::error_code ignored;
    if (!path.empty()) std::filesystem::remove_all(path, ignored);
}
