// kestravel-world measure FILE [--route SCRIPT]: the numbers a level designer weighs a world by.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "gameplay/replay.h"
#include "tools/world/commands.h"
#include "tools/world/script.h"
#include "tools/world/search.h"
#include "world/world.h"

namespace {

constexpr int32_t MEASURE_SPARSE_TILES = 8;  // a zone with fewer interior tiles than this is a rest room
constexpr int32_t MEASURE_FRAMES_PER_SECOND = 60;

int usage() {
    std::fprintf(stderr, "usage: kestravel-world measure FILE [--route SCRIPT]\n");
    return 2;
}

// Columns 1-14, rows 1-10: what the player moves among, not the frame around it.
int32_t interiorTiles() {
    int32_t count = 0;
    for (int32_t row = 1; row < ZONE_ROWS - 1; ++row)
        for (int32_t column = 1; column < ZONE_COLUMNS - 1; ++column)
            count += room.tileFlags[column + row * ZONE_COLUMNS] != TILE_EMPTY;
    return count;
}

}  // namespace

int commandMeasure(int argc, char** argv) {
    if (argc != 1 && !(argc == 3 && std::strcmp(argv[1], "--route") == 0)) return usage();
    const char* path = argv[0];
    if (!isWorldReadable("kestravel-world measure", path)) return 2;
    KeyScript read;
    if (argc == 3 && !readScriptFile("kestravel-world measure", argv[2], read)) return 2;
    const std::vector<ScriptStep>& script = read.steps;

    startWorldGame(path);
    std::vector<int32_t> interior;
    std::vector<std::string> sparse;
    for (const WorldZone& zone : world.zones) {
        int32_t x = zone.x, y = zone.y;
        if (!loadZone(x, y)) continue;
        interior.push_back(interiorTiles());
        if (interior.back() < MEASURE_SPARSE_TILES) sparse.push_back(std::to_string(x) + "," + std::to_string(y));
    }
    if (interior.empty()) {
        std::fprintf(stderr, "kestravel-world measure: %s holds no zone\n", path);
        return 2;
    }
    std::vector<int32_t> sorted = interior;
    std::sort(sorted.begin(), sorted.end());
    size_t half = sorted.size() / 2;
    double median = sorted.size() % 2 ? sorted[half] : (sorted[half - 1] + sorted[half]) / 2.0;
    long lanterns = static_cast<long>(findCheckpoints().size());

    std::printf("zones %zu\n", interior.size());
    std::printf("median interior tiles %g of %d\n", median, (ZONE_COLUMNS - 2) * (ZONE_ROWS - 2));
    std::printf("zones under %d interior tiles %zu", MEASURE_SPARSE_TILES, sparse.size());
    for (const std::string& zone : sparse) std::printf(" %s", zone.c_str());
    std::printf("\nlanterns %ld\n", lanterns);
    if (script.empty()) return 0;

    startWorldGame(path);
    long frame = 0, completedAt = -1;
    std::set<int32_t> distances;
    for (const ScriptStep& step : script) {
        for (int32_t f = 0; f < step.frames; ++f) {
            int32_t jumps = game.jumpCount;
            stepGame(step.keys);
            ++frame;
            if (game.jumpCount != jumps) distances.insert(progress.zoneDistance);
            if (game.gameComplete && completedAt < 0) completedAt = frame;
        }
    }
    std::printf("route stars %d, complete %d, deaths %d\n", progress.collectedStarCount, game.gameComplete,
                game.deathCount);
    std::printf("route checks %d\n", game.checkCount);
    long frames = completedAt > 0 ? completedAt : frame;
    long seconds = frames / MEASURE_FRAMES_PER_SECOND;
    std::printf("route frames %ld (%ld:%02ld)\n", frames, seconds / 60, seconds % 60);
    std::printf("route jump distances");
    for (int32_t d : distances) std::printf(" %d", d);
    std::printf("\n");
    return 0;
}
