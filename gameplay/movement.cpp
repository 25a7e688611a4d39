#include "gameplay/movement.h"
// stub: to be implemented
MovementState movement;
void resetMovementState() {}
bool boxHitsWall(float, float, float, float) { return false; }
void updateHorizontalInput() {}
void updateJump() {}
void updateMotion() {}
bool checkZoneEdges() { return false; }
void updateJumpPreview() {}
