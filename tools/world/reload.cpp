#include "tools/world/reload.h"

#include <algorithm>

#include "gameplay/movement.h"
#include "gameplay/state.h"
#include "world/world.h"

namespace {

// Whether the world holds this character at the place: a zone the file no longer has holds none.
bool holds(const TilePlace& place, uint32_t character) {
    const WorldZone* zone = findZone(place.zoneX, place.zoneY);
    if (!zone || place.column >= ZONE_COLUMNS || place.row >= ZONE_ROWS) return false;
    uint32_t characters[ZONE_COLUMNS];
    readRowLine(zoneRowLine(*zone, place.row), characters);
    return characters[place.column] == character;
}

bool standsInAWall() { return boxHitsWall(player.x, player.y, player.width, player.height); }

}  // namespace

ReloadOutcome carryRunOver() {
    ReloadOutcome outcome;
    const int32_t count = std::clamp(progress.collectedStarCount, 0, WORLD_STAR_SLOTS);
    int32_t kept = 0;
    for (int32_t i = 0; i < count; ++i)
        if (holds(tilePlace(progress.collectedStars[i]), '$')) progress.collectedStars[kept++] = progress.collectedStars[i];
    outcome.starsForgotten = count - kept;
    progress.collectedStarCount = kept;
    if (kept < WORLD_STAR_SLOTS) game.gameComplete = 0;

    // Identity 0 without a lantern in that corner is the start block's checkpoint: it follows the block.
    StartBlock start{};
    const bool hasStart = readStartBlock(start);
    if (!holds(tilePlace(progress.checkpointIdentity), '@')) {
        outcome.checkpointGone = progress.checkpointIdentity != 0;
        progress.checkpointIdentity = 0;
        if (hasStart) {
            progress.checkpointZoneX = start.checkpointX;
            progress.checkpointZoneY = start.checkpointY;
        }
    }

    if (loadZone(progress.currentZoneX, progress.currentZoneY) && !standsInAWall()) return outcome;
    outcome.respawned = true;
    respawnAtCheckpoint();
    const bool standing = progress.currentZoneX == progress.checkpointZoneX &&
                          progress.currentZoneY == progress.checkpointZoneY && findZone(progress.currentZoneX,
                                                                                       progress.currentZoneY);
    if ((standing && !standsInAWall()) || !hasStart || !loadZone(start.zoneX, start.zoneY)) return outcome;
    placeInTile(static_cast<float>(start.column), static_cast<float>(start.row));
    return outcome;
}
