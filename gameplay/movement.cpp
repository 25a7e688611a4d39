#include "gameplay/movement.h"

#include <SDL.h>

#include <cmath>
#include <cstdint>

#include "gameplay/flow.h"
#include "gameplay/sound.h"
#include "gameplay/state.h"
#include "shell/input.h"
#include "world/manifest.h"
#include "world/world.h"

MovementState movement;

namespace {

constexpr float WALK_APPROACH = 0.2f;
constexpr float GROUND_DAMPING = 0.1f;
constexpr float AIR_DAMPING = 0.9f;
constexpr float MAX_FALL_SPEED = -20.0f;
constexpr int32_t JUMP_GRACE_FRAMES = 3;
constexpr float GROUND_PROBE = 0.1f;
constexpr float FALL_START_DROP = 0.001f;
constexpr float WALL_CLEARANCE = 0.001f;
constexpr float HARD_LANDING_SPEED = 11.0f;
constexpr float WALK_ANIM_RATE = 0.04f;
constexpr float SETTLE_RATE = 0.25f;
constexpr float RISE_RATE = 0.6f;
constexpr float FALL_RATE = 0.15f;
constexpr int32_t PREVIEW_DELAY = 60;
constexpr float TILE = TILE_SIZE;

bool onGround() { return (player.flags & PLAYER_AIRBORNE) == 0; }

bool rightHeld() {
    return keyDown(SDL_SCANCODE_RIGHT) || keyDown(SDL_SCANCODE_D) || input.stickRight != 0;
}

bool leftHeld() {
    return keyDown(SDL_SCANCODE_LEFT) || keyDown(SDL_SCANCODE_A) || input.stickLeft != 0;
}

bool jumpInputHeld() {
    return keyDown(SDL_SCANCODE_SPACE) || keyDown(SDL_SCANCODE_Z) || keyDown(SDL_SCANCODE_W) ||
           keyDown(SDL_SCANCODE_X) || keyDown(SDL_SCANCODE_UP) ||
           padButton(SDL_CONTROLLER_BUTTON_A) || padButton(SDL_CONTROLLER_BUTTON_LEFTSHOULDER) ||
           padButton(SDL_CONTROLLER_BUTTON_RIGHTSHOULDER);
}

// The tables have ten entries; a distance outside them would read past the end.
int32_t tableIndex() {
    int32_t d = progress.zoneDistance;
    return d < 0 ? 0 : (d > 9 ? 9 : d);
}

float gravity() { return world.gravityTable[tableIndex()]; }

// Tile of one corner, truncating toward zero so that -40 < c < 0 still lands in 0.
bool cornerHitsWall(float cornerX, float cornerY) {
    float column = cornerX / TILE;
    float row = cornerY / TILE;
    // Compared as floats first: out-of-range (or NaN) values must not reach the int cast.
    if (!(column > -1.0f && column < static_cast<float>(ZONE_COLUMNS))) return false;
    if (!(row > -1.0f && row < static_cast<float>(ZONE_ROWS))) return false;
    int c = static_cast<int>(column);
    int r = static_cast<int>(row);
    return (room.tileFlags[c + r * ZONE_COLUMNS] & TILE_WALL) != 0;
}

void applyVerticalMotion() {
    if (!onGround()) {
        player.vy = player.vy - gravity();
        if (player.vy < MAX_FALL_SPEED) player.vy = MAX_FALL_SPEED;
        player.y = player.y + player.vy;
        movement.airFrames += 1;
        return;
    }
    if (!boxHitsWall(player.x, player.y - GROUND_PROBE, player.width, player.height)) {
        player.flags |= PLAYER_AIRBORNE;
        player.y = player.y - FALL_START_DROP;
    }
    movement.airFrames = 0;
}

void animate() {
    if (onGround()) {
        float speed = std::fabs(player.vx);
        if (speed >= 0.001f) {
            player.animTime += speed * WALK_ANIM_RATE;
        } else if (player.animFrame != CLOAK_STAND && player.animFrame != CLOAK_STAND_TOO) {
            player.animTime += SETTLE_RATE;
        }
    } else if (player.vy > 0.0f) {
        if (player.animFrame != CLOAK_RISE) player.animTime += RISE_RATE;
    } else {
        if (player.animFrame != CLOAK_FALL) player.animTime += FALL_RATE;
    }
    while (player.animTime >= 1.0f) {
        player.animTime -= 1.0f;
        player.animFrame = (player.animFrame + 1) % CLOAK_FRAMES;
    }
    // The rising pose never shows on ground.
    if (onGround() && player.animFrame == CLOAK_RISE) player.animFrame = CLOAK_AFTER_RISE;
}

void land() {
    player.vy = 0.0f;
    player.flags &= ~PLAYER_AIRBORNE;
}

// One correction per update; a box still stuck afterwards is left to the next one.
void resolveCollision() {
    Player& p = player;
    if (!boxHitsWall(p.x, p.y, p.width, p.height)) return;

    if (!boxHitsWall(p.x, p.y - p.vy, p.width, p.height)) {
        if (p.vy > 0.0f) {
            p.y = std::trunc((p.y + p.height) / TILE) * TILE - p.height;
            p.vy = -gravity();
        } else {
            p.y = std::ceil(p.y / TILE) * TILE;
            if (std::fabs(p.vy) > HARD_LANDING_SPEED) {
                p.animFrame = CLOAK_HARD_LANDING;
                p.animTime = 0.0f;
                playSound(SOUND_LAND, false);
            }
            land();
        }
        return;
    }

    if (!boxHitsWall(p.x - p.vx, p.y, p.width, p.height)) {
        if (p.vx < 0.0f) {
            p.x = std::ceil(p.x / TILE) * TILE + WALL_CLEARANCE;
        } else {
            p.x = std::trunc((p.x + p.width) / TILE) * TILE - p.width - WALL_CLEARANCE;
        }
        p.vx = 0.0f;
        return;
    }

    // Corner: both axes, and no landing pose or sound.
    if (p.vy > 0.0f) {
        p.y = std::floor((p.y + p.height) / TILE) * TILE - p.height;
        p.vy = -gravity();
    } else {
        p.y = std::ceil(p.y / TILE) * TILE;
        land();
    }
    if (p.vx > 0.0f) {
        p.x = std::floor((p.x + p.width) / TILE) * TILE - p.width - WALL_CLEARANCE;
    } else {
        p.x = std::ceil(p.x / TILE) * TILE + WALL_CLEARANCE;
        p.vx = 0.0f;
    }
}

}  // namespace

void resetMovementState() { movement = MovementState{}; }

bool boxHitsWall(float x, float y, float w, float h) {
    return cornerHitsWall(x, y) || cornerHitsWall(x + w, y) || cornerHitsWall(x + w, y + h) ||
           cornerHitsWall(x, y + h);
}

void updateHorizontalInput() {
    if (rightHeld()) {
        player.vx = player.vx + (MOVEMENT_WALK_SPEED - player.vx) * WALK_APPROACH;
        if (movement.moveDirection != 1) {
            movement.moveDirection = 1;
            if (onGround()) playSound(SOUND_MOVE, false);
        }
        player.facing = 1;
    } else if (leftHeld()) {
        player.vx = player.vx + (-MOVEMENT_WALK_SPEED - player.vx) * WALK_APPROACH;
        if (movement.moveDirection != -1) {
            movement.moveDirection = -1;
            if (onGround()) playSound(SOUND_MOVE, false);
        }
        player.facing = -1;
    } else {
        movement.moveDirection = 0;
        player.vx *= onGround() ? GROUND_DAMPING : AIR_DAMPING;
    }
}

void updateJump() {
    if (!jumpInputHeld()) {
        movement.jumpHeld = 0;
        return;
    }
    // airFrames only resets on ground, so the grace also allows a quick second press after a jump.
    if (movement.jumpHeld == 0 && progress.zoneDistance >= 1 &&
        (onGround() || movement.airFrames < JUMP_GRACE_FRAMES)) {
        player.vy = world.jumpSpeedTable[tableIndex()];
        player.flags |= PLAYER_AIRBORNE;
        playSound(SOUND_JUMP, false);
        if (!game.gameComplete) game.jumpCount += 1;
    }
    movement.jumpHeld = 1;
}

void updateMotion() {
    applyVerticalMotion();
    player.x = player.x + player.vx;
    animate();
    resolveCollision();
}

bool checkZoneEdges() {
    float cx = player.x + player.width * 0.5f;
    float cy = player.y + player.height * 0.5f;
    if (cx < 0.0f) {
        changeZone(-1, 0);
    } else if (cx > static_cast<float>(ZONE_WIDTH)) {
        changeZone(1, 0);
    } else if (cy < 0.0f) {
        changeZone(0, -1);
    } else if (cy > static_cast<float>(ZONE_HEIGHT)) {
        changeZone(0, 1);
    } else {
        return false;
    }
    return true;
}

void updateJumpPreview() {
    if (flow.paused) return;
    if (!onGround()) {
        movement.idleFrames = 0;
        return;
    }
    movement.jumpPreviewRow =
        static_cast<int32_t>(std::floor(player.y / TILE)) + progress.zoneDistance;
    if (progress.zoneDistance >= 1 && movement.moveDirection == 0) {
        if (movement.idleFrames >= PREVIEW_DELAY) {
            movement.previewX = static_cast<int32_t>(std::lround(player.x));
            movement.previewFrame = player.animFrame;
            movement.previewFacing = player.facing;
        }
        if (movement.idleFrames < INT32_MAX) movement.idleFrames += 1;
    } else {
        movement.idleFrames = 0;
    }
}
