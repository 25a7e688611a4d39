#include "shell/display.h"
// stub: to be implemented
ScreenState screen;
bool initSdl(uint32_t, int) { return false; }
int32_t versionNumber(int, int, int) { return 0; }
int32_t sdlVersionNumber() { return 0; }
std::string sdlVersionString() { return ""; }
SDL_Window* openScreen(int, int, int, const std::string&, float) { return nullptr; }
void applyScreenSettings() {}
SDL_Window* setFullscreen(int) { return nullptr; }
void toggleFullscreen() {}
bool isFullscreen() { return screen.windowed == 0; }
bool setWindowScale(float) { return false; }
void presentFrame() {}
void closeScreen() {}
void shutdownVideo() {}
