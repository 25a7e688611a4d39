#include "gameplay/sound.h"

#include <SDL.h>

#include "shell/input.h"
#include "shell/platform.h"
#include "world/manifest.h"

SoundState sound;
AudioState audio;

namespace {

constexpr int32_t DEFAULT_VOLUMES[SOUND_SLOTS] = {40, 100, 100, 20, 50, 100, 50, 100};

bool validSlot(int slot) { return slot >= 0 && slot < SOUND_SLOTS; }

// Hands the slot's remembered volume to whichever mixer voice plays it.
void applyVolume(int slot) {
    if (audio.music && slot == SOUND_MUSIC) Mix_VolumeMusic(audio.mixerVolumes[slot]);
    else if (audio.chunks[slot]) Mix_Volume(slot, audio.mixerVolumes[slot]);
}

// A WAV of at most SOUND_MAX_EFFECT_SECONDS, judged before the mixer converts it.
bool effectLengthAcceptable(const std::string& path) {
    if (!isFileWithin(path, SOUND_MAX_EFFECT_FILE_BYTES)) return false;
    SDL_AudioSpec spec;
    Uint8* samples = nullptr;
    Uint32 length = 0;
    if (!SDL_LoadWAV(path.c_str(), &spec, &samples, &length)) return false;
    SDL_FreeWAV(samples);
    // Measured in its own rate: a long, slow file would swell many times over when converted.
    const uint64_t frameBytes = uint64_t(SDL_AUDIO_BITSIZE(spec.format) / 8) * spec.channels;
    if (frameBytes == 0 || spec.freq <= 0) return false;
    return length / frameBytes <= uint64_t(spec.freq) * SOUND_MAX_EFFECT_SECONDS;
}

}  // namespace

void resetSoundState() {
    for (int slot = 0; slot < SOUND_SLOTS; ++slot) sound.soundVolumes[slot] = DEFAULT_VOLUMES[slot];
    sound.soundMode = 0;
    sound.muteHeld = 0;
    sound.musicStartState = 0;
    audio.musicLoadTried = 0;
}

int mixerVolume(int volume) {
    if (volume <= 0) return 0;
    if (volume >= 100) return MIX_MAX_VOLUME;
    return (volume * MIX_MAX_VOLUME + 50) / 100;
}

bool initAudio() {
    if (audio.open) return true;
    // The shell starts SDL without audio; the output is ours to bring up.
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
    // Stay stereo 16-bit whatever the device prefers; SDL converts.
    if (Mix_OpenAudioDevice(SOUND_RATE, AUDIO_S16SYS, 2, SOUND_CHUNK_FRAMES, nullptr,
                            SDL_AUDIO_ALLOW_FREQUENCY_CHANGE) != 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    // Without the Ogg decoder the music simply fails to load later.
    Mix_Init(MIX_INIT_OGG);
    Mix_AllocateChannels(SOUND_SLOTS);
    Mix_ReserveChannels(SOUND_SLOTS);
    for (int slot = 0; slot < SOUND_SLOTS; ++slot) {
        audio.chunks[slot] = nullptr;
        audio.mixerVolumes[slot] = MIX_MAX_VOLUME;
    }
    audio.music = nullptr;
    audio.open = 1;
    return true;
}

bool loadSound(int slot, const std::string& path, bool streamed) {
    if (!validSlot(slot)) return false;
    freeSound(slot);
    if (!audio.open) return false;
    // A FIFO or a device would block or never end.
    if (!isRegularFile(path)) return false;
    // Only the music track is streamed; the mixer has a single music voice.
    if (streamed && slot == SOUND_MUSIC) {
        if (isFileWithin(path, SOUND_MAX_MUSIC_FILE_BYTES)) audio.music = Mix_LoadMUS(path.c_str());
    } else if (effectLengthAcceptable(path)) {
        audio.chunks[slot] = Mix_LoadWAV(path.c_str());
    }
    if (!isSoundLoaded(slot)) return false;
    audio.mixerVolumes[slot] = MIX_MAX_VOLUME;
    applyVolume(slot);
    return true;
}

void playSound(int slot, bool loop) {
    if (!isSoundLoaded(slot)) return;
    applyVolume(slot);
    if (audio.music && slot == SOUND_MUSIC) {
        // Replaces and rewinds whatever music is playing.
        Mix_PlayMusic(audio.music, loop ? -1 : 0);
        Mix_VolumeMusic(audio.mixerVolumes[slot]);
    } else {
        // On its own channel: a new play cuts off the previous one.
        Mix_PlayChannel(slot, audio.chunks[slot], loop ? -1 : 0);
    }
}

void setSoundVolume(int slot, int volume) {
    if (slot == SOUND_ALL) {
        for (int each = 0; each < SOUND_SLOTS; ++each) setSoundVolume(each, volume);
        return;
    }
    if (!isSoundLoaded(slot)) return;
    audio.mixerVolumes[slot] = mixerVolume(volume);
    applyVolume(slot);
}

bool isSoundLoaded(int slot) {
    return validSlot(slot) && (audio.chunks[slot] || (slot == SOUND_MUSIC && audio.music));
}

void freeSound(int slot) {
    if (!validSlot(slot)) return;
    if (audio.chunks[slot]) {
        Mix_HaltChannel(slot);
        Mix_FreeChunk(audio.chunks[slot]);
        audio.chunks[slot] = nullptr;
    }
    if (slot == SOUND_MUSIC && audio.music) {
        Mix_HaltMusic();
        Mix_FreeMusic(audio.music);
        audio.music = nullptr;
    }
}

void stopAllSounds() {
    if (!audio.open) return;
    Mix_HaltChannel(-1);
    Mix_HaltMusic();
}

void closeAudio() {
    if (!audio.open) return;
    stopAllSounds();
    for (int slot = 0; slot < SOUND_SLOTS; ++slot) freeSound(slot);
    Mix_CloseAudio();
    Mix_Quit();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    audio.open = 0;
}

void loadMusic() {
    if (audio.musicLoadTried) return;
    audio.musicLoadTried = 1;
    if (isSoundLoaded(SOUND_MUSIC)) return;
    if (loadSound(SOUND_MUSIC, ASSET_MUSIC, true)) setSoundVolume(SOUND_MUSIC, SOUND_MUSIC_VOLUME);
}

void updateSoundToggle() {
    bool held = keyDown(SDL_SCANCODE_M) || padButton(SDL_CONTROLLER_BUTTON_Y);
    if (held && !sound.muteHeld) {
        int mode = sound.soundMode;
        if (mode < 0 || mode > 2) mode = 0;
        sound.soundMode = (mode + 1) % 3;
        if (sound.soundMode == 0) {
            setSoundVolume(SOUND_MUSIC, SOUND_MUSIC_VOLUME);
        } else if (sound.soundMode == 1) {
            setSoundVolume(SOUND_ALL, 0);
        } else {
            for (int slot = 0; slot < SOUND_SLOTS; ++slot)
                setSoundVolume(slot, slot == SOUND_MUSIC ? 0 : sound.soundVolumes[slot]);
            playSound(SOUND_MOVE, false);
        }
    }
    sound.muteHeld = held ? 1 : 0;
}
