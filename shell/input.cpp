#include "shell/input.h"

#include <cstring>

#include "shell/display.h"
#include "shell/platform.h"
#include "shell/web.h"
#include "world/manifest.h"

InputState input;

namespace {
constexpr int KEY_STATE_SIZE = 512;

// Half of a peak, rounded to the nearest integer with ties to even.
int32_t halfToEven(int32_t value) {
    int32_t half = value / 2;
    int32_t rest = value % 2;
    if (rest == 0 || half % 2 == 0) return half;
    return half + rest;
}
}  // namespace

void resetInputState() {
    // Only forgets the handle: after an SDL shutdown it may already be gone.
    input = InputState{};
    input.stickRightPeak = 24575;
    input.stickLeftPeak = -24575;
}

void savePreviousKeyState() {
    if (screen.keyState) std::memcpy(screen.previousKeyState, screen.keyState, KEY_STATE_SIZE);
}

void handleAltEnter() {
    if ((keyPushed(SDL_SCANCODE_RETURN) || keyPushed(SDL_SCANCODE_KP_ENTER)) && altDown()) toggleFullscreen();
}

void updateInput() {
    savePreviousKeyState();
    while (pollEvent() != 0) {
    }
    handleAltEnter();
}

int pollEvent() {
    if (!SDL_WasInit(SDL_INIT_EVENTS)) return 0;
    if (!SDL_PollEvent(&input.event)) return 0;
#ifdef __EMSCRIPTEN__
    followKeyEvent(input.event);
#endif
    switch (input.event.type) {
    case SDL_KEYDOWN:
        screen.lastInputDevice = 0;
        break;
    case SDL_CONTROLLERBUTTONDOWN:
        screen.lastInputDevice = 1;
        break;
    case SDL_MOUSEBUTTONDOWN:
        if (input.event.button.button == SDL_BUTTON_LEFT && input.event.button.clicks == 2) toggleFullscreen();
        break;
    case SDL_QUIT:
        screen.quitRequested = 1;
        break;
    default:
        break;
    }
    // Never 0 for a real event, so the caller's drain loop cannot stop early.
    return input.event.type != 0 ? static_cast<int>(input.event.type) : -1;
}

bool keyDown(int scancode) {
    return screen.keyState && scancode >= 0 && scancode < KEY_STATE_SIZE && screen.keyState[scancode];
}

bool keyPushed(int scancode) { return keyDown(scancode) && !screen.previousKeyState[scancode]; }

bool ctrlDown() { return keyDown(SDL_SCANCODE_LCTRL) || keyDown(SDL_SCANCODE_RCTRL); }

bool altDown() { return keyDown(SDL_SCANCODE_LALT) || keyDown(SDL_SCANCODE_RALT); }

bool padButton(int button) {
    if (!input.controller) return false;
    return SDL_GameControllerGetButton(input.controller, static_cast<SDL_GameControllerButton>(button)) != 0;
}

int16_t padAxis(int axis) {
    if (!input.controller) return 0;
    return SDL_GameControllerGetAxis(input.controller, static_cast<SDL_GameControllerAxis>(axis));
}

bool quitRequested() {
    bool requested = screen.quitRequested != 0;
    screen.quitRequested = 0;
    return requested;
}

void updateController() {
    if (input.controller) {
        // A removed device may keep its instance id, so ask whether it is still attached.
        SDL_Joystick* joystick = SDL_GameControllerGetJoystick(input.controller);
        if (!SDL_GameControllerGetAttached(input.controller) || !joystick || SDL_JoystickInstanceID(joystick) < 0) {
            SDL_GameControllerClose(input.controller);
            input.controller = nullptr;
        }
    } else if (SDL_WasInit(SDL_INIT_GAMECONTROLLER) && SDL_NumJoysticks() > 0) {
        input.controller = SDL_GameControllerOpen(0);
    }
    if (!input.controller) {
        input.fullscreenButtonLatch = 0;
        input.stickRight = 0;
        input.stickLeft = 0;
        return;
    }
    if (padButton(SDL_CONTROLLER_BUTTON_BACK)) {
        if (!input.fullscreenButtonLatch) {
            toggleFullscreen();
            input.fullscreenButtonLatch = 1;
        }
    } else {
        input.fullscreenButtonLatch = 0;
    }
    if (padButton(SDL_CONTROLLER_BUTTON_DPAD_RIGHT)) {
        input.stickRight = 1;
    } else {
        int32_t a = padAxis(SDL_CONTROLLER_AXIS_LEFTX);
        if (a > input.stickRightPeak) input.stickRightPeak = a;
        input.stickRight = a > halfToEven(input.stickRightPeak) ? 1 : 0;
    }
    if (padButton(SDL_CONTROLLER_BUTTON_DPAD_LEFT)) {
        input.stickLeft = 1;
    } else {
        int32_t a = padAxis(SDL_CONTROLLER_AXIS_LEFTX);
        if (a < input.stickLeftPeak) input.stickLeftPeak = a;
        input.stickLeft = a < halfToEven(input.stickLeftPeak) ? 1 : 0;
    }
}

void loadControllerMappings() {
    // A folder opens as a file of absurd size and a FIFO never opens: only a plain file is read.
    if (!isRegularFile(ASSET_MAPPINGS)) return;
    SDL_RWops* file = SDL_RWFromFile(ASSET_MAPPINGS, "rb");
    if (!file) return;
    SDL_GameControllerAddMappingsFromRW(file, 1);
}
