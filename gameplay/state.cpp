#include "gameplay/state.h"

Player player;
GameState game;

void resetGameState() {
    player = Player{};
    game = GameState{};
}
