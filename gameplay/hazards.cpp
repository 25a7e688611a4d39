#include "gameplay/hazards.h"

#include <cmath>

#include "gameplay/sound.h"
#include "gameplay/state.h"
#include "world/world.h"

HazardState hazards;

namespace {

constexpr float TILE = TILE_SIZE;
constexpr int32_t DEATH_FADE_FRAMES = 60;
constexpr int32_t RESPAWN_AT_FADE = 30;
constexpr int32_t STAR_POPUP_FRAMES = 240;

float centreX() { return player.x + player.width * 0.5f; }
float centreY() { return player.y + player.height * 0.5f; }

void collectStar(int column, int row) {
    // The list has one place per star of a world; a surplus star stays where it is.
    if (progress.collectedStarCount < 0 || progress.collectedStarCount >= WORLD_STAR_SLOTS) return;
    int32_t& tile = room.tileFlags[column + row * ZONE_COLUMNS];
    tile &= ~TILE_STAR;
    playSound(SOUND_STAR, false);
    progress.collectedStars[progress.collectedStarCount] =
        tileIdentity(progress.currentZoneX, progress.currentZoneY, column, row);
    progress.collectedStarCount += 1;
    if (progress.collectedStarCount == WORLD_STAR_SLOTS) {
        playSound(SOUND_CHECK, false);
        game.gameComplete = 1;
    }
    game.starPopupTimer = STAR_POPUP_FRAMES;
    hazards.starPopupX = (static_cast<float>(column) + 0.5f) * TILE - 32.0f;
    hazards.starPopupY = static_cast<float>(ZONE_HEIGHT) - 32.0f - (static_cast<float>(row) + 0.5f) * TILE;
}

void checkFootColumn(float px, int row) {
    if (game.playerDead) return;
    float c = std::floor(px / TILE);
    if (!(c >= 0.0f && c < static_cast<float>(ZONE_COLUMNS))) return;
    int index = static_cast<int>(c) + row * ZONE_COLUMNS;
    if (room.tileFlags[index] == TILE_SPIKE && room.tileDirection[index] == DIR_UP) killPlayer();
}

}  // namespace

void resetHazardState() { hazards = HazardState{}; }

void killPlayer() {
    if (game.playerDead) return;
    game.fadeTimer = DEATH_FADE_FRAMES;
    game.playerDead = 1;
    if (!game.gameComplete) game.deathCount += 1;
    playSound(SOUND_DIE, false);
}

void activateCheckpoint(int column, int row) {
    if (column < 0 || column >= ZONE_COLUMNS || row < 0 || row >= ZONE_ROWS) return;
    progress.checkpointZoneX = progress.currentZoneX;
    progress.checkpointZoneY = progress.currentZoneY;
    progress.checkpointIdentity = tileIdentity(progress.currentZoneX, progress.currentZoneY, column, row);
    progress.zoneDistance = 0;
    if (!game.gameComplete) game.checkCount += 1;
    room.tileFlags[column + row * ZONE_COLUMNS] = TILE_CHECKPOINT_ACTIVE;
    playSound(SOUND_CHECK, false);
}

void checkCentreTile() {
    if (game.playerDead) return;
    int column = 0;
    int row = 0;
    if (!tileAt(centreX(), centreY(), column, row)) return;
    int32_t tile = room.tileFlags[column + row * ZONE_COLUMNS];
    if (tile == TILE_CHECKPOINT) {
        activateCheckpoint(column, row);
    } else if (tile == TILE_SPIKE) {
        killPlayer();
    } else if (tile == TILE_STAR) {
        collectStar(column, row);
    }
}

void checkFootTiles() {
    if (game.playerDead || (player.flags & PLAYER_AIRBORNE)) return;
    float r = std::floor(centreY() / TILE);
    if (!(r >= 0.0f && r < static_cast<float>(ZONE_ROWS))) return;
    int row = static_cast<int>(r);
    checkFootColumn(player.x + player.width * HAZARD_FOOT_LEFT, row);
    checkFootColumn(player.x + player.width * HAZARD_FOOT_RIGHT, row);
}

void updateDeathTimer() {
    if (game.fadeTimer > 0) {
        game.fadeTimer -= 1;
        if (game.fadeTimer == RESPAWN_AT_FADE) {
            respawnAtCheckpoint();
            game.starPopupTimer = 0;
        }
    }
    if (game.starPopupTimer > 0) game.starPopupTimer -= 1;
}
