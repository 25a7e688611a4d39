// One update of the game while walking and jumping on the shipped world, building a zone, and
// reading and walking through worlds far larger than any real one.
#include <benchmark/benchmark.h>

#include <SDL.h>

#include <cstring>
#include <string>
#include <vector>

#include "gameplay/flow.h"
#include "gameplay/hazards.h"
#include "gameplay/movement.h"
#include "gameplay/replay.h"
#include "gameplay/sound.h"
#include "gameplay/state.h"
#include "shell/display.h"
#include "shell/shell.h"
#include "world/world.h"

namespace {

// Each iteration builds another zone of the loaded world, `stride` zones on from the last.
void loadZonesInTurn(benchmark::State& state, size_t stride) {
    const std::vector<WorldZone> zones = world.zones;
    size_t next = 0;
    for (auto _ : state) {
        const WorldZone& zone = zones[next];
        benchmark::DoNotOptimize(loadZone(zone.x, zone.y));
        next = (next + stride) % zones.size();
    }
}

const std::string WORLD = std::string(KESTRAVEL_SOURCE_DIR) + "/data/game/world1.txt";

bool startShippedWorld() {
    GameStart start;
    start.worldFile = WORLD;
    const char* failure = nullptr;
    return startGame(start, failure) && !world.lines.empty();
}

// Right for four seconds with a hop every half second, then left the same way, over and over;
// a run that leaves the start area is called back by RESTART.
void updateGameWalkingAndJumping(benchmark::State& state) {
    if (!startShippedWorld()) {
        state.SkipWithError("no shipped world");
        return;
    }
    uint8_t keys[REPLAY_KEYS] = {};
    screen.keyState = keys;
    int64_t frame = 0;
    for (auto _ : state) {
        int phase = static_cast<int>(frame % 560);
        keys[SDL_SCANCODE_RIGHT] = phase < 280;
        keys[SDL_SCANCODE_LEFT] = phase >= 280;
        keys[SDL_SCANCODE_SPACE] = phase % 35 < 3;
        updateGame();
        if (++frame % 20000 == 0) resetToStart();
    }
    benchmark::DoNotOptimize(player.x);
    state.counters["jumps"] = game.jumpCount;
    screen.keyState = nullptr;
}
BENCHMARK(updateGameWalkingAndJumping)->Unit(benchmark::kNanosecond);

void loadZoneOfTheShippedWorld(benchmark::State& state) {
    if (!startShippedWorld()) {
        state.SkipWithError("no shipped world");
        return;
    }
    loadZonesInTurn(state, 1);
    state.counters["zones"] = static_cast<double>(world.zones.size());
}
BENCHMARK(loadZoneOfTheShippedWorld)->Unit(benchmark::kMicrosecond);

// A square of zones, each with a floor, a spike and its direction line, and a start block.
std::string generatedWorld(int zones) {
    int side = 1;
    while (side * side < zones) ++side;
    std::string text = "start:\n0\n0\n0\n0\n1\n1\n\n";
    for (int i = 0; i < zones; ++i) {
        text += "zone:" + std::to_string(i % side) + "," + std::to_string(i / side) + "\n";
        text += std::string(10, '\n') + "  ^\nwwwwwwwwwwwwwwww\ndir:2,1,up\n\n";
    }
    return text;
}

// Start-up's share of a huge world: splitting it into lines and indexing its zones.
void readWorldOfZones(benchmark::State& state) {
    const std::string text = generatedWorld(static_cast<int>(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(loadWorldText(text));
    state.counters["MB"] = static_cast<double>(text.size()) / 1e6;
}
BENCHMARK(readWorldOfZones)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

// A zone change costs the same whatever the size of the world: zones picked all over it.
void loadZoneOfWorldOfZones(benchmark::State& state) {
    resetWorldState();
    resetGameState();
    loadWorldText(generatedWorld(static_cast<int>(state.range(0))));
    loadZonesInTurn(state, 7919);
    resetWorldState();
}
BENCHMARK(loadZoneOfWorldOfZones)->Arg(30)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMicrosecond);

}  // namespace
