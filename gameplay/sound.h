#pragma once
// The eight sound slots on SDL2_mixer, the music and the sound toggle.
#include <SDL_mixer.h>
#include <cstdint>
#include <string>

constexpr int SOUND_MUSIC = 0;
constexpr int SOUND_JUMP = 1;
constexpr int SOUND_LAND = 2;
constexpr int SOUND_DIE = 3;
constexpr int SOUND_CHECK = 4;
constexpr int SOUND_MOVE = 5;
constexpr int SOUND_STAR = 6;
constexpr int SOUND_LOGO = 7;
constexpr int SOUND_SLOTS = 8;
constexpr int SOUND_MUSIC_VOLUME = 40;
constexpr int SOUND_ALL = -1;           // setSoundVolume: every loaded slot

// Output format: 44.1 kHz stereo 16-bit, 1024-frame chunks (about 23 ms of latency).
constexpr int SOUND_RATE = 44100;
constexpr int SOUND_CHUNK_FRAMES = 1024;

// Bounds far above the game's own sounds, so a stray file cannot eat the memory.
constexpr int SOUND_MAX_EFFECT_SECONDS = 10;
constexpr int64_t SOUND_MAX_EFFECT_FILE_BYTES = 16ll * 1024 * 1024;
constexpr int64_t SOUND_MAX_MUSIC_FILE_BYTES = 16ll * 1024 * 1024;


struct SoundState {
    int32_t soundVolumes[SOUND_SLOTS];  // default volume per slot, 0..100
    int32_t soundMode;                  // 0 all on, 1 silent, 2 effects only
    int32_t muteHeld;                   // toggle input held last update
    int32_t musicStartState;            // 0 not yet, 1 first game frame drawn, 2 started
};
extern SoundState sound;

// What the mixer holds; one channel per slot, so a slot has a single voice.
struct AudioState {
    int32_t open;                       // output opened by initAudio
    Mix_Chunk* chunks[SOUND_SLOTS];     // fully decoded sound, null when the slot holds none
    Mix_Music* music;                   // slot 0 streamed from its file, or null
    int32_t mixerVolumes[SOUND_SLOTS];  // 0..128 as handed to the mixer
    int32_t musicLoadTried;             // loadMusic acts only once
};
extern AudioState audio;

void resetSoundState();                 // program-start values, default volumes
bool initAudio();
bool loadSound(int slot, const std::string& path, bool streamed);
void playSound(int slot, bool loop);
void setSoundVolume(int slot, int volume);
bool isSoundLoaded(int slot);
void freeSound(int slot);
void stopAllSounds();
void closeAudio();
void loadMusic();                       // end of the intro, once
void updateSoundToggle();
int mixerVolume(int volume);            // 0..100 (clamped) onto the mixer's 0..128, rounded
