#include "tools/world/search.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <iterator>
#include <map>
#include <queue>
#include <sstream>
#include <set>
#include <unordered_map>
#include <unordered_set>

#include "gameplay/replay.h"
#include "world/world.h"

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

// Two states closer than this play alike, near enough for a route.
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

struct Node {
    GameSnapshot state;
    int32_t parent;
    RouteStep step;      // keys held to get here
    int32_t deadFrames;  // then frames without keys until the respawn
    long cost;           // frames from the stage start
};

struct Target {
    double x, y;  // world pixels
};

double worldX(int32_t zoneX, float x) { return zoneX * 640.0 + x; }
double worldY(int32_t zoneY, float y) { return zoneY * 480.0 + y; }

bool isStarTaken(const GameSnapshot& s, const RouteStar& star) {
    int32_t id = tileIdentity(star.zoneX, star.zoneY, star.column, star.row);
    for (int i = 0; i < std::min(s.progress.collectedStarCount, 10); ++i)
        if (s.progress.collectedStars[i] == id) return true;
    return false;
}

}  // namespace

bool goalMet(const RouteGoal& goal, const GameSnapshot& start, const GameSnapshot& s) {
    switch (goal.kind) {
    case GoalKind::AnyStar:
        return s.progress.collectedStarCount > start.progress.collectedStarCount;
    case GoalKind::Star:
        for (int i = start.progress.collectedStarCount; i < std::min(s.progress.collectedStarCount, 10); ++i) {
            int32_t id = s.progress.collectedStars[i];
            int32_t zx = (id >> 24) & 0xff, zy = (id >> 16) & 0xff, c = (id >> 8) & 0xff, r = id & 0xff;
            if (zx == goal.zoneX && zy == goal.zoneY && (goal.column < 0 || (c == goal.column && r == goal.row)))
                return true;
        }
        return false;
    case GoalKind::Checkpoint:
        if (s.progress.checkpointZoneX != goal.zoneX || s.progress.checkpointZoneY != goal.zoneY) return false;
        if (s.progress.checkpointIdentity == start.progress.checkpointIdentity) return false;
        return goal.column < 0 || s.progress.checkpointIdentity == tileIdentity(goal.zoneX, goal.zoneY, goal.column, goal.row);
    case GoalKind::Zone:
        return s.progress.currentZoneX == goal.zoneX && s.progress.currentZoneY == goal.zoneY && !s.game.playerDead &&
               !(s.player.flags & PLAYER_AIRBORNE);
    }
    return false;
}

namespace {

std::vector<Target> targetsFor(const RouteGoal& goal, const GameSnapshot& start, const std::vector<RouteStar>& stars) {
    std::vector<Target> targets;
    for (const RouteStar& star : stars) {
        if (isStarTaken(start, star)) continue;
        bool wanted = goal.kind == GoalKind::AnyStar ||
                      (goal.kind == GoalKind::Star && star.zoneX == goal.zoneX && star.zoneY == goal.zoneY &&
                       (goal.column < 0 || (star.column == goal.column && star.row == goal.row)));
        if (wanted) targets.push_back({worldX(star.zoneX, star.column * 40.0f + 4), worldY(star.zoneY, star.row * 40.0f + 4)});
    }
    if (goal.kind == GoalKind::Checkpoint || goal.kind == GoalKind::Zone) {
        float column = goal.column < 0 ? 7.5f : static_cast<float>(goal.column);
        float row = goal.row < 0 ? 1.0f : static_cast<float>(goal.row);
        targets.push_back({worldX(goal.zoneX, column * 40.0f + 4), worldY(goal.zoneY, row * 40.0f + 4)});
    }
    return targets;
}

// Frames still needed at the least, roughly: walking across, falling or jumping up and down.
double estimate(const std::vector<Target>& targets, const GameSnapshot& s) {
    if (targets.empty()) return 0.0;
    double x = worldX(s.progress.currentZoneX, s.player.x), y = worldY(s.progress.currentZoneY, s.player.y);
    double best = 1e30;
    for (const Target& t : targets) best = std::min(best, std::fabs(t.x - x) / 3.0 + std::fabs(t.y - y) / 8.0);
    return best;
}

struct Action {
    uint8_t keys;
    int32_t frames;
};
const Action ACTIONS[] = {
    {ROUTE_RIGHT, 4}, {ROUTE_LEFT, 4}, {0, 4}, {ROUTE_JUMP, 4}, {ROUTE_RIGHT | ROUTE_JUMP, 4},
    {ROUTE_LEFT | ROUTE_JUMP, 4}, {ROUTE_RIGHT, 1}, {ROUTE_LEFT, 1}, {0, 1},
};

// Moves a player's hands can repeat, for --robust: walks of a few frames, and jumps whose keys stay
// held until the landing, then a few frames of standing, so a line a frame longer or shorter still
// lands the same way and the next press is a fresh one. Frames 0: until landed; -1: into a wall and
// on against it for a few frames, which lines the player up whatever came before.
constexpr int32_t ROUTE_SETTLE_FRAMES = 6;
constexpr int32_t ROUTE_FLIGHT_LIMIT = 300;
constexpr int32_t ROUTE_PUSH_FRAMES = 8;  // against a wall, after it stops the player
constexpr float ROUTE_TAKEOFF_SLACK = 3.0f;  // px: a frame of walking either way
constexpr long ROUTE_JUMP_COST = 20;          // frames a robust search pays for a jump besides its flight
struct Phase {
    uint8_t keys;
    int32_t frames;
};
struct Move {
    Phase phases[2];
    int32_t count;
};
constexpr uint8_t ROUTE_RIGHT_JUMP = ROUTE_RIGHT | ROUTE_JUMP, ROUTE_LEFT_JUMP = ROUTE_LEFT | ROUTE_JUMP;
const Move ROBUST_MOVES[] = {
    // Walks; jumps sideways and straight up; walks into a wall; jumps straight up, then steered;
    // jumps steered, then let fall straight. The order is the order the search tries them in.
    {{{ROUTE_RIGHT, 4}}, 1}, {{{ROUTE_LEFT, 4}}, 1}, {{{0, 4}}, 1},
    {{{ROUTE_RIGHT, 16}}, 1}, {{{ROUTE_LEFT, 16}}, 1},
    {{{ROUTE_RIGHT, 40}}, 1}, {{{ROUTE_LEFT, 40}}, 1},
    {{{ROUTE_RIGHT_JUMP, 0}}, 1}, {{{ROUTE_LEFT_JUMP, 0}}, 1}, {{{ROUTE_JUMP, 0}}, 1},
    {{{ROUTE_RIGHT, -1}}, 1}, {{{ROUTE_LEFT, -1}}, 1},
    {{{ROUTE_JUMP, 8}, {ROUTE_RIGHT_JUMP, 0}}, 2}, {{{ROUTE_JUMP, 8}, {ROUTE_LEFT_JUMP, 0}}, 2},
    {{{ROUTE_JUMP, 16}, {ROUTE_RIGHT_JUMP, 0}}, 2}, {{{ROUTE_JUMP, 16}, {ROUTE_LEFT_JUMP, 0}}, 2},
    {{{ROUTE_RIGHT_JUMP, 10}, {ROUTE_JUMP, 0}}, 2}, {{{ROUTE_LEFT_JUMP, 10}, {ROUTE_JUMP, 0}}, 2},
};

}  // namespace

GameSnapshot saveGame() {
    GameSnapshot s;
    std::memset(&s, 0, sizeof s);
    s.player = player;
    s.game = game;
    s.movement = movement;
    s.hazards = hazards;
    s.flow = flow;
    s.sound = sound;
    s.progress = progress;
    s.keys = 0;
    if (replay.keys[SDL_SCANCODE_LEFT]) s.keys |= ROUTE_LEFT;
    if (replay.keys[SDL_SCANCODE_RIGHT]) s.keys |= ROUTE_RIGHT;
    if (replay.keys[SDL_SCANCODE_SPACE]) s.keys |= ROUTE_JUMP;
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
    if (s.keys & ROUTE_LEFT) replay.keys[SDL_SCANCODE_LEFT] = 1;
    if (s.keys & ROUTE_RIGHT) replay.keys[SDL_SCANCODE_RIGHT] = 1;
    if (s.keys & ROUTE_JUMP) replay.keys[SDL_SCANCODE_SPACE] = 1;
    replay.pauseWasPressed = s.pauseWasPressed;
}

void stepGame(uint8_t keys) {
    // Only these three entries ever change, so the array is not cleared each frame.
    static uint8_t held[REPLAY_KEYS] = {};
    held[SDL_SCANCODE_LEFT] = (keys & ROUTE_LEFT) ? 1 : 0;
    held[SDL_SCANCODE_RIGHT] = (keys & ROUTE_RIGHT) ? 1 : 0;
    held[SDL_SCANCODE_SPACE] = (keys & ROUTE_JUMP) ? 1 : 0;
    runHeadlessFrame(held);
    ++framesSinceTiles;
}

std::string keyLetters(uint8_t keys) {
    std::string letters;
    if (keys & ROUTE_LEFT) letters += 'L';
    if (keys & ROUTE_RIGHT) letters += 'R';
    if (keys & ROUTE_JUMP) letters += 'J';
    return letters.empty() ? "-" : letters;
}

namespace {

// Tiles holding this character in the blocks the game would load, in file order.
std::vector<RouteStar> findTiles(char wanted) {
    std::vector<RouteStar> stars;
    for (const WorldZone& zone : world.zones) {
        for (int row = 0; row < ZONE_ROWS; ++row) {
            uint32_t characters[ZONE_COLUMNS];
            readRowLine(zoneRowLine(zone, row), characters);
            for (int column = 0; column < ZONE_COLUMNS; ++column)
                if (characters[column] == static_cast<uint32_t>(wanted)) stars.push_back({zone.x, zone.y, column, row});
        }
    }
    return stars;
}

}  // namespace

std::vector<RouteStar> findStars() { return findTiles('$'); }
std::vector<RouteStar> findCheckpoints() { return findTiles('@'); }

bool parseGoal(const std::string& line, RouteGoal& goal) {
    std::istringstream in(line);
    std::string word;
    if (!(in >> word)) return false;
    RouteGoal parsed;
    parsed.text = line;
    if (word == "star") {
        parsed.kind = GoalKind::Star;
    } else if (word == "checkpoint") {
        parsed.kind = GoalKind::Checkpoint;
    } else if (word == "zone") {
        parsed.kind = GoalKind::Zone;
    } else if (word == "any") {
        while (in >> word)
            if (word != "keep") return false;
            else parsed.keepCheckpoint = true;
        goal = parsed;
        return true;
    } else {
        return false;
    }
    if (!(in >> parsed.zoneX >> parsed.zoneY)) return false;
    std::vector<std::string> rest;
    while (in >> word) rest.push_back(word);
    if (!rest.empty() && rest.back() == "keep") {
        parsed.keepCheckpoint = true;
        rest.pop_back();
    }
    if (rest.size() == 2 && parsed.kind != GoalKind::Zone) {
        char* end = nullptr;
        parsed.column = static_cast<int32_t>(std::strtol(rest[0].c_str(), &end, 10));
        if (*end) return false;
        parsed.row = static_cast<int32_t>(std::strtol(rest[1].c_str(), &end, 10));
        if (*end) return false;
    } else if (!rest.empty()) {
        return false;
    }
    goal = parsed;
    return true;
}

namespace {

// Plays a move from the current state; the keys of each line it makes go to `phases`.
void playMove(const Move& move, bool robust, std::vector<RouteStep>& phases) {
    for (int32_t p = 0; p < move.count && !game.playerDead; ++p) {
        const Phase& phase = move.phases[p];
        int32_t held = 0, pushed = 0;
        while (!game.playerDead && held < ROUTE_FLIGHT_LIMIT &&
               (phase.frames > 0    ? held < phase.frames
                : phase.frames == 0 ? held < 2 || (player.flags & PLAYER_AIRBORNE)
                                    : pushed < ROUTE_PUSH_FRAMES)) {
            float x = player.x;
            stepGame(phase.keys);
            ++held;
            pushed = std::fabs(player.x - x) < 0.01f && !(player.flags & PLAYER_AIRBORNE) ? pushed + 1 : 0;
        }
        phases.push_back({phase.keys, held});
    }
    if (robust && move.phases[move.count - 1].frames == 0) {
        // Standing with the jump key let go, so the next press is a fresh one.
        uint8_t settle = static_cast<uint8_t>(move.phases[move.count - 1].keys & ~ROUTE_JUMP);
        int32_t held = 0;
        while (!game.playerDead && held < ROUTE_SETTLE_FRAMES) {
            stepGame(settle);
            ++held;
        }
        phases.push_back({settle, held});
    }
}

// A move a hand can repeat: started a frame or two of walking earlier or later (unless a wall
// stands there, which lines the player up), it still ends alive, at the same height in the same zone.
bool landsAlike(const GameSnapshot& from, const Move& move, const GameSnapshot& landed) {
    for (float dx : {-ROUTE_TAKEOFF_SLACK, ROUTE_TAKEOFF_SLACK, -2 * ROUTE_TAKEOFF_SLACK, 2 * ROUTE_TAKEOFF_SLACK}) {
        restoreGame(from);
        if (boxHitsWall(player.x + dx, player.y, player.width, player.height)) continue;
        player.x += dx;
        std::vector<RouteStep> phases;
        playMove(move, true, phases);
        bool airborne = player.flags & PLAYER_AIRBORNE;
        if (game.playerDead || airborne != static_cast<bool>(landed.player.flags & PLAYER_AIRBORNE) ||
            progress.currentZoneX != landed.progress.currentZoneX || progress.currentZoneY != landed.progress.currentZoneY ||
            std::fabs(player.y - landed.player.y) > (airborne ? 8.0f : 1.0f) ||
            progress.checkpointIdentity != landed.progress.checkpointIdentity ||
            progress.collectedStarCount != landed.progress.collectedStarCount)
            return false;
    }
    restoreGame(landed);
    return true;
}

}  // namespace

StageResult searchStage(const RouteGoal& goal, const std::vector<RouteStar>& stars, const SearchOptions& options) {
    StageResult result;
    GameSnapshot start = saveGame();
    std::vector<Target> targets = targetsFor(goal, start, stars);

    std::vector<Node> nodes;
    nodes.reserve(1 << 16);
    nodes.push_back({start, -1, {0, 0}, 0, 0});
    std::unordered_set<uint64_t> seen;
    seen.insert(stateHash(start));
    using Entry = std::pair<double, int32_t>;
    std::priority_queue<Entry, std::vector<Entry>, std::greater<Entry>> open;
    open.push({options.weight * estimate(targets, start), 0});

    int32_t goalNode = -1;
    while (!open.empty() && goalNode < 0 && static_cast<long>(nodes.size()) < options.maxNodes) {
        int32_t index = open.top().second;
        open.pop();
        const GameSnapshot& from = nodes[index].state;
        // Past the grace frames a jump key in the air only delays the next jump.
        bool flying = (from.player.flags & PLAYER_AIRBORNE) && from.movement.airFrames >= 3;
        size_t moves = options.robust ? std::size(ROBUST_MOVES) : std::size(ACTIONS);
        for (size_t m = 0; m < moves; ++m) {
            Move move = options.robust ? ROBUST_MOVES[m] : Move{{{ACTIONS[m].keys, ACTIONS[m].frames}}, 1};
            if (flying && (move.phases[0].keys & ROUTE_JUMP)) continue;
            restoreGame(nodes[index].state);
            std::vector<RouteStep> phases;
            playMove(move, options.robust, phases);
            if (options.noDeaths && game.playerDead) continue;
            int32_t deadFrames = 0;
            while (game.playerDead && deadFrames < 1000) {
                stepGame(0);
                ++deadFrames;
            }
            GameSnapshot next = saveGame();
            if (options.robust && !landsAlike(nodes[index].state, move, next))
                continue;
            if (goal.keepCheckpoint &&
                (next.progress.checkpointZoneX != start.progress.checkpointZoneX || next.progress.checkpointZoneY != start.progress.checkpointZoneY))
                continue;
            if (!seen.insert(stateHash(next)).second) continue;
            long cost = nodes[index].cost + deadFrames;
            int32_t parent = index;
            for (size_t p = 0; p + 1 < phases.size(); ++p) {
                // Earlier phases ride along as nodes of their own that the search never opens.
                cost += phases[p].frames;
                nodes.push_back({next, parent, phases[p], 0, cost});
                parent = static_cast<int32_t>(nodes.size() - 1);
            }
            cost += phases.back().frames;
            // Each jump is a chance to miss: a robust route walks where walking will do.
            if (options.robust && (move.phases[0].keys & ROUTE_JUMP)) cost += ROUTE_JUMP_COST;
            nodes.push_back({next, parent, phases.back(), deadFrames, cost});
            int32_t child = static_cast<int32_t>(nodes.size() - 1);
            // Without deaths a stage ends standing, so the next one never starts in a fatal fall.
            bool settled = !options.noDeaths || !(next.player.flags & PLAYER_AIRBORNE);
            if (settled && goalMet(goal, start, next)) {
                goalNode = child;
                break;
            }
            open.push({cost + options.weight * estimate(targets, next), child});
        }
    }
    result.nodes = static_cast<long>(nodes.size());
    if (goalNode < 0) {
        restoreGame(start);
        return result;
    }
    std::vector<RouteStep> reversed;
    for (int32_t n = goalNode; nodes[n].parent >= 0; n = nodes[n].parent) {
        if (nodes[n].deadFrames > 0) reversed.push_back({0, nodes[n].deadFrames});
        reversed.push_back(nodes[n].step);
    }
    for (auto it = reversed.rbegin(); it != reversed.rend(); ++it) {
        if (!result.steps.empty() && result.steps.back().keys == it->keys)
            result.steps.back().frames += it->frames;
        else
            result.steps.push_back(*it);
        result.frames += it->frames;
    }
    restoreGame(nodes[goalNode].state);
    result.found = true;
    return result;
}

namespace {

// State hashes to node numbers, open addressing: a node-based map spends most of a proof on its nodes.
// Key and node share a slot, so a probe costs one cache miss.
struct StateSlot {
    uint64_t key;
    int32_t node;  // -1: empty
};
struct StateIndex {
    std::vector<StateSlot> slots;
    size_t used = 0;
};

void growIndex(StateIndex& index) {
    size_t size = index.slots.empty() ? size_t(1) << 16 : index.slots.size() * 2;
    std::vector<StateSlot> bigger(size, StateSlot{0, -1});
    for (const StateSlot& slot : index.slots) {
        if (slot.node < 0) continue;
        size_t at = slot.key & (size - 1);
        while (bigger[at].node >= 0) at = (at + 1) & (size - 1);
        bigger[at] = slot;
    }
    index.slots.swap(bigger);
}

// The node already under this hash, or `fresh` put there; `added` tells which.
int32_t findOrAdd(StateIndex& index, uint64_t key, int32_t fresh, bool& added) {
    if ((index.used + 1) * 2 > index.slots.size()) growIndex(index);
    size_t mask = index.slots.size() - 1;
    size_t at = key & mask;
    while (index.slots[at].node >= 0) {
        if (index.slots[at].key == key) {
            added = false;
            return index.slots[at].node;
        }
        at = (at + 1) & mask;
    }
    index.slots[at] = {key, fresh};
    ++index.used;
    added = true;
    return fresh;
}

// What one action did: a way out (a death or another checkpoint), or the state it left.
struct Outcome {
    bool out = false;
    GameSnapshot state;
};

}  // namespace

SoftLockResult findSoftLocks(const RouteStar& checkpoint, const std::vector<RouteStar>& stars, long maxNodes) {
    SoftLockResult result;
    // Each proof from fresh records, not from whatever the last step of the one before left held.
    startHeadlessGame();
    resetToStart();
    progress.collectedStarCount = 0;
    for (const RouteStar& star : stars) {
        if (progress.collectedStarCount >= WORLD_STAR_SLOTS) break;
        progress.collectedStars[progress.collectedStarCount++] =
            tileIdentity(star.zoneX, star.zoneY, star.column, star.row);
    }
    progress.checkpointZoneX = checkpoint.zoneX;
    progress.checkpointZoneY = checkpoint.zoneY;
    progress.checkpointIdentity = tileIdentity(checkpoint.zoneX, checkpoint.zoneY, checkpoint.column, checkpoint.row);
    loadZone(checkpoint.zoneX, checkpoint.zoneY);
    respawnAtCheckpoint();
    game.fadeTimer = 0;
    GameSnapshot start = saveGame();

    // Nodes are numbered as they are found and expanded in that order, so the edges of node n are
    // edges[edgeStart[n] .. edgeStart[n + 1]); -1 stands for a way out.
    std::vector<int32_t> edges;
    std::vector<int64_t> edgeStart;
    std::deque<GameSnapshot> frontier = {start};
    StateIndex index;
    bool added = false;
    findOrAdd(index, stateHash(start), 0, added);
    int32_t count = 1;
    std::vector<std::pair<int32_t, int32_t>> nodeZone = {{start.progress.currentZoneX, start.progress.currentZoneY}};
    std::vector<std::pair<float, float>> nodeAt = {{start.player.x, start.player.y}};

    // Only the star tiles the player's middle passes matter; it stays in one tile for many frames.
    std::vector<int32_t> starTiles;
    for (const RouteStar& star : stars) starTiles.push_back(tileIdentity(star.zoneX, star.zoneY, star.column, star.row));
    std::vector<char> starReached(starTiles.size(), 0);
    int32_t lastTile = -1;
    auto step = [&](uint8_t keys) {
        stepGame(keys);
        int32_t column = static_cast<int32_t>(std::floor((player.x + player.width * 0.5f) / 40.0f));
        int32_t row = static_cast<int32_t>(std::floor((player.y + player.height * 0.5f) / 40.0f));
        if (game.playerDead || column < 0 || column >= ZONE_COLUMNS || row < 0 || row >= ZONE_ROWS) return;
        int32_t tile = tileIdentity(progress.currentZoneX, progress.currentZoneY, column, row);
        if (tile == lastTile) return;
        lastTile = tile;
        for (size_t i = 0; i < starTiles.size(); ++i)
            if (starTiles[i] == tile) starReached[i] = 1;
    };
    auto finish = [&](Outcome& outcome) {
        if (!game.playerDead && progress.checkpointIdentity != start.progress.checkpointIdentity) result.otherCheckpoint = true;
        outcome.out = game.playerDead || progress.checkpointIdentity != start.progress.checkpointIdentity;
        if (!outcome.out) outcome.state = saveGame();
    };

    Outcome outcomes[std::size(ACTIONS)];
    while (!frontier.empty()) {
        if (static_cast<long>(count) >= maxNodes) {
            result.complete = false;
            break;
        }
        GameSnapshot from = frontier.front();
        frontier.pop_front();
        edgeStart.push_back(static_cast<int64_t>(edges.size()));
        bool flying = (from.player.flags & PLAYER_AIRBORNE) && from.movement.airFrames >= 3;
        // A one-frame action is the first frame of the four-frame one with the same keys: play both at once.
        for (size_t a = 0; a < std::size(ACTIONS); ++a) {
            const Action& action = ACTIONS[a];
            if (action.frames == 1 || (flying && (action.keys & ROUTE_JUMP))) continue;
            size_t single = std::size(ACTIONS);
            for (size_t b = 0; b < std::size(ACTIONS); ++b)
                if (ACTIONS[b].frames == 1 && ACTIONS[b].keys == action.keys) single = b;
            restoreGame(from);
            for (int32_t f = 0; f < action.frames && !game.playerDead; ++f) {
                step(action.keys);
                if (f == 0 && single < std::size(ACTIONS)) finish(outcomes[single]);
            }
            finish(outcomes[a]);
        }
        // The table is far larger than the caches: ask for every slot before looking at any.
        uint64_t hashes[std::size(ACTIONS)];
        for (size_t a = 0; a < std::size(ACTIONS); ++a) {
            if ((flying && (ACTIONS[a].keys & ROUTE_JUMP)) || outcomes[a].out) continue;
            hashes[a] = stateHash(outcomes[a].state);
            if (!index.slots.empty()) __builtin_prefetch(&index.slots[hashes[a] & (index.slots.size() - 1)]);
        }
        for (size_t a = 0; a < std::size(ACTIONS); ++a) {
            if (flying && (ACTIONS[a].keys & ROUTE_JUMP)) continue;
            if (outcomes[a].out) {
                edges.push_back(-1);
                continue;
            }
            const GameSnapshot& next = outcomes[a].state;
            int32_t node = findOrAdd(index, hashes[a], count, added);
            if (added) {
                ++count;
                nodeZone.push_back({next.progress.currentZoneX, next.progress.currentZoneY});
                nodeAt.push_back({next.player.x, next.player.y});
                frontier.push_back(next);
            }
            edges.push_back(node);
        }
    }
    int32_t expanded = static_cast<int32_t>(edgeStart.size());
    edgeStart.push_back(static_cast<int64_t>(edges.size()));
    result.states = count;
    for (size_t i = 0; i < stars.size(); ++i)
        if (starReached[i]) result.starsInReach.push_back(stars[i]);

    // Backwards from every way out; states never expanded count as free, being unknown.
    std::vector<int64_t> parentStart(static_cast<size_t>(count) + 1, 0);
    for (int32_t child : edges)
        if (child >= 0) ++parentStart[static_cast<size_t>(child) + 1];
    for (size_t n = 0; n < static_cast<size_t>(count); ++n) parentStart[n + 1] += parentStart[n];
    std::vector<int32_t> parents(static_cast<size_t>(parentStart.back()));
    std::vector<int64_t> filled(parentStart.begin(), parentStart.end() - 1);
    std::vector<char> free(static_cast<size_t>(count), 0);
    std::vector<int32_t> work;
    for (int32_t n = 0; n < count; ++n) {
        if (n >= expanded) {
            free[n] = 1;
            work.push_back(n);
            continue;
        }
        for (int64_t e = edgeStart[n]; e < edgeStart[n + 1]; ++e) {
            int32_t child = edges[static_cast<size_t>(e)];
            if (child >= 0) {
                parents[static_cast<size_t>(filled[child]++)] = n;
            } else if (!free[n]) {
                free[n] = 1;
                work.push_back(n);
            }
        }
    }
    while (!work.empty()) {
        int32_t n = work.back();
        work.pop_back();
        for (int64_t p = parentStart[n]; p < parentStart[n + 1]; ++p) {
            int32_t parent = parents[static_cast<size_t>(p)];
            if (!free[parent]) {
                free[parent] = 1;
                work.push_back(parent);
            }
        }
    }
    std::set<std::pair<int32_t, int32_t>> reported;
    for (int32_t n = 0; n < count; ++n) {
        if (free[n]) continue;
        ++result.stuck;
        if (reported.insert(nodeZone[n]).second) {
            GameSnapshot sample = start;
            sample.progress.currentZoneX = nodeZone[n].first;
            sample.progress.currentZoneY = nodeZone[n].second;
            sample.player.x = nodeAt[n].first;
            sample.player.y = nodeAt[n].second;
            result.samples.push_back(sample);
        }
    }
    return result;
}
