#include "tools/world/snapshot.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <vector>

namespace {

struct TileArrays {
    int32_t flags[ZONE_TILES];
    int32_t direction[ZONE_TILES];
};

// Zone grids as loadZone builds them, by zone, checkpoint and stars taken.
std::map<std::vector<int32_t>, TileArrays> tileCache;

std::vector<int32_t> tileKey(const GameSnapshot& s) {
    std::vector<int32_t> key = {s.progress.currentZoneX, s.progress.currentZoneY, s.progress.checkpointIdentity, s.progress.collectedStarCount};
    key.insert(key.end(), s.progress.collectedStars, s.progress.collectedStars + std::min(s.progress.collectedStarCount, 10));
    return key;
}

// The map lookup builds a key and walks a tree; a restore happens before every step of a search, so
// recent grids are found first in a small table by zone, checkpoint and star count.
struct RecentTiles {
    const TileArrays* tiles = nullptr;
    const std::vector<int32_t>* key = nullptr;  // the map's own key
};
RecentTiles recentTiles[256];

bool isTileKey(const std::vector<int32_t>& key, const GameSnapshot& s) {
    size_t stars = static_cast<size_t>(std::clamp(s.progress.collectedStarCount, 0, 10));
    if (key.size() != 4 + stars || key[0] != s.progress.currentZoneX || key[1] != s.progress.currentZoneY ||
        key[2] != s.progress.checkpointIdentity || key[3] != s.progress.collectedStarCount)
        return false;
    return std::equal(key.begin() + 4, key.end(), s.progress.collectedStars);
}

// Frames stepped since the grid was last restored. The game writes the grid only when it builds a zone
// (the same grid for the same zone, checkpoint and stars), takes a star (one more star) or makes a
// lantern the checkpoint (another checkpoint): so a few frames later, with the same zone, checkpoint
// and stars, the grid in place is still the one to restore. A grid differing under the same key
// takes leaving a zone and coming back between two lanterns, far more than this many frames.
constexpr long TILES_KEPT_FRAMES = 4;
long framesSinceTiles = TILES_KEPT_FRAMES + 1;

bool isWorldAt(const GameSnapshot& s) {
    return progress.currentZoneX == s.progress.currentZoneX && progress.currentZoneY == s.progress.currentZoneY &&
           progress.checkpointIdentity == s.progress.checkpointIdentity && progress.collectedStarCount == s.progress.collectedStarCount &&
           std::equal(s.progress.collectedStars, s.progress.collectedStars + std::clamp(s.progress.collectedStarCount, 0, 10),
                      progress.collectedStars);
}

void restoreTiles(const GameSnapshot& s) {
    uint32_t slot = (static_cast<uint32_t>(s.progress.currentZoneX) * 31u + static_cast<uint32_t>(s.progress.currentZoneY) * 977u +
                     static_cast<uint32_t>(s.progress.checkpointIdentity) * 7u + static_cast<uint32_t>(s.progress.collectedStarCount)) &
                    255u;
    RecentTiles& recent = recentTiles[slot];
    if (!recent.tiles || !isTileKey(*recent.key, s)) {
        std::vector<int32_t> key = tileKey(s);
        auto found = tileCache.find(key);
        if (found == tileCache.end()) {
            loadZone(s.progress.currentZoneX, s.progress.currentZoneY);
            TileArrays tiles;
            std::memcpy(tiles.flags, room.tileFlags, sizeof tiles.flags);
            std::memcpy(tiles.direction, room.tileDirection, sizeof tiles.direction);
            found = tileCache.emplace(key, tiles).first;
        }
        recent.tiles = &found->second;
        recent.key = &found->first;
    }
    std::memcpy(room.tileFlags, recent.tiles->flags, sizeof room.tileFlags);
    std::memcpy(room.tileDirection, recent.tiles->direction, sizeof room.tileDirection);
}

uint64_t mix(uint64_t h, int64_t v) {
    h ^= static_cast<uint64_t>(v) + 0x9e3779b97f4a7c15ull + (h << 6) + (h >> 2);
    h *= 0xbf58476d1ce4e5b9ull;
    return h ^ (h >> 31);
}

}  // namespace

uint64_t stateHash(const GameSnapshot& s) {
    uint64_t h = 1469598103934665603ull;
    h = mix(h, s.progress.currentZoneX);
    h = mix(h, s.progress.currentZoneY);
    h = mix(h, static_cast<int64_t>(std::floor(s.player.x / 4.0f)));
    h = mix(h, static_cast<int64_t>(std::floor(s.player.y / 4.0f)));
    h = mix(h, std::lround(s.player.vx));
    h = mix(h, std::lround(s.player.vy * 0.5f));
    h = mix(h, s.player.flags);
    h = mix(h, s.movement.jumpHeld);
    h = mix(h, std::min(s.movement.airFrames, 3));
    h = mix(h, s.progress.checkpointIdentity);
    h = mix(h, s.progress.collectedStarCount);
    h = mix(h, s.game.gameComplete);
    return h;
}

GameSnapshot saveGame() {
    GameSnapshot s{};
    s.player = player;
    s.game = game;
    s.movement = movement;
    s.hazards = hazards;
    s.flow = flow;
    s.sound = sound;
    s.progress = progress;
    s.keys = 0;
    if (replay.keys[SDL_SCANCODE_LEFT]) s.keys |= REPLAY_LEFT;
    if (replay.keys[SDL_SCANCODE_RIGHT]) s.keys |= REPLAY_RIGHT;
    if (replay.keys[SDL_SCANCODE_SPACE]) s.keys |= REPLAY_JUMP;
    s.pauseWasPressed = replay.pauseWasPressed;
    return s;
}

void restoreGame(const GameSnapshot& s) {
    bool keepTiles = framesSinceTiles <= TILES_KEPT_FRAMES && isWorldAt(s);
    player = s.player;
    game = s.game;
    movement = s.movement;
    hazards = s.hazards;
    flow = s.flow;
    sound = s.sound;
    // The room is rebuilt for the zone, checkpoint and stars of the saved progress.
    progress = s.progress;
    if (!keepTiles) restoreTiles(s);
    framesSinceTiles = 0;
    progress = s.progress;  // loadZone recomputes the distance; the saved one stands
    std::memset(replay.keys, 0, sizeof replay.keys);
    if (s.keys & REPLAY_LEFT) replay.keys[SDL_SCANCODE_LEFT] = 1;
    if (s.keys & REPLAY_RIGHT) replay.keys[SDL_SCANCODE_RIGHT] = 1;
    if (s.keys & REPLAY_JUMP) replay.keys[SDL_SCANCODE_SPACE] = 1;
    replay.pauseWasPressed = s.pauseWasPressed;
}

void stepGame(uint16_t keys) {
    constexpr uint16_t WALK_AND_JUMP = REPLAY_LEFT | REPLAY_RIGHT | REPLAY_JUMP;
    // The search holds only these three, so the array is not cleared each frame; only a script asks for more.
    static uint8_t held[REPLAY_KEYS] = {};
    static bool others = false;
    if ((keys & ~WALK_AND_JUMP) || others) {
        heldKeys(keys, held);
        others = (keys & ~WALK_AND_JUMP) != 0;
    } else {
        held[SDL_SCANCODE_LEFT] = (keys & REPLAY_LEFT) ? 1 : 0;
        held[SDL_SCANCODE_RIGHT] = (keys & REPLAY_RIGHT) ? 1 : 0;
        held[SDL_SCANCODE_SPACE] = (keys & REPLAY_JUMP) ? 1 : 0;
    }
    runHeadlessFrame(held);
    ++framesSinceTiles;
}

