#pragma once
// The player record and the game values several subsystems share.
#include <cstdint>

struct Sprite;

constexpr int32_t PLAYER_AIRBORNE = 1;

struct Player {
    float x;             // left edge of the box, zone pixels
    float y;             // bottom edge of the box, y up
    float width;         // 32
    float height;        // 32
    float vx;            // pixels per update, right positive
    float vy;            // pixels per update, up positive
    int32_t flags;       // PLAYER_AIRBORNE
    Sprite* sprite;      // the player sheet, 8 frames
    int32_t facing;      // 1 right, -1 left
    int32_t animFrame;   // 0..7
    float animTime;      // each whole 1.0 advances animFrame
};
extern Player player;

struct GameState {
    int32_t playerDead;      // 1 from a kill until the respawn
    int32_t fadeTimer;       // updates left in the black fade (60 at a kill, 30 after a reset)
    int32_t gameComplete;    // the tenth star is taken
    int32_t starPopupTimer;  // updates left to show the star row (240 at a pick-up)
    int32_t timeFrames;      // TIME in updates
    int32_t deathCount;      // DEATHS
    int32_t jumpCount;       // JUMPS
    int32_t checkCount;      // CHECKS
    int32_t titleFrames;     // frames of the name caption, 0..1020
    int32_t previewAlpha;    // jump preview alpha, 0..128
};
extern GameState game;

void resetGameState();       // program-start values: everything zero
void resetPlayer();          // as a new game begins: its size, still, airborne, facing right; place and sprite kept
