#pragma once
// Saved games for the searches: every record one update reads or writes, put back in place.
#include <cstdint>

#include "gameplay/flow.h"
#include "gameplay/hazards.h"
#include "gameplay/movement.h"
#include "gameplay/replay.h"
#include "gameplay/sound.h"
#include "gameplay/state.h"
#include "world/world.h"

// Everything one update reads or writes, record by record, except the world and the room, which
// loadZone rebuilds from the progress.
struct GameSnapshot {
    Player player;
    GameState game;
    MovementState movement;
    HazardState hazards;
    FlowState flow;
    SoundState sound;
    ProgressState progress;
    uint16_t keys;  // held in the last frame
    int32_t pauseWasPressed;
};

GameSnapshot saveGame();
void restoreGame(const GameSnapshot& snapshot);
// One frame with these keys held (REPLAY_LETTERS bits).
void stepGame(uint16_t keys);
// Two states closer than this play alike, near enough for a route.
uint64_t stateHash(const GameSnapshot& s);
