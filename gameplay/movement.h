#pragma once
// Walking, the distance-dependent jump, gravity, collision with walls, zone edges.
#include <cstdint>

constexpr float MOVEMENT_WALK_SPEED = 3.0f;  // px per update at full walking speed

struct MovementState {
    int32_t moveDirection;   // horizontal input of the last update: 1, -1 or 0
    int32_t airFrames;       // updates airborne since last on ground
    int32_t jumpHeld;        // a jump input is held; jumps need a fresh press
    int32_t jumpPreviewRow;  // row a jump from here would reach
    int32_t idleFrames;      // updates stood still on ground
    int32_t previewX;        // preview position, whole pixels
    int32_t previewFrame;    // preview sprite frame
    int32_t previewFacing;   // preview facing
};
extern MovementState movement;

void resetMovementState();
bool boxHitsWall(float x, float y, float w, float h);
void updateHorizontalInput();
void updateJump();
void updateMotion();           // gravity, motion, animation, collision
bool checkZoneEdges();         // true when the player changed zone
void updateJumpPreview();
