#pragma once
// Frames without a window: what the frame loop does for the game, with the keys given.
#include <cstdint>

constexpr int REPLAY_KEYS = 512;

struct ReplayState {
    uint8_t keys[REPLAY_KEYS];   // key state of the current frame; screen.keyState points here
    int32_t pauseWasPressed;     // ESCAPE held in the previous frame
};
extern ReplayState replay;

// Program-start values for every gameplay record, the intro counted as over; the world is untouched.
void startHeadlessGame();
// One frame: previous keys saved, these keys held, the pause edge, then one update.
void runHeadlessFrame(const uint8_t keys[REPLAY_KEYS]);
