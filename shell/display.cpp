#include "shell/display.h"

#include <SDL_image.h>

#include <cmath>

#include "render/sprite.h"
#include "shell/web.h"

ScreenState screen;

namespace {

// With no display to reach, SDL quietly falls back to a driver without windows, and the game
// would run unseen until killed. Only a driver asked for by name may be one of those.
bool windowlessByFallback() {
    if (SDL_WasInit(SDL_INIT_VIDEO) == 0) return false;
    const char* asked = SDL_GetHint(SDL_HINT_VIDEODRIVER);
    if (asked && asked[0] != '\0') return false;
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver && (SDL_strcmp(driver, "offscreen") == 0 || SDL_strcmp(driver, "dummy") == 0);
}

}  // namespace

bool initSdl(uint32_t flags, int imageFlags) {
    if (SDL_Init(flags) != 0) return false;
    if (windowlessByFallback()) {
        SDL_Quit();
        return false;
    }
    if (IMG_Init(imageFlags) != imageFlags) {
        IMG_Quit();
        SDL_Quit();
        return false;
    }
    return true;
}

int32_t versionNumber(int major, int minor, int patch) {
    return ((major & 0xFF) << 16) | ((minor & 0xFF) << 8) | (patch & 0xFF);
}

int32_t sdlVersionNumber() {
    SDL_version linked;
    SDL_GetVersion(&linked);
    return versionNumber(linked.major, linked.minor, linked.patch);
}

std::string sdlVersionString() {
    SDL_version linked;
    SDL_GetVersion(&linked);
    return std::to_string(linked.major) + "." + std::to_string(linked.minor) + "." + std::to_string(linked.patch);
}

namespace {
// Render targets lose their pixels on a device or target reset; whoever keeps one compares this count.
int countTargetResets(void*, SDL_Event* event) {
    if (event->type == SDL_RENDER_TARGETS_RESET || event->type == SDL_RENDER_DEVICE_RESET) screen.targetResets++;
    return 1;
}
}  // namespace

SDL_Window* openScreen(int width, int height, int windowed, const std::string& title, float scale) {
    if (screen.window) return nullptr;
    if (!(scale > 0.0f)) scale = 1.0f;
    Uint32 flags = 0;
    if (windowed) {
        windowed = 1;
    } else {
        flags = SDL_WINDOW_FULLSCREEN_DESKTOP;
    }
    int windowWidth = static_cast<int>(std::lround(width * scale));
    int windowHeight = static_cast<int>(std::lround(height * scale));
    SDL_Window* window = SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                          windowWidth, windowHeight, flags);
    if (!window) return nullptr;
    screen.window = window;
    SDL_Renderer* renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_ACCELERATED | SDL_RENDERER_PRESENTVSYNC);
#ifdef __EMSCRIPTEN__
    // Without WebGL SDL draws in software into the canvas's 2D context: slower, the same picture.
    if (!renderer) renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE);
#endif
    if (!renderer) {
        closeScreen();
        return nullptr;
    }
    screen.renderer = renderer;
    SDL_AddEventWatch(countTargetResets, nullptr);
    screen.logicalWidth = width;
    screen.logicalHeight = height;
    screen.windowScale = scale;
    screen.windowed = windowed;
    screen.title = title;
    screen.keyState = SDL_GetKeyboardState(nullptr);
    applyScreenSettings();
    return window;
}

void applyScreenSettings() {
    if (!screen.renderer) return;
    SDL_RenderSetLogicalSize(screen.renderer, screen.logicalWidth, screen.logicalHeight);
    if (screen.windowed) {
        SDL_ShowCursor(SDL_ENABLE);
        SDL_RaiseWindow(screen.window);
    } else {
        SDL_ShowCursor(SDL_DISABLE);
        SDL_WarpMouseInWindow(screen.window, screen.logicalWidth / 2, screen.logicalHeight / 2);
    }
    // Pixel art: nearest-pixel scaling for every texture made from here on.
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "0");
    SDL_SetRenderDrawBlendMode(screen.renderer, SDL_BLENDMODE_BLEND);
}

SDL_Window* setFullscreen(int full) {
    int32_t wanted = full == 0 ? 1 : 0;
    if (!screen.renderer || wanted == screen.windowed) return nullptr;
#ifdef __EMSCRIPTEN__
    // The page goes fullscreen and scales the canvas, which keeps its 640 x 480 pixels.
    requestPageFullscreen(!wanted);
#else
    if (wanted) {
        SDL_SetWindowFullscreen(screen.window, 0);
    } else {
        SDL_SetWindowFullscreen(screen.window, SDL_WINDOW_FULLSCREEN_DESKTOP);
    }
#endif
    screen.windowed = wanted;
    applyScreenSettings();
    return screen.window;
}

void toggleFullscreen() { setFullscreen(screen.windowed ? 1 : 0); }

bool isFullscreen() { return screen.windowed == 0; }

bool setWindowScale(float scale) {
    if (!screen.renderer || !(scale > 0.0f) || !screen.windowed) return false;
    // Show black while the window changes size rather than a stretched old frame.
    clearScreen(0);
    presentFrame();
    int x = 0, y = 0, width = 0, height = 0;
    SDL_GetWindowSize(screen.window, &width, &height);
    SDL_GetWindowPosition(screen.window, &x, &y);
    int centreX = x + width / 2;
    int centreY = y + height / 2;
    int newWidth = static_cast<int>(std::lround(screen.logicalWidth * scale));
    int newHeight = static_cast<int>(std::lround(screen.logicalHeight * scale));
    screen.windowScale = scale;
    SDL_SetWindowSize(screen.window, newWidth, newHeight);
    // The system may not grant the size asked for; centre what it gave.
    SDL_GetWindowSize(screen.window, &width, &height);
    SDL_SetWindowPosition(screen.window, centreX - width / 2, centreY - height / 2);
    return true;
}

void presentFrame() {
    if (screen.renderer) SDL_RenderPresent(screen.renderer);
}

void closeScreen() {
    SDL_DelEventWatch(countTargetResets, nullptr);
    if (screen.renderer) SDL_DestroyRenderer(screen.renderer);
    if (screen.window) SDL_DestroyWindow(screen.window);
    screen = ScreenState{};
}

void shutdownVideo() {
    closeScreen();
    IMG_Quit();
    SDL_Quit();
}
