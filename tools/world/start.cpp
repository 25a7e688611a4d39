#include "tools/world/start.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "gameplay/replay.h"
#include "gameplay/state.h"
#include "shell/shell.h"
#include "tools/world/commands.h"
#include "tools/world/script.h"
#include "world/world.h"

namespace {

bool finiteNumber(const char* text, float& value) {
    char* end = nullptr;
    value = std::strtof(text, &end);
    return end != text && !*end && std::isfinite(value);
}

}  // namespace

int readStartOption(int argc, char** argv, int& i, RunStart& start) {
    const char* flag = argv[i];
    const int left = argc - i - 1;
    if (std::strcmp(flag, "--at") == 0 && left >= 4) {
        start.at = readWholeArgument(argv[i + 1], start.zoneX) && readWholeArgument(argv[i + 2], start.zoneY) &&
                   finiteNumber(argv[i + 3], start.x) && finiteNumber(argv[i + 4], start.y);
        if (!start.at) return -1;
        i += 4;
    } else if (std::strcmp(flag, "--checkpoint") == 0 && left >= 2) {
        start.checkpoint = readWholeArgument(argv[i + 1], start.checkX) && readWholeArgument(argv[i + 2], start.checkY);
        if (!start.checkpoint) return -1;
        i += 2;
        // The tile is optional: two more numbers name it.
        if (i + 2 < argc && readWholeArgument(argv[i + 1], start.column) && readWholeArgument(argv[i + 2], start.row)) {
            if (start.column < 0 || start.column >= ZONE_COLUMNS || start.row < 0 || start.row >= ZONE_ROWS) return -1;
            i += 2;
        } else {
            start.column = start.row = -1;
        }
    } else if (std::strcmp(flag, "--stars") == 0 && left >= 2) {
        int32_t count = 0;
        if (!readWholeArgument(argv[i + 1], count) || count < 0 || count > WORLD_STAR_SLOTS) return -1;
        start.stars = count;
        start.route = argv[i + 2];
        i += 2;
    } else {
        return 0;
    }
    return 1;
}

namespace {

const char* failing = "";  // the command, for the messages

bool fail(const char* message) {
    std::fprintf(stderr, "%s: %s\n", failing, message);
    return false;
}

// The first stars the route takes, played from the start and then forgotten but for them.
bool takeRouteStars(const RunStart& start, int32_t taken[WORLD_STAR_SLOTS]) {
    KeyScript script;
    if (!readScriptFile(failing, start.route, script)) return false;
    auto wantsMore = [&] { return progress.collectedStarCount < start.stars && !shell.quitGame; };
    if (wantsMore()) playKeyScript(script.steps, [&](long) { return wantsMore(); });
    if (progress.collectedStarCount < start.stars) {
        std::fprintf(stderr, "%s: %s takes %d stars, not %ld\n", failing, start.route, progress.collectedStarCount,
                     start.stars);
        return false;
    }
    std::memcpy(taken, progress.collectedStars, sizeof(int32_t) * WORLD_STAR_SLOTS);
    return true;
}

}  // namespace

bool setUpStart(const char* who, const RunStart& start) {
    failing = who;
    int32_t taken[WORLD_STAR_SLOTS] = {};
    if (start.route) {
        if (!takeRouteStars(start, taken)) return false;
        restartHeadlessGame();
        std::memcpy(progress.collectedStars, taken, sizeof taken);
        progress.collectedStarCount = static_cast<int32_t>(start.stars);
        if (progress.collectedStarCount == WORLD_STAR_SLOTS) game.gameComplete = 1;
    }
    if (start.checkpoint) {
        int32_t identity = 0;  // a zone without a lantern still sets every distance, as a start block's does
        bool found = false;
        if (loadZone(start.checkX, start.checkY)) {
            // In the order a respawn looks for the lantern: bottom row first.
            for (int index = 0; index < ZONE_TILES && !found; ++index) {
                int column = index % ZONE_COLUMNS, row = index / ZONE_COLUMNS;
                bool lantern = (room.tileFlags[index] & (TILE_CHECKPOINT | TILE_CHECKPOINT_ACTIVE)) != 0;
                found = lantern && (start.column < 0 || (column == start.column && row == start.row));
                if (found) identity = tileIdentity(start.checkX, start.checkY, column, row);
            }
        }
        if (start.column >= 0 && !found)
            return fail("--checkpoint names no checkpoint tile (\"@\") of a zone in the file");
        progress.checkpointZoneX = start.checkX;
        progress.checkpointZoneY = start.checkY;
        progress.checkpointIdentity = identity;
    }
    if (start.at) {
        if (!loadZone(start.zoneX, start.zoneY)) return fail("--at names a zone the file does not hold");
        float cx = start.x + player.width * 0.5f, cy = start.y + player.height * 0.5f;
        if (!(cx >= 0.0f && cx <= float(ZONE_WIDTH) && cy >= 0.0f && cy <= float(ZONE_HEIGHT)))
            return fail("--at puts the middle of the player outside the zone");
        player.x = start.x;
        player.y = start.y;
        player.vx = 0.0f;
        player.vy = 0.0f;
        player.flags |= PLAYER_AIRBORNE;
    } else if (start.checkpoint) {
        // As after a death: in the checkpoint's zone on its lantern, or where the player is without one.
        loadZone(progress.currentZoneX, progress.currentZoneY);
        respawnAtCheckpoint();
    } else {
        loadZone(progress.currentZoneX, progress.currentZoneY);  // the taken stars leave the grid
    }
    return true;
}
