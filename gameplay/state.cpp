#include "gameplay/state.h"

Player player;
GameState game;

void resetPlayer() {
    player.width = 32.0f;
    player.height = 32.0f;
    player.vx = 0.0f;
    player.vy = 0.0f;
    player.flags = PLAYER_AIRBORNE;
    player.facing = 1;
    player.animFrame = 0;
    player.animTime = 0.0f;
}

void resetGameState() {
    player = Player{};
    game = GameState{};
}
