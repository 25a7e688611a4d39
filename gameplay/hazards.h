#pragma once
// Spikes, checkpoints, stars, the death fade and respawn.

// Where the foot checks look along the box's bottom edge, as shares of its width from the left.
constexpr float HAZARD_FOOT_LEFT = 0.2f;
constexpr float HAZARD_FOOT_RIGHT = 0.8f;

struct HazardState {
    float starPopupX;   // screen position of the flying star, top-left
    float starPopupY;
};
extern HazardState hazards;

void resetHazardState();      // program-start values: zero
void killPlayer();            // does nothing to a player already dead
void activateCheckpoint(int column, int row);
void checkCentreTile();
void checkFootTiles();
void updateDeathTimer();      // also counts down the star pop-up
