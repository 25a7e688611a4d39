#pragma once
// Spikes, checkpoints, stars, the death fade and respawn.
struct HazardState {
    float starPopupX;   // screen position of the flying star, top-left
    float starPopupY;
};
extern HazardState hazards;

void killPlayer();
void activateCheckpoint(int column, int row);
void checkCentreTile();
void checkFootTiles();
void updateDeathTimer();      // also counts down the star pop-up
