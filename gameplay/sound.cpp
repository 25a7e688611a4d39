#include "gameplay/sound.h"
// stub: to be implemented
SoundState sound;
void resetSoundState() {}
bool initAudio() { return true; }
bool loadSound(int, const std::string&, bool) { return false; }
void playSound(int, bool) {}
void setSoundVolume(int, int) {}
bool isSoundLoaded(int) { return false; }
void freeSound(int) {}
void stopAllSounds() {}
void closeAudio() {}
void loadMusic() {}
void updateSoundToggle() {}
