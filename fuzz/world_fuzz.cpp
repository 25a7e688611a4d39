// Raw bytes through the whole world reading path: decoding, splitting, restart,
// every zone the text names, and a step across each edge.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "gameplay/state.h"
#include "shell/shell.h"
#include "world/textfile.h"
#include "world/world.h"

namespace {

// Inputs with many headers would only measure zone building.
constexpr size_t MAX_HEADERS = 256;

void collectStars() {
    for (int index = 0; index < ZONE_TILES; ++index) {
        if (room.tileFlags[index] != TILE_STAR) continue;
        room.tileFlags[index] = TILE_EMPTY;
        if (progress.collectedStarCount >= WORLD_STAR_SLOTS) continue;
        progress.collectedStars[progress.collectedStarCount++] =
            tileIdentity(progress.currentZoneX, progress.currentZoneY, index % ZONE_COLUMNS, index / ZONE_COLUMNS);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text = decodeText(std::string(reinterpret_cast<const char*>(data), size));
    GameStart start;
    start.worldText = &text;
    const char* failure = nullptr;
    startGame(start, failure);
    for (const WorldZone& zone : world.zones)
        if (findZone(zone.x, zone.y) != &zone) __builtin_trap();

    size_t headers = 0;
    for (std::string_view line : world.lines) {
        if (line.size() < 5 || (line[0] | 0x20) != 'z' || line.compare(1, 4, "one:") != 0) continue;
        if (++headers > MAX_HEADERS) break;
        std::vector<std::string> fields;
        splitString(std::string(line.substr(5)), ",", false, fields);
        fields.resize(2);
        if (loadZone(readNumber(fields[0]), readNumber(fields[1]))) collectStars();
        for (int i = 0; i < ZONE_TILES; ++i) {
            if (room.tileDirection[i] < DIR_NONE || room.tileDirection[i] > DIR_LEFT) __builtin_trap();
            if (progress.zoneDistance < 0 || progress.zoneDistance > 9) __builtin_trap();
        }
    }
    const int steps[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
    for (const auto& step : steps) {
        changeZone(step[0], step[1]);
        collectStars();
    }
    respawnAtCheckpoint();
    resetToStart();
    return 0;
}
