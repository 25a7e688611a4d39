#pragma once
// The one window and renderer, fullscreen, zoom, presenting.
#include <SDL.h>
#include <cstdint>
#include <string>

// The logical screen everything is drawn on, scaled to the window or the display.
constexpr int SCREEN_WIDTH = 640;
constexpr int SCREEN_HEIGHT = 480;

struct ScreenState {
    int32_t logicalWidth;            // 640 once open
    int32_t logicalHeight;           // 480 once open
    float windowScale;               // window size / logical size while windowed
    int32_t windowed;                // 1 window, 0 desktop fullscreen
    std::string title;               // title given to openScreen
    SDL_Window* window;              // null until opened
    SDL_Renderer* renderer;          // null until opened; draw calls do nothing without it
    const uint8_t* keyState;         // SDL's keyboard array (512 bytes); tests point it at their own
    uint8_t previousKeyState[512];   // copy taken at the start of each input update
    uint8_t quitRequested;           // set by SDL_QUIT
    int32_t lastInputDevice;         // 0 keyboard, 1 controller
    int32_t targetResets;            // bumped when the driver drops the contents of render targets
};
extern ScreenState screen;

bool initSdl(uint32_t flags, int imageFlags);
int32_t versionNumber(int major, int minor, int patch);
int32_t sdlVersionNumber();
std::string sdlVersionString();
SDL_Window* openScreen(int width, int height, int windowed, const std::string& title, float scale);
void applyScreenSettings();
SDL_Window* setFullscreen(int full);
void toggleFullscreen();
bool isFullscreen();
bool setWindowScale(float scale);
void presentFrame();
void closeScreen();
void shutdownVideo();

// Puts the game's icon on the window; silent when the picture is missing.
void applyWindowIcon(const std::string& path);
