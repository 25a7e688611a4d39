#include "gameplay/replay.h"

#include <SDL.h>

#include <cstring>

#include "gameplay/flow.h"
#include "gameplay/hazards.h"
#include "gameplay/movement.h"
#include "shell/display.h"
#include "shell/input.h"
#include "shell/shell.h"

ReplayState replay;

void startHeadlessGame() {
    replay = ReplayState{};
    resetFlowState();
    resetMovementState();
    resetHazardState();
    flow.introFrames = INTRO_FRAMES;
    shell.quitGame = 0;
    std::memset(screen.previousKeyState, 0, sizeof screen.previousKeyState);
    screen.keyState = replay.keys;
}

void runHeadlessFrame(const uint8_t keys[REPLAY_KEYS]) {
    std::memcpy(screen.previousKeyState, replay.keys, REPLAY_KEYS);
    std::memcpy(replay.keys, keys, REPLAY_KEYS);
    screen.keyState = replay.keys;

    int32_t pausePressed = keyDown(SDL_SCANCODE_ESCAPE) ? 1 : 0;
    if (pausePressed && !replay.pauseWasPressed && flow.introFrames >= INTRO_FRAMES) pauseAction();
    replay.pauseWasPressed = pausePressed;

    updateGame();
}
