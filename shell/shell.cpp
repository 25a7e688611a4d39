#include "shell/shell.h"

#include <SDL.h>
#include <SDL_image.h>

#include <cstdlib>
#include <new>

#include "gameplay/flow.h"
#include "gameplay/hazards.h"
#include "gameplay/movement.h"
#include "gameplay/sound.h"
#include "gameplay/state.h"
#include "render/frame.h"
#include "render/sprite.h"
#include "shell/display.h"
#include "shell/input.h"
#include "shell/platform.h"
#include "shell/screenshot.h"
#include "shell/web.h"
#include "world/assets.h"
#include "world/world.h"

ShellState shell;

namespace {
constexpr int32_t ZOOM_DEFAULT = 10;
constexpr int32_t ZOOM_MIN = 4;
constexpr int32_t ZOOM_MAX = 15;
constexpr int32_t FPS_WINDOW_FRAMES = 60;
constexpr const char* REQUIRED_SDL_VERSION = "2.0.14";
constexpr const char* WINDOW_TITLE = "Kestravel  -  Ctrl+F for Fullscreen";

// "2.0.14" -> versionNumber(2, 0, 14); missing or digitless fields read as 0.
int32_t parseVersion(const std::string& text) {
    int fields[3] = {0, 0, 0};
    int field = 0;
    for (char c : text) {
        if (c == '.') {
            if (++field == 3) break;
        } else if (c >= '0' && c <= '9') {
            fields[field] = fields[field] * 10 + (c - '0');
            if (fields[field] > 0xFFFF) fields[field] = 0xFFFF;
        }
    }
    return versionNumber(fields[0], fields[1], fields[2]);
}

void zoomTo(int32_t level) {
    shell.zoomLevel = level;
    setWindowScale(static_cast<float>(level) * 0.1f);
}

void handleZoomKeys() {
    if (isFullscreen()) return;
#ifdef __EMSCRIPTEN__
    // The page sizes the canvas; a smaller one would only blur it.
    return;
#endif
    if (keyPushed(SDL_SCANCODE_0) || keyPushed(SDL_SCANCODE_KP_0)) {
        if (shell.zoomLevel != ZOOM_DEFAULT) zoomTo(ZOOM_DEFAULT);
    } else if (keyPushed(SDL_SCANCODE_KP_PLUS) || keyPushed(SDL_SCANCODE_EQUALS)) {
        if (shell.zoomLevel < ZOOM_MAX) zoomTo(shell.zoomLevel + 1);
    } else if (keyPushed(SDL_SCANCODE_KP_MINUS) || keyPushed(SDL_SCANCODE_MINUS)) {
        if (shell.zoomLevel > ZOOM_MIN) zoomTo(shell.zoomLevel - 1);
    }
}

// Loading a hostile data folder can exhaust memory; say so instead of aborting.
void outOfMemoryAtStart() { fatalExit("Out of memory!"); }

void startUp() {
    std::set_new_handler(outOfMemoryAtStart);
    resetSoundState();
    resetWorldState();
    resetInputState();
    resetGameState();
    resetFlowState();
    resetMovementState();
    resetHazardState();
    resetShellState();

    // Before SDL is touched, so a missing data folder opens no window at all.
    if (!findDataFolder(WORLD_FILE)) fatalExit("Game data not found!");

    if (sdlVersionNumber() < parseVersion(REQUIRED_SDL_VERSION)) {
        showMessageBox("Kestravel",
                       "Warning: You are using SDL version " + sdlVersionString() +
                           "\n\nThis game is built for SDL 2.0.14 or newer!",
                       MESSAGE_WARNING);
    }
    if (!initSdl(SDL_INIT_VIDEO | SDL_INIT_JOYSTICK | SDL_INIT_GAMECONTROLLER, IMG_INIT_PNG))
        fatalExit("SDL could not be initialized!");
    if (!initAudio()) fatalExit("Audio could not be initalized!");
    if (!openScreen(640, 480, 1, WINDOW_TITLE, 1.0f)) fatalExit("Screen could not be opened!");
    applyWindowIcon("data/graphics/icon.png");
    // The music decoder and the PNG reader and writer are linked in: nothing to start.
    initWorld();
    std::set_new_handler(nullptr);
}
}  // namespace

void resetShellState() {
    shell = ShellState{};
    shell.zoomLevel = ZOOM_DEFAULT;
    shell.fpsWindowStart = static_cast<int32_t>(clockMs());
}

void handleGlobalKeys() {
    shell.pausePressed = (padButton(SDL_CONTROLLER_BUTTON_START) || keyDown(SDL_SCANCODE_ESCAPE)) ? 1 : 0;
    if (keyPushed(SDL_SCANCODE_F12)) shell.screenshotRequested = 1;
    // The edge is taken over ESCAPE and START together, and still tracked during the intro.
    if (shell.pausePressed && !shell.pauseWasPressed && flow.introFrames >= INTRO_FRAMES) pauseAction();
    shell.pauseWasPressed = shell.pausePressed;
    if (keyPushed(SDL_SCANCODE_TAB)) shell.showFps = !shell.showFps;
    if (keyPushed(SDL_SCANCODE_F)) {
        if (ctrlDown()) toggleFullscreen();
    } else if (keyPushed(SDL_SCANCODE_F11)) {
        toggleFullscreen();
    }
    if (keyPushed(SDL_SCANCODE_W) && ctrlDown()) shell.quitGame = 1;
    handleZoomKeys();
}

void waitForFrameCap() {
    while (clockMs() < static_cast<int64_t>(shell.lastFrameTime) + FRAME_CAP_MS) sleepMs(1);
    shell.lastFrameTime = static_cast<int32_t>(clockMs());
}

void updateFpsEstimate() {
    shell.fpsFrameCount += 1;
    if (shell.fpsFrameCount < FPS_WINDOW_FRAMES) return;
    int32_t now = static_cast<int32_t>(clockMs());
    // Unsigned: the millisecond clock wraps a 32-bit value after 24.8 days.
    int32_t elapsed = static_cast<int32_t>(static_cast<uint32_t>(now) - static_cast<uint32_t>(shell.fpsWindowStart));
    // A clock that did not move gives no rate; keep the last one rather than infinity.
    if (elapsed > 0) shell.fpsEstimate = static_cast<float>(60000.0 / elapsed);
    shell.fpsFrameCount = 0;
    shell.fpsWindowStart = now;
}

bool runFrame() {
    updateInput();
    handleGlobalKeys();
    updateGame();
    drawFrame();
    waitForFrameCap();
    updateFpsEstimate();
    // Before presenting: many drivers discard the back buffer at present.
    if (shell.screenshotRequested) {
        takeScreenshot();
        shell.screenshotRequested = 0;
    }
    presentFrame();
    bool closed = quitRequested();
    return !(closed || shell.quitGame);
}

int runGame() {
    startUp();
#ifdef __EMSCRIPTEN__
    runFramesInBrowser();
#endif
    raiseTimerResolution();
    while (runFrame()) {
    }
    restoreTimerResolution();
    freeAssets();
    closeScreen();
    fatalExit("");
}

void fatalExit(const std::string& message) {
    if (!message.empty()) showMessageBox("Kestravel - Error", message, MESSAGE_ERROR);
    stopAllSounds();
    closeAudio();
    shutdownVideo();
#ifdef __EMSCRIPTEN__
    endInPage(message.empty());
#endif
    // A failed start must not look like a clean quit to whoever started us.
    std::exit(message.empty() ? 0 : 1);
}
