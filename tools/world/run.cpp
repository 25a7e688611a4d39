// kestravel-world run FILE [--last] [--header] [--at ...] [--checkpoint ...] [--stars N ROUTE]: plays a key
// script against a world without a window, from the start or from a place the options set up.
#include <SDL.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "gameplay/flow.h"
#include "gameplay/hazards.h"
#include "gameplay/replay.h"
#include "gameplay/sound.h"
#include "gameplay/state.h"
#include "gameplay/movement.h"
#include "shell/platform.h"
#include "shell/shell.h"
#include "tools/world/commands.h"
#include "tools/world/script.h"
#include "world/world.h"

namespace {

// The names of the fields printFields writes, in its order.
const char RUN_FIELD_NAMES[] =
    "frame zoneX zoneY x y vx vy flags airFrames facing animFrame playerDead fadeTimer zoneDistance paused "
    "deathCount jumpCount checkCount collectedStarCount gameComplete timeFrames";

void printFields(long frame) {
    std::printf("%ld %d %d %.9g %.9g %.9g %.9g %d %d %d %d %d %d %d %d %d %d %d %d %d %d\n", frame,
                progress.currentZoneX, progress.currentZoneY, player.x, player.y, player.vx, player.vy,
                player.flags, movement.airFrames, player.facing, player.animFrame, game.playerDead,
                game.fadeTimer, progress.zoneDistance, flow.paused, game.deathCount, game.jumpCount,
                game.checkCount, progress.collectedStarCount, game.gameComplete, game.timeFrames);
}

// Where the run begins, when not at the file's start block.
struct RunStart {
    bool at = false;                      // --at
    int32_t zoneX = 0, zoneY = 0;
    float x = 0.0f, y = 0.0f;             // the box's left and bottom edges
    bool checkpoint = false;              // --checkpoint
    int32_t checkX = 0, checkY = 0;
    int32_t column = -1, row = -1;        // -1: the zone's first checkpoint, if it has one
    long stars = 0;                       // --stars: taken from the route first
    const char* route = nullptr;
};

bool finiteNumber(const char* text, float& value) {
    char* end = nullptr;
    value = std::strtof(text, &end);
    return end != text && !*end && std::isfinite(value);
}

bool readFlags(int argc, char** argv, bool& lastOnly, bool& header, RunStart& start) {
    for (int i = 1; i < argc; ++i) {
        const char* flag = argv[i];
        int left = argc - i - 1;
        if (std::strcmp(flag, "--last") == 0) {
            lastOnly = true;
        } else if (std::strcmp(flag, "--header") == 0) {
            header = true;
        } else if (std::strcmp(flag, "--at") == 0 && left >= 4) {
            start.at = readWholeArgument(argv[i + 1], start.zoneX) && readWholeArgument(argv[i + 2], start.zoneY) &&
                       finiteNumber(argv[i + 3], start.x) && finiteNumber(argv[i + 4], start.y);
            if (!start.at) return false;
            i += 4;
        } else if (std::strcmp(flag, "--checkpoint") == 0 && left >= 2) {
            start.checkpoint = readWholeArgument(argv[i + 1], start.checkX) && readWholeArgument(argv[i + 2], start.checkY);
            if (!start.checkpoint) return false;
            i += 2;
            // The tile is optional: two more numbers name it.
            if (i + 2 < argc && readWholeArgument(argv[i + 1], start.column) && readWholeArgument(argv[i + 2], start.row)) {
                if (start.column < 0 || start.column >= ZONE_COLUMNS || start.row < 0 || start.row >= ZONE_ROWS)
                    return false;
                i += 2;
            } else {
                start.column = start.row = -1;
            }
        } else if (std::strcmp(flag, "--stars") == 0 && left >= 2) {
            int32_t count = 0;
            if (!readWholeArgument(argv[i + 1], count) || count < 0 || count > WORLD_STAR_SLOTS) return false;
            start.stars = count;
            start.route = argv[i + 2];
            i += 2;
        } else {
            return false;
        }
    }
    return true;
}

bool fail(const char* message, const char* detail = "") {
    std::fprintf(stderr, "kestravel-world run: %s%s\n", message, detail);
    return false;
}

// The first stars the route takes, played from the start and then forgotten but for them.
bool takeRouteStars(const RunStart& start, int32_t taken[WORLD_STAR_SLOTS]) {
    KeyScript script;
    if (!readScriptFile("kestravel-world run", start.route, script)) return false;
    auto wantsMore = [&] { return progress.collectedStarCount < start.stars && !shell.quitGame; };
    if (wantsMore()) playKeyScript(script.steps, [&](long) { return wantsMore(); });
    if (progress.collectedStarCount < start.stars) {
        std::fprintf(stderr, "kestravel-world run: %s takes %d stars, not %ld\n", start.route,
                     progress.collectedStarCount, start.stars);
        return false;
    }
    std::memcpy(taken, progress.collectedStars, sizeof(int32_t) * WORLD_STAR_SLOTS);
    return true;
}

// The game as resetToStart leaves it, then the stars, the checkpoint and the place the options ask for.
bool setUpStart(const RunStart& start) {
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

}  // namespace

int commandRun(int argc, char** argv) {
    bool lastOnly = false;
    bool header = false;
    RunStart start;
    if (argc < 1 || !readFlags(argc, argv, lastOnly, header, start)) {
        std::fprintf(stderr,
                     "usage: kestravel-world run FILE [--last] [--header] [--at ZX ZY X Y] [--checkpoint ZX ZY [C R]]\n"
                     "                          [--stars N ROUTE] < SCRIPT\n");
        return 2;
    }
    const char* path = argv[0];

    if (!isWorldReadable("kestravel-world run", path)) return 2;

    KeyScript script;
    std::string error;
    if (!readKeyScript(stdin, script, error)) {
        std::fprintf(stderr, "kestravel-world run: %s\n", error.c_str());
        return 2;
    }

    startWorldGame(path);
    if (!setUpStart(start)) return 2;

    if (header) std::printf("%s\n", RUN_FIELD_NAMES);
    // The run stops after the frame in which the game was told to end.
    const long frames = playKeyScript(script.steps, [&](long frame) {
        if (!lastOnly) printFields(frame);
        return shell.quitGame == 0;
    });
    if (lastOnly && frames > 0) printFields(frames);
    return 0;
}
