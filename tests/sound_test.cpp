#include <gtest/gtest.h>

#include <SDL.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "gameplay/sound.h"
#include "shell/display.h"
#include "shell/input.h"
#include "tests/support/sound_support.h"
#include "world/manifest.h"

namespace {

constexpr int64_t SECOND = TEST_RATE;
constexpr int TONE = 16000;      // peak of the test tones
constexpr int MARK = 16000;      // level of the opening marker of the marked sounds
constexpr int BODY = 4000;       // level of the rest of them
constexpr int LEVEL_SLACK = 3;   // float round trip of format conversion

int64_t ms(int milliseconds) { return SECOND * milliseconds / 1000; }

// Files every output test can use, made once.
struct SoundFiles {
    std::string folder;
    std::string tone;       // 441 Hz, 1 s
    std::string marked;     // 50 ms at MARK, then 950 ms at BODY
    std::string shortLevel; // 200 ms at 8000
    std::string shortTone;  // 441 Hz, 200 ms
    std::string loopOgg;    // 441 Hz, exactly 441 periods: loops seamlessly
    std::string markedOgg;  // 200 ms of loud tone, then 800 ms quiet
    std::string corruptWav, junk, empty, corruptOgg;
};
SoundFiles files;

class SoundOutput : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        files.folder = makeTempFolder("sound");
        ASSERT_FALSE(files.folder.empty());
        auto at = [](const char* name) { return files.folder + "/" + name; };
        files.tone = at("tone.wav");
        files.marked = at("marked.wav");
        files.shortLevel = at("short.wav");
        files.shortTone = at("shorttone.wav");
        files.loopOgg = at("loop.ogg");
        files.markedOgg = at("marked.ogg");
        files.corruptWav = at("corrupt.wav");
        files.junk = at("junk.wav");
        files.empty = at("empty.wav");
        files.corruptOgg = at("corrupt.ogg");
        ASSERT_TRUE(writeWav(files.tone, toneSamples(441, 1.0, TONE)));
        ASSERT_TRUE(writeWav(files.marked, joined(levelSamples(MARK, 0.05), levelSamples(BODY, 0.95))));
        ASSERT_TRUE(writeWav(files.shortLevel, levelSamples(8000, 0.2)));
        ASSERT_TRUE(writeWav(files.shortTone, toneSamples(441, 0.2, TONE)));
        ASSERT_TRUE(writeOgg(files.loopOgg, toneSamples(441, 1.0, TONE)));
        ASSERT_TRUE(writeOgg(files.markedOgg, joined(toneSamples(441, 0.2, 20000), toneSamples(441, 0.8, 4000))));
        // A WAV header that promises more than it holds, then noise.
        std::string corrupt = "RIFF\x10\x00\x00\x00WAVEfmt \xff\xff\xff\xff";
        corrupt += std::string(64, '\x7f');
        ASSERT_TRUE(writeBytes(files.corruptWav, corrupt));
        ASSERT_TRUE(writeBytes(files.junk, std::string(4096, '\x5a')));
        ASSERT_TRUE(writeBytes(files.empty, ""));
        ASSERT_TRUE(writeBytes(files.corruptOgg, "OggS" + std::string(2000, '\x13')));
    }
    static void TearDownTestSuite() { removeFolder(files.folder); }

    void SetUp() override {
        capture = files.folder + "/output.raw";
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", capture.c_str(), 1);
        setenv("SDL_DISKAUDIODELAY", "0", 1);
        resetSoundState();
        ASSERT_TRUE(initAudio());
        ASSERT_TRUE(installAudioTap());
    }
    void TearDown() override {
        removeAudioTap();
        closeAudio();
        std::filesystem::remove(capture);
        screen.keyState = nullptr;
    }

    // Peak of the output over [from, from + count).
    int peakOver(int64_t from, int64_t count) {
        std::vector<int16_t> out = recordedFrames(from, count);
        EXPECT_EQ(out.size(), static_cast<size_t>(count));
        return peakAbs(out, 0, out.size());
    }
    // Peak of the output over 300 ms after playing a slot once.
    int peakOfPlay(int slot) {
        int64_t at = atMixBoundary([slot] { playSound(slot, false); });
        EXPECT_GE(at, 0);
        int peak = peakOver(at, ms(300));
        atMixBoundary([] { stopAllSounds(); });
        return peak;
    }

    std::string capture;
};

}  // namespace

// ---- State without an output -------------------------------------------------------------------

TEST(SoundState, ResetGivesTheProgramStartValues) {
    sound.soundMode = 2;
    sound.muteHeld = 1;
    sound.musicStartState = 2;
    resetSoundState();
    const int32_t expected[SOUND_SLOTS] = {40, 100, 100, 20, 50, 100, 50, 100};
    for (int slot = 0; slot < SOUND_SLOTS; ++slot) EXPECT_EQ(sound.soundVolumes[slot], expected[slot]) << slot;
    EXPECT_EQ(sound.soundMode, 0);
    EXPECT_EQ(sound.muteHeld, 0);
    EXPECT_EQ(sound.musicStartState, 0);
}

TEST(SoundState, VolumesMapLinearlyOntoTheMixerRoundedAndClamped) {
    EXPECT_EQ(mixerVolume(0), 0);
    EXPECT_EQ(mixerVolume(100), 128);
    EXPECT_EQ(mixerVolume(50), 64);
    EXPECT_EQ(mixerVolume(40), 51);   // 51.2
    EXPECT_EQ(mixerVolume(20), 26);   // 25.6
    EXPECT_EQ(mixerVolume(1), 1);     // 1.28
    EXPECT_EQ(mixerVolume(99), 127);  // 126.72
    EXPECT_EQ(mixerVolume(-7), 0);
    EXPECT_EQ(mixerVolume(250), 128);
}

TEST(SoundState, WithoutAnOutputEveryOperationIsSilentAndSafe) {
    ASSERT_FALSE(audio.open);
    EXPECT_FALSE(loadSound(1, "/nonexistent/jump.wav", false));
    EXPECT_FALSE(loadSound(SOUND_MUSIC, "/nonexistent/music.ogg", true));
    for (int slot = -2; slot <= SOUND_SLOTS; ++slot) {
        EXPECT_FALSE(isSoundLoaded(slot));
        playSound(slot, true);
        setSoundVolume(slot, 50);
        freeSound(slot);
    }
    resetSoundState();
    loadMusic();
    EXPECT_FALSE(isSoundLoaded(SOUND_MUSIC));
    stopAllSounds();
    closeAudio();
    closeAudio();
}

TEST(SoundState, NoOutputMeansInitAudioFailsAndStaysClosed) {
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    EXPECT_FALSE(initAudio());
    EXPECT_FALSE(audio.open);
    EXPECT_FALSE(SDL_WasInit(SDL_INIT_AUDIO)) << "the failed start is undone";
    EXPECT_FALSE(loadSound(SOUND_JUMP, "anything.wav", false));
    stopAllSounds();
    closeAudio();
    // A later attempt with an output works.
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    ASSERT_TRUE(initAudio());
    EXPECT_TRUE(audio.open);
    closeAudio();
    EXPECT_FALSE(audio.open);
    EXPECT_FALSE(SDL_WasInit(SDL_INIT_AUDIO));
}

TEST(SoundToggle, CyclesOncePerPressAndNeverWhileHeld) {
    uint8_t keys[512] = {};
    screen.keyState = keys;
    resetSoundState();
    const int32_t expected[] = {1, 2, 0, 1};
    for (int32_t mode : expected) {
        keys[SDL_SCANCODE_M] = 1;
        for (int held = 0; held < 5; ++held) {
            updateSoundToggle();
            EXPECT_EQ(sound.soundMode, mode);
            EXPECT_EQ(sound.muteHeld, 1);
        }
        keys[SDL_SCANCODE_M] = 0;
        updateSoundToggle();
        EXPECT_EQ(sound.muteHeld, 0);
        EXPECT_EQ(sound.soundMode, mode);
    }
    // Other keys do nothing; a mode from nowhere restarts the cycle.
    keys[SDL_SCANCODE_N] = 1;
    updateSoundToggle();
    EXPECT_EQ(sound.soundMode, 1);
    sound.soundMode = 7;
    keys[SDL_SCANCODE_M] = 1;
    updateSoundToggle();
    EXPECT_EQ(sound.soundMode, 1);
    screen.keyState = nullptr;
    resetSoundState();
}

TEST(SoundToggle, ControllerYCyclesLikeM) {
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER), 0);
    int index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 6, 15, 1);
    ASSERT_GE(index, 0);
    SDL_GameController* pad = SDL_GameControllerOpen(index);
    ASSERT_NE(pad, nullptr);
    SDL_Joystick* stick = SDL_GameControllerGetJoystick(pad);
    uint8_t keys[512] = {};
    screen.keyState = keys;
    input.controller = pad;
    resetSoundState();
    auto hold = [&](bool down) {
        SDL_JoystickSetVirtualButton(stick, SDL_CONTROLLER_BUTTON_Y, down ? 1 : 0);
        SDL_GameControllerUpdate();
        updateSoundToggle();
    };
    hold(true);
    hold(true);
    EXPECT_EQ(sound.soundMode, 1);
    hold(false);
    hold(true);
    EXPECT_EQ(sound.soundMode, 2);
    // M and Y together are one held input.
    keys[SDL_SCANCODE_M] = 1;
    hold(false);
    EXPECT_EQ(sound.soundMode, 2);
    keys[SDL_SCANCODE_M] = 0;
    hold(false);
    hold(true);
    EXPECT_EQ(sound.soundMode, 0);

    input.controller = nullptr;
    screen.keyState = nullptr;
    SDL_GameControllerClose(pad);
    SDL_JoystickDetachVirtual(index);
    SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
    resetSoundState();
}

// ---- The output ----------------------------------------------------------------------------------

TEST_F(SoundOutput, OpensStereo16BitOnceWithShortChunksAndOneChannelPerSlot) {
    int rate = 0, channels = 0;
    Uint16 format = 0;
    ASSERT_TRUE(Mix_QuerySpec(&rate, &format, &channels));
    EXPECT_TRUE(rate == 44100 || rate == 48000);
    EXPECT_EQ(format, AUDIO_S16SYS);
    EXPECT_EQ(channels, 2);
    EXPECT_GT(tapChunkFrames(), 0);
    EXPECT_LE(tapChunkFrames(), 1024);
    EXPECT_EQ(Mix_AllocateChannels(-1), SOUND_SLOTS);
    EXPECT_TRUE(initAudio());  // already open: nothing reopened
    EXPECT_EQ(Mix_AllocateChannels(-1), SOUND_SLOTS);
}

TEST_F(SoundOutput, TheDiskDriverWritesTheMixedTone) {
    ASSERT_TRUE(loadSound(SOUND_JUMP, files.tone, false));
    int64_t at = atMixBoundary([] { playSound(SOUND_JUMP, false); });
    ASSERT_GE(at, 0);
    int tapped = peakOver(at, ms(500));
    ASSERT_TRUE(waitForFrame(at + SECOND + ms(200)));
    std::ifstream raw(capture, std::ios::binary);
    ASSERT_TRUE(raw);
    std::vector<int16_t> left;
    int16_t frame[2];
    while (raw.read(reinterpret_cast<char*>(frame), sizeof frame)) left.push_back(frame[0]);
    EXPECT_NEAR(tapped, TONE, TONE * 0.01);
    EXPECT_EQ(peakAbs(left, 0, left.size()), tapped);
}

TEST_F(SoundOutput, VolumeIsALinearAmplitudeFactor) {
    ASSERT_TRUE(loadSound(SOUND_JUMP, files.tone, false));
    int full = peakOfPlay(SOUND_JUMP);
    EXPECT_NEAR(full, TONE, TONE * 0.01);

    setSoundVolume(SOUND_JUMP, 50);
    int half = peakOfPlay(SOUND_JUMP);
    EXPECT_NEAR(static_cast<double>(half) / full, 0.5, 0.02);
    EXPECT_EQ(peakOfPlay(SOUND_JUMP), half) << "a new play keeps the slot's volume";

    setSoundVolume(SOUND_JUMP, 20);
    EXPECT_NEAR(static_cast<double>(peakOfPlay(SOUND_JUMP)) / full, 26.0 / 128, 0.01);

    setSoundVolume(SOUND_JUMP, 0);
    EXPECT_EQ(peakOfPlay(SOUND_JUMP), 0);
    setSoundVolume(SOUND_JUMP, -30);
    EXPECT_EQ(peakOfPlay(SOUND_JUMP), 0);
    setSoundVolume(SOUND_JUMP, 180);
    EXPECT_EQ(peakOfPlay(SOUND_JUMP), full);
}

TEST_F(SoundOutput, MinusOneSetsEveryLoadedSlot) {
    ASSERT_TRUE(loadSound(SOUND_JUMP, files.tone, false));
    ASSERT_TRUE(loadSound(SOUND_LOGO, files.tone, false));
    ASSERT_TRUE(loadSound(SOUND_MUSIC, files.loopOgg, true));
    int full = peakOfPlay(SOUND_JUMP);
    int music = peakOfPlay(SOUND_MUSIC);
    setSoundVolume(SOUND_ALL, 50);
    EXPECT_NEAR(static_cast<double>(peakOfPlay(SOUND_JUMP)) / full, 0.5, 0.02);
    EXPECT_NEAR(static_cast<double>(peakOfPlay(SOUND_LOGO)) / full, 0.5, 0.02);
    EXPECT_NEAR(static_cast<double>(peakOfPlay(SOUND_MUSIC)) / music, 0.5, 0.02);
    // Empty slots stay empty and do not keep the volume for later.
    EXPECT_FALSE(isSoundLoaded(SOUND_DIE));
    ASSERT_TRUE(loadSound(SOUND_DIE, files.tone, false));
    EXPECT_EQ(peakOfPlay(SOUND_DIE), full);
}

TEST_F(SoundOutput, ASecondPlayRestartsTheSlotInsteadOfAddingAVoice) {
    ASSERT_TRUE(loadSound(SOUND_JUMP, files.marked, false));
    std::vector<int64_t> at = atMixFrames({{0, [] { playSound(SOUND_JUMP, false); }},
                                           {ms(300), [] { playSound(SOUND_JUMP, false); }}});
    ASSERT_EQ(at.size(), 2u);
    std::vector<int16_t> out = recordedFrames(at[0], at[1] - at[0] + SECOND + ms(100));
    ASSERT_FALSE(out.empty());
    size_t second = static_cast<size_t>(at[1] - at[0]);
    // The first play was in its body when the second came.
    EXPECT_NEAR(peakAbs(out, second - ms(100), second), BODY, LEVEL_SLACK);
    // The second starts from its opening marker, alone.
    EXPECT_NEAR(peakAbs(out, second, second + ms(40)), MARK, LEVEL_SLACK);
    EXPECT_NEAR(meanAbs(out, second, second + ms(40)), MARK, LEVEL_SLACK);
    EXPECT_NEAR(peakAbs(out, second + ms(60), second + ms(900)), BODY, LEVEL_SLACK);
    // ... and plays its full length.
    EXPECT_EQ(peakAbs(out, second + ms(1010), out.size()), 0);
}

TEST_F(SoundOutput, DifferentSlotsMix) {
    ASSERT_TRUE(loadSound(SOUND_JUMP, files.marked, false));
    ASSERT_TRUE(loadSound(SOUND_LAND, files.marked, false));
    std::vector<int64_t> at = atMixFrames({{0, [] { playSound(SOUND_JUMP, false); }},
                                           {ms(300), [] { playSound(SOUND_LAND, false); }}});
    ASSERT_EQ(at.size(), 2u);
    std::vector<int16_t> out = recordedFrames(at[0], at[1] - at[0] + SECOND + ms(100));
    ASSERT_FALSE(out.empty());
    size_t second = static_cast<size_t>(at[1] - at[0]);
    EXPECT_NEAR(meanAbs(out, second, second + ms(40)), MARK + BODY, LEVEL_SLACK);
    EXPECT_NEAR(meanAbs(out, second + ms(60), second + ms(600)), 2 * BODY, LEVEL_SLACK);
    // After the first ends the second goes on alone.
    EXPECT_NEAR(meanAbs(out, SECOND + ms(10), second + ms(900)), BODY, LEVEL_SLACK);
}

TEST_F(SoundOutput, StopAllSoundsStopsEverySlot) {
    ASSERT_TRUE(loadSound(SOUND_MUSIC, files.loopOgg, true));
    for (int slot = 1; slot < SOUND_SLOTS; ++slot) ASSERT_TRUE(loadSound(slot, files.tone, false));
    setSoundVolume(SOUND_ALL, 10);  // eight voices stay well clear of clipping
    std::vector<int64_t> at = atMixFrames({{0,
                                            [] {
                                                for (int slot = 0; slot < SOUND_SLOTS; ++slot)
                                                    playSound(slot, true);
                                            }},
                                           {ms(200), [] { stopAllSounds(); }}});
    ASSERT_EQ(at.size(), 2u);
    EXPECT_GT(peakOver(at[0], at[1] - at[0]), TONE * 8 / 10 * 9 / 10);
    EXPECT_EQ(peakOver(at[1], ms(500)), 0);
    for (int slot = 0; slot < SOUND_SLOTS; ++slot) EXPECT_TRUE(isSoundLoaded(slot)) << "stopping frees nothing";
}

TEST_F(SoundOutput, FreeingASlotSilencesAndEmptiesIt) {
    ASSERT_TRUE(loadSound(SOUND_CHECK, files.tone, false));
    ASSERT_TRUE(loadSound(SOUND_MUSIC, files.loopOgg, true));
    std::vector<int64_t> at = atMixFrames({{0, [] { playSound(SOUND_CHECK, true); playSound(SOUND_MUSIC, true); }},
                                           {ms(100), [] { freeSound(SOUND_CHECK); freeSound(SOUND_MUSIC); }}});
    ASSERT_EQ(at.size(), 2u);
    EXPECT_GT(peakOver(at[0], at[1] - at[0]), TONE);
    EXPECT_EQ(peakOver(at[1], ms(300)), 0);
    EXPECT_FALSE(isSoundLoaded(SOUND_CHECK));
    EXPECT_FALSE(isSoundLoaded(SOUND_MUSIC));
}

TEST_F(SoundOutput, MissingOrBrokenFilesLeaveTheirSlotEmptyAndSilent) {
    const std::string broken[] = {files.folder + "/missing.wav", files.corruptWav, files.junk, files.empty,
                                  files.folder, ""};
    for (const std::string& path : broken) {
        EXPECT_FALSE(loadSound(SOUND_DIE, path, false)) << path;
        EXPECT_FALSE(isSoundLoaded(SOUND_DIE)) << path;
    }
    const std::string brokenMusic[] = {files.folder + "/missing.ogg", files.corruptOgg, files.empty, files.junk};
    for (const std::string& path : brokenMusic) {
        EXPECT_FALSE(loadSound(SOUND_MUSIC, path, true)) << path;
        EXPECT_FALSE(isSoundLoaded(SOUND_MUSIC)) << path;
    }
    // A failed load also empties a slot that held a sound.
    ASSERT_TRUE(loadSound(SOUND_MOVE, files.tone, false));
    EXPECT_FALSE(loadSound(SOUND_MOVE, files.junk, false));
    EXPECT_FALSE(isSoundLoaded(SOUND_MOVE));

    setSoundVolume(SOUND_DIE, 0);
    setSoundVolume(SOUND_MUSIC, 0);
    int64_t at = atMixBoundary([] {
        for (int slot = 0; slot < SOUND_SLOTS; ++slot) playSound(slot, false);
    });
    EXPECT_EQ(peakOver(at, ms(300)), 0);
    // The volume set while empty did not stick.
    ASSERT_TRUE(loadSound(SOUND_DIE, files.tone, false));
    EXPECT_NEAR(peakOfPlay(SOUND_DIE), TONE, TONE * 0.01);
}

TEST_F(SoundOutput, SlotNumbersOutOfRangeAreIgnored) {
    ASSERT_TRUE(loadSound(SOUND_JUMP, files.tone, false));
    for (int slot : {-100, -2, SOUND_SLOTS, SOUND_SLOTS + 1, 1000}) {
        EXPECT_FALSE(loadSound(slot, files.tone, false)) << slot;
        EXPECT_FALSE(isSoundLoaded(slot)) << slot;
        setSoundVolume(slot, 0);
        freeSound(slot);
    }
    EXPECT_FALSE(isSoundLoaded(-1));
    int64_t at = atMixBoundary([] {
        for (int slot : {-100, -1, SOUND_SLOTS, 1000}) playSound(slot, false);
    });
    EXPECT_EQ(peakOver(at, ms(200)), 0);
    EXPECT_NEAR(peakOfPlay(SOUND_JUMP), TONE, TONE * 0.01);
}

// ---- Music ---------------------------------------------------------------------------------------

TEST_F(SoundOutput, MusicIsStreamedAndLoopsWithoutAGap) {
    ASSERT_TRUE(loadSound(SOUND_MUSIC, files.loopOgg, true));
    EXPECT_NE(audio.music, nullptr);
    EXPECT_EQ(audio.chunks[SOUND_MUSIC], nullptr);
    int64_t at = atMixBoundary([] { playSound(SOUND_MUSIC, true); });
    std::vector<int16_t> out = recordedFrames(at, 3 * SECOND + ms(500));
    ASSERT_FALSE(out.empty());
    int64_t onset = firstAtLeast(out, 1000);
    ASSERT_GE(onset, 0);
    EXPECT_LT(onset, ms(20));
    // A 441 Hz tone: every 5 ms window holds two periods and so its full swing, across each seam too.
    for (size_t from = static_cast<size_t>(onset) + ms(5); from + ms(5) <= out.size(); from += ms(5) / 2) {
        int peak = peakAbs(out, from, from + ms(5));
        ASSERT_GT(peak, TONE * 9 / 10) << "gap near frame " << from;
        ASSERT_LT(peak, TONE * 11 / 10) << "overlap near frame " << from;
    }
}

TEST_F(SoundOutput, MusicPlayedOnceEnds) {
    ASSERT_TRUE(loadSound(SOUND_MUSIC, files.loopOgg, true));
    int64_t at = atMixBoundary([] { playSound(SOUND_MUSIC, false); });
    EXPECT_GT(peakOver(at, ms(900)), TONE * 9 / 10);
    EXPECT_EQ(peakOver(at + SECOND + ms(100), ms(500)), 0);
}

TEST_F(SoundOutput, RestartingTheMusicStartsItFromItsBeginningAtItsVolume) {
    ASSERT_TRUE(loadSound(SOUND_MUSIC, files.markedOgg, true));
    setSoundVolume(SOUND_MUSIC, 50);
    std::vector<int64_t> at = atMixFrames({{0, [] { playSound(SOUND_MUSIC, true); }},
                                           {ms(500), [] { playSound(SOUND_MUSIC, true); }}});
    ASSERT_EQ(at.size(), 2u);
    // Before the restart the quiet part was playing ...
    EXPECT_NEAR(peakOver(at[1] - ms(200), ms(200)), 2000, 150);
    // ... after it the loud opening comes again, at half volume.
    EXPECT_NEAR(peakOver(at[1] + ms(20), ms(150)), 10000, 500);
    EXPECT_NEAR(peakOver(at[1] + ms(260), ms(500)), 2000, 150);
}

TEST_F(SoundOutput, LoadMusicLoadsTheTrackOnceAtVolumeForty) {
    std::string home = files.folder + "/game";
    std::filesystem::create_directories(home + "/data/music");
    std::string previous = std::filesystem::current_path().string();
    ASSERT_EQ(chdir(home.c_str()), 0);

    loadMusic();  // no track there yet
    EXPECT_FALSE(isSoundLoaded(SOUND_MUSIC));
    std::filesystem::copy_file(files.loopOgg, home + "/" + ASSET_MUSIC);
    loadMusic();
    EXPECT_FALSE(isSoundLoaded(SOUND_MUSIC)) << "a failed load is not retried";

    resetSoundState();
    loadMusic();
    ASSERT_TRUE(isSoundLoaded(SOUND_MUSIC));
    EXPECT_NE(audio.music, nullptr) << "streamed";
    int atForty = peakOfPlay(SOUND_MUSIC);
    setSoundVolume(SOUND_MUSIC, 100);
    int full = peakOfPlay(SOUND_MUSIC);
    EXPECT_NEAR(static_cast<double>(atForty) / full, 51.0 / 128, 0.01);

    // Once loaded, a later call changes nothing.
    audio.musicLoadTried = 0;
    Mix_Music* loaded = audio.music;
    loadMusic();
    EXPECT_EQ(audio.music, loaded);
    ASSERT_EQ(chdir(previous.c_str()), 0);
}

// ---- The toggle on the output ----------------------------------------------------------------------

TEST_F(SoundOutput, ToggleSilencesAllThenTheMusicOnlyThenRestoresIt) {
    static uint8_t keys[512];
    std::fill(std::begin(keys), std::end(keys), 0);
    screen.keyState = keys;
    ASSERT_TRUE(loadSound(SOUND_MUSIC, files.loopOgg, true));
    setSoundVolume(SOUND_MUSIC, SOUND_MUSIC_VOLUME);
    for (int slot = 1; slot < SOUND_SLOTS; ++slot) {
        ASSERT_TRUE(loadSound(slot, slot == SOUND_MOVE ? files.shortLevel : files.shortTone, false));
        setSoundVolume(slot, sound.soundVolumes[slot]);
    }
    auto press = [] { keys[SDL_SCANCODE_M] = 1; updateSoundToggle(); };
    auto release = [] { keys[SDL_SCANCODE_M] = 0; updateSoundToggle(); };
    auto jump = [] { playSound(SOUND_JUMP, false); };
    const int musicAtForty = TONE * 51 / 128;

    std::vector<int64_t> at = atMixFrames({
        {0, [] { playSound(SOUND_MUSIC, true); }},
        {ms(300), press},                // 1: silent
        {ms(310), jump},
        {ms(600), release},
        {ms(700), press},                // 2: effects only, the move sound confirms
        {ms(1200), jump},
        {ms(1600), release},
        {ms(1700), press},               // 0: all on again
        {ms(2000), release},
    });
    ASSERT_EQ(at.size(), 9u);
    EXPECT_NEAR(peakOver(at[0] + ms(20), ms(250)), musicAtForty, musicAtForty * 0.03);

    EXPECT_EQ(sound.soundMode, 0);
    EXPECT_EQ(peakOver(at[1], at[4] - at[1]), 0) << "state 1 is silent, the jump included";

    // State 2: the move sound alone, at full volume, then silence, then the jump at its default 100.
    std::vector<int16_t> two = recordedFrames(at[4], at[7] - at[4]);
    ASSERT_FALSE(two.empty());
    EXPECT_NEAR(meanAbs(two, 0, ms(190)), 8000, LEVEL_SLACK);
    EXPECT_EQ(peakAbs(two, ms(200), static_cast<size_t>(at[5] - at[4])), 0) << "music muted";
    EXPECT_NEAR(peakAbs(two, static_cast<size_t>(at[5] - at[4]), two.size()), TONE, TONE * 0.01);

    // Back in state 0: the music at 40 and no move sound.
    EXPECT_NEAR(peakOver(at[7], ms(250)), musicAtForty, musicAtForty * 0.03);
    EXPECT_NEAR(peakOver(at[8], ms(500)), musicAtForty, musicAtForty * 0.03);
}

TEST_F(SoundOutput, RestartInSilentStateKeepsTheMusicSilent) {
    static uint8_t keys[512];
    std::fill(std::begin(keys), std::end(keys), 0);
    screen.keyState = keys;
    ASSERT_TRUE(loadSound(SOUND_MUSIC, files.loopOgg, true));
    setSoundVolume(SOUND_MUSIC, SOUND_MUSIC_VOLUME);
    std::vector<int64_t> at = atMixFrames({
        {0, [] { playSound(SOUND_MUSIC, true); }},
        {ms(100), [] { keys[SDL_SCANCODE_M] = 1; updateSoundToggle(); }},
        {ms(200), [] { playSound(SOUND_MUSIC, true); }},
    });
    ASSERT_EQ(at.size(), 3u);
    EXPECT_EQ(peakOver(at[1], ms(600)), 0);
}
