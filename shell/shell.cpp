#include "shell/shell.h"

#include <SDL.h>
#include <SDL_image.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "gameplay/flow.h"
#include "gameplay/hazards.h"
#include "gameplay/movement.h"
#include "gameplay/replay.h"
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
#include "world/manifest.h"
#include "world/world.h"

ShellState shell;

namespace {
constexpr int32_t ZOOM_DEFAULT = 10;
constexpr int32_t ZOOM_MIN = 4;
constexpr int32_t ZOOM_MAX = 15;
constexpr int32_t FPS_WINDOW_FRAMES = 60;
constexpr const char* REQUIRED_SDL_VERSION = "2.0.14";

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

// Given back when memory runs out during start-up, so the message box has room to show.
constexpr size_t OUT_OF_MEMORY_RESERVE_BYTES = 256 * 1024;
char* outOfMemoryReserve = nullptr;


// Frames run by runHeadlessFrame hold the replay record's keys.
void holdReplayKeys() {
    std::memset(screen.previousKeyState, 0, sizeof screen.previousKeyState);
    screen.keyState = replay.keys;
}

// The data folder found as the game finds it, by its pictures (a named world needs no world1.txt there),
// or a data folder beside the world file.
bool findPicturesFolder(const std::string& worldFile) {
    if (findDataFolder(ASSET_PICTURES_FOLDER)) return true;
    if (worldFile.empty()) return false;
    const size_t slash = worldFile.find_last_of("/\\");
    if (slash == std::string::npos) return false;
    const std::string beside = worldFile.substr(0, slash == 0 ? 1 : slash);  // "/w.txt" is beside "/"
    return isDirectory(beside + pathSeparator() + ASSET_PICTURES_FOLDER) && changeDirectory(beside);
}

bool startSdl(const char*& failure) {
    if (sdlVersionNumber() < parseVersion(REQUIRED_SDL_VERSION)) {
        const std::string warning = "Warning: You are using SDL version " + sdlVersionString() +
                                    "\n\nThis game is built for SDL 2.0.14 or newer!";
        showMessageBox("Kestravel", warning.c_str(), MESSAGE_WARNING);
    }
    if (!initSdl(SDL_INIT_VIDEO | SDL_INIT_JOYSTICK | SDL_INIT_GAMECONTROLLER, IMG_INIT_PNG)) {
        failure = "SDL could not be initialized!";
        return false;
    }
    if (!initAudio()) {
        failure = "Audio could not be initalized!";
        return false;
    }
    if (!openScreen(SCREEN_WIDTH, SCREEN_HEIGHT, 1, WINDOW_TITLE, 1.0f)) {
        failure = "Screen could not be opened!";
        return false;
    }
    applyWindowIcon(ASSET_ICON);
    // The music decoder and the PNG reader and writer are linked in: nothing to start.
    return true;
}

// Drawn in software, as the pictures the tools compare were, unless a driver was asked for.
bool startOffscreen(const char*& failure) {
    SDL_SetHint(SDL_HINT_VIDEODRIVER, "offscreen");
    if (!SDL_GetHint(SDL_HINT_RENDER_DRIVER)) SDL_SetHint(SDL_HINT_RENDER_DRIVER, "software");
    if (!initSdl(SDL_INIT_VIDEO, IMG_INIT_PNG)) {
        failure = "SDL could not be initialized!";
        return false;
    }
    if (!openScreen(SCREEN_WIDTH, SCREEN_HEIGHT, 1, WINDOW_TITLE, 1.0f)) {
        failure = "Screen could not be opened!";
        return false;
    }
    return true;
}

}  // namespace

bool startGame(const GameStart& given, const char*& failure) {
    failure = nullptr;
    GameStart start = given;
    resetWorldState();
    resetPlayRecords();
    // The working directory moves to the data folder; a named world stays where it was named.
    start.worldFile = absolutePath(start.worldFile);
    const bool named = start.worldText || !start.worldFile.empty();
    // Before SDL is touched, so a missing data folder opens no window at all.
    bool folder = false;
    if (!named) folder = findDataFolder(WORLD_FILE);
    else if (start.display != GAME_HEADLESS) folder = findPicturesFolder(start.worldFile);
    if (!folder && (!named || start.display == GAME_WINDOW)) {
        failure = "Game data not found!";
        return false;
    }
    if (start.display != GAME_HEADLESS) {
        if (!(start.display == GAME_WINDOW ? startSdl(failure) : startOffscreen(failure))) return false;
        assets = AssetState{};
        // The game's own world is read in its place among the assets.
        if (folder) loadAssets(named ? "" : WORLD_FILE);
    } else if (!named) {
        loadWorldLines();
    }
    if (start.worldText) loadWorldText(*start.worldText);
    else if (named) loadWorldLinesFrom(start.worldFile);
    resetToStart();
    if (start.display != GAME_WINDOW) holdReplayKeys();
    if (start.skipIntro) {
        flow.introFrames = INTRO_FRAMES;
        loadMusic();  // what the end of the intro does, for a sound output there is
    }
    return true;
}

void resetPlayRecords() {
    resetSoundState();
    resetInputState();
    resetGameState();
    resetFlowState();
    resetMovementState();
    resetHazardState();
    resetShellState();
    resetProgressState();
    replay = ReplayState{};
}

void restartHeadlessGame() {
    Sprite* sprite = player.sprite;  // an asset, kept in the player record
    resetPlayRecords();
    player.sprite = sprite;
    resetToStart();
    holdReplayKeys();
    flow.introFrames = INTRO_FRAMES;
}

void resetShellState() {
    shell = ShellState{};
    shell.zoomLevel = ZOOM_DEFAULT;
    shell.fpsWindowStart = clockMs();
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
    while (clockMs() < shell.lastFrameTime + FRAME_CAP_MS) sleepMs(1);
    shell.lastFrameTime = clockMs();
}

void updateFpsEstimate() {
    shell.fpsFrameCount += 1;
    if (shell.fpsFrameCount < FPS_WINDOW_FRAMES) return;
    const int64_t now = clockMs();
    const int64_t elapsed = now - shell.fpsWindowStart;
    // A clock that did not move gives no rate; keep the last one rather than infinity.
    if (elapsed > 0) shell.fpsEstimate = static_cast<float>(60000.0 / static_cast<double>(elapsed));
    shell.fpsFrameCount = 0;
    shell.fpsWindowStart = now;
}

bool runFrame(const FrameHooks* hooks) {
    updateInput();
    handleGlobalKeys();
    if (!hooks || hooks->beforeUpdate()) updateGame();
    drawFrame();
    if (hooks) hooks->afterDraw();
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
    // Loading a hostile data folder can exhaust memory; say so instead of aborting.
    outOfMemoryReserve = new (std::nothrow) char[OUT_OF_MEMORY_RESERVE_BYTES];
    std::set_new_handler(outOfMemoryExit);
    GameStart start;
    start.display = GAME_WINDOW;
    start.skipIntro = false;
    const char* failure = nullptr;
    if (!startGame(start, failure)) fatalExit(failure);
    std::set_new_handler(nullptr);
    delete[] outOfMemoryReserve;
    outOfMemoryReserve = nullptr;
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

void outOfMemoryExit() {
    static bool entered = false;
    if (entered) {
        // The box itself ran out of memory: standard error needs nothing more.
        std::fputs("Kestravel - Error: Out of memory!\n", stderr);
        std::_Exit(1);
    }
    entered = true;
    delete[] outOfMemoryReserve;
    outOfMemoryReserve = nullptr;
    fatalExit("Out of memory!");
}

void fatalExit(const char* message) {
    if (message && message[0] != '\0') showMessageBox("Kestravel - Error", message, MESSAGE_ERROR);
    stopAllSounds();
    closeAudio();
    shutdownVideo();
#ifdef __EMSCRIPTEN__
    endInPage(!message || message[0] == '\0');
#endif
    // A failed start must not look like a clean quit to whoever started us.
    std::exit(message && message[0] != '\0' ? 1 : 0);
}
