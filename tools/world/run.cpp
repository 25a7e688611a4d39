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
#include "tools/world/start.h"
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

bool readFlags(int argc, char** argv, bool& lastOnly, bool& header, RunStart& start) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--last") == 0) lastOnly = true;
        else if (std::strcmp(argv[i], "--header") == 0) header = true;
        else if (readStartOption(argc, argv, i, start) != 1) return false;
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
    if (!setUpStart("kestravel-world run", start)) return 2;

    if (header) std::printf("%s\n", RUN_FIELD_NAMES);
    // The run stops after the frame in which the game was told to end.
    const long frames = playKeyScript(script.steps, [&](long frame) {
        if (!lastOnly) printFields(frame);
        return shell.quitGame == 0;
    });
    if (lastOnly && frames > 0) printFields(frames);
    return 0;
}
