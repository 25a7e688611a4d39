// The committed sound effects and music: they load through the game's own audio layer, are
// shaped to play cleanly (no click at either end, no clipping, no offset), the music loops
// seamlessly, and the asset generator makes every one of them again byte for byte.
#include <gtest/gtest.h>

#include <SDL.h>
#include <SDL_mixer.h>

#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "gameplay/sound.h"

namespace {

const std::string DATA = std::string(KESTRAVEL_SOURCE_DIR) + "/data";

struct Effect {
    int slot;
    const char* file;
    double minSeconds, maxSeconds;
};

const Effect EFFECTS[] = {
    {SOUND_JUMP, "jump2.wav", 0.05, 0.99},  {SOUND_LAND, "land2.wav", 0.05, 0.99},
    {SOUND_DIE, "die2.wav", 0.05, 0.99},    {SOUND_CHECK, "check2.wav", 0.05, 0.99},
    {SOUND_MOVE, "move2.wav", 0.02, 0.99},  {SOUND_STAR, "star2.wav", 0.05, 0.99},
    {SOUND_LOGO, "morvelt.wav", 1.2, 1.8},
};

std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

uint32_t le(const std::string& s, size_t at, int bytes) {
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | uint8_t(s[at + size_t(i)]);
    return v;
}

struct Wav {
    bool ok = false;
    int format = 0, channels = 0, rate = 0, bits = 0;
    std::vector<int16_t> samples;  // interleaved
    size_t frames() const { return channels ? samples.size() / size_t(channels) : 0; }
};

// Walks the RIFF chunks rather than trusting a fixed 44-byte header.
Wav parseWav(const std::string& bytes) {
    Wav w;
    if (bytes.size() < 12 || bytes.compare(0, 4, "RIFF") != 0 || bytes.compare(8, 4, "WAVE") != 0) return w;
    bool haveFormat = false;
    for (size_t at = 12; at + 8 <= bytes.size();) {
        std::string id = bytes.substr(at, 4);
        size_t size = le(bytes, at + 4, 4);
        size_t body = at + 8;
        if (size > bytes.size() - body) return w;
        if (id == "fmt " && size >= 16) {
            w.format = int(le(bytes, body, 2));
            w.channels = int(le(bytes, body + 2, 2));
            w.rate = int(le(bytes, body + 4, 4));
            w.bits = int(le(bytes, body + 14, 2));
            haveFormat = true;
        } else if (id == "data" && haveFormat) {
            for (size_t i = 0; i + 1 < size; i += 2) w.samples.push_back(int16_t(le(bytes, body + i, 2)));
            w.ok = true;
            return w;
        }
        at = body + size + (size & 1);
    }
    return w;
}

class AudioAssets : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        SDL_Init(0);
        resetSoundState();
        audioUp = initAudio();
    }
    static void TearDownTestSuite() {
        for (int slot = 0; slot < SOUND_SLOTS; ++slot) freeSound(slot);
        closeAudio();
        SDL_Quit();
    }
    void SetUp() override {
        if (!audioUp) GTEST_SKIP() << "no audio output, not even the dummy one";
    }
    static bool audioUp;
};
bool AudioAssets::audioUp = false;

TEST_F(AudioAssets, EveryEffectLoadsIntoItsSlot) {
    for (const Effect& e : EFFECTS) {
        std::string path = DATA + "/sounds/" + e.file;
        EXPECT_TRUE(loadSound(e.slot, path, false)) << e.file;
        EXPECT_TRUE(isSoundLoaded(e.slot)) << e.file;
        freeSound(e.slot);
    }
}

TEST_F(AudioAssets, MusicOpensStreamedAndLastsBetweenOneAndTwoMinutes) {
    std::string path = DATA + "/music/QuayShort.ogg";
    EXPECT_TRUE(loadSound(SOUND_MUSIC, path, true));
    EXPECT_TRUE(isSoundLoaded(SOUND_MUSIC));
    freeSound(SOUND_MUSIC);

    Mix_Music* music = Mix_LoadMUS(path.c_str());
    ASSERT_NE(music, nullptr) << Mix_GetError();
    double seconds = Mix_MusicDuration(music);
    Mix_FreeMusic(music);
    EXPECT_GE(seconds, 60.0);
    EXPECT_LE(seconds, 120.0);
}

// Decoded whole, the last sample of each channel must run on into the first: a gap or a jump
// there is heard as a click every time the track comes round.
TEST_F(AudioAssets, MusicLoopsWithoutAJump) {
    int rate = 0, channels = 0;
    Uint16 format = 0;
    ASSERT_TRUE(Mix_QuerySpec(&rate, &format, &channels));
    if (format != AUDIO_S16SYS || channels != 2) GTEST_SKIP() << "output is not 16-bit stereo";
    Mix_Chunk* chunk = Mix_LoadWAV((DATA + "/music/QuayShort.ogg").c_str());
    ASSERT_NE(chunk, nullptr) << Mix_GetError();
    const int16_t* s = reinterpret_cast<const int16_t*>(chunk->abuf);
    size_t frames = chunk->alen / 4;
    ASSERT_GT(frames, size_t(rate) * 60);
    int peak = 0;
    for (size_t i = 0; i < frames * 2; ++i) peak = std::max(peak, std::abs(int(s[i])));
    EXPECT_LT(peak, 29205) << "peaks must stay under -1 dBFS";
    EXPECT_GT(peak, 8000) << "the track should not be near silent";
    for (int c = 0; c < 2; ++c) {
        auto at = [&](long i) { return int(s[size_t((i + long(frames)) % long(frames)) * 2 + size_t(c)]); };
        long last = long(frames) - 1;
        // Step across the seam, and its bend (second difference) either side of it.
        EXPECT_LT(std::abs(at(0) - at(last)), 1600) << "channel " << c;
        EXPECT_LT(std::abs(at(1) - 2 * at(0) + at(last)), 1000) << "channel " << c;
        EXPECT_LT(std::abs(at(0) - 2 * at(last) + at(last - 1)), 1000) << "channel " << c;
    }
    Mix_FreeChunk(chunk);
}

TEST(AudioFiles, EffectsAreShortCleanSixteenBitPcm) {
    for (const Effect& e : EFFECTS) {
        SCOPED_TRACE(e.file);
        Wav w = parseWav(readAll(DATA + "/sounds/" + e.file));
        ASSERT_TRUE(w.ok);
        EXPECT_EQ(w.format, 1);
        EXPECT_EQ(w.bits, 16);
        EXPECT_EQ(w.rate, 44100);
        ASSERT_TRUE(w.channels == 1 || w.channels == 2);
        double seconds = double(w.frames()) / w.rate;
        EXPECT_GE(seconds, e.minSeconds);
        EXPECT_LE(seconds, e.maxSeconds);

        // Both ends on silence: anything above 1% of full scale there clicks.
        const size_t n = w.samples.size();
        for (int c = 0; c < w.channels; ++c) {
            EXPECT_LE(std::abs(w.samples[size_t(c)]), 328);
            EXPECT_LE(std::abs(w.samples[n - size_t(w.channels) + size_t(c)]), 328);
        }
        int peak = 0;
        double sum = 0;
        for (int16_t v : w.samples) {
            peak = std::max(peak, std::abs(int(v)));
            sum += v;
        }
        EXPECT_LT(peak, 29205) << "peaks must stay under -1 dBFS";
        EXPECT_GT(peak, 3000) << "audible at the slot's volume";
        EXPECT_LT(std::abs(sum / double(n)), 328.0) << "no DC offset";
    }
}

TEST(AudioFiles, EffectsDifferFromEachOther) {
    std::vector<std::string> seen;
    for (const Effect& e : EFFECTS) {
        std::string bytes = readAll(DATA + "/sounds/" + e.file);
        for (const std::string& other : seen) EXPECT_NE(bytes, other) << e.file;
        seen.push_back(bytes);
    }
}

TEST(AudioFiles, GeneratorRemakesTheCommittedFilesByteForByte) {
    std::string generator = std::string(KESTRAVEL_BIN_DIR) + "/kestravel-assetgen";
    if (!std::filesystem::exists(generator)) GTEST_SKIP() << "asset generator not built";
    std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                ("kestravel-audio-" + std::to_string(uint64_t(getpid())));
    std::filesystem::remove_all(dir);
    std::string command = "\"" + generator + "\" \"" + dir.string() + "\" sounds music";
    ASSERT_EQ(std::system(command.c_str()), 0);
    std::vector<std::string> files;
    for (const Effect& e : EFFECTS) files.push_back(std::string("sounds/") + e.file);
    files.push_back("music/QuayShort.ogg");
    for (const std::string& f : files) {
        std::string made = readAll((dir / f).string());
        std::string committed = readAll(DATA + "/" + f);
        EXPECT_FALSE(made.empty()) << f;
        EXPECT_TRUE(made == committed) << f << " differs from the committed file";
    }
    std::filesystem::remove_all(dir);
}

}  // namespace
