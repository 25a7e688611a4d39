#include "tools/world/search.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <iterator>
#include <queue>
#include <unordered_set>
#include <utility>

namespace {

struct Node {
    GameSnapshot state;
    int32_t parent;
    ScriptStep step;      // keys held to get here
    int32_t deadFrames;  // then frames without keys until the respawn
    long cost;           // frames from the stage start
};

struct Target {
    double x, y;  // world pixels
};

double worldX(int32_t zoneX, float x) { return zoneX * double(ZONE_WIDTH) + x; }
double worldY(int32_t zoneY, float y) { return zoneY * double(ZONE_HEIGHT) + y; }

bool isStarTaken(const GameSnapshot& s, const TilePlace& star) {
    return hasCollectedStar(s.progress, tileIdentity(star.zoneX, star.zoneY, star.column, star.row));
}

std::vector<Target> targetsFor(const RouteGoal& goal, const GameSnapshot& start, const std::vector<TilePlace>& stars) {
    std::vector<Target> targets;
    for (const TilePlace& star : stars) {
        if (isStarTaken(start, star)) continue;
        bool wanted = goal.kind == GoalKind::AnyStar ||
                      (goal.kind == GoalKind::Star && star.zoneX == goal.zoneX && star.zoneY == goal.zoneY &&
                       (goal.column < 0 || (star.column == goal.column && star.row == goal.row)));
        if (wanted) targets.push_back({worldX(star.zoneX, star.column * float(TILE_SIZE) + 4), worldY(star.zoneY, star.row * float(TILE_SIZE) + 4)});
    }
    if (goal.kind == GoalKind::Checkpoint || goal.kind == GoalKind::Zone) {
        float column = goal.column < 0 ? 7.5f : static_cast<float>(goal.column);
        float row = goal.row < 0 ? 1.0f : static_cast<float>(goal.row);
        targets.push_back({worldX(goal.zoneX, column * float(TILE_SIZE) + 4), worldY(goal.zoneY, row * float(TILE_SIZE) + 4)});
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
    uint16_t keys;
    int32_t frames;
};
struct Move {
    Phase phases[2];
    int32_t count;
};
constexpr uint16_t ROUTE_RIGHT_JUMP = REPLAY_RIGHT | REPLAY_JUMP, ROUTE_LEFT_JUMP = REPLAY_LEFT | REPLAY_JUMP;
const Move ROBUST_MOVES[] = {
    // Walks; jumps sideways and straight up; walks into a wall; jumps straight up, then steered;
    // jumps steered, then let fall straight. The order is the order the search tries them in.
    {{{REPLAY_RIGHT, 4}}, 1}, {{{REPLAY_LEFT, 4}}, 1}, {{{0, 4}}, 1},
    {{{REPLAY_RIGHT, 16}}, 1}, {{{REPLAY_LEFT, 16}}, 1},
    {{{REPLAY_RIGHT, 40}}, 1}, {{{REPLAY_LEFT, 40}}, 1},
    {{{ROUTE_RIGHT_JUMP, 0}}, 1}, {{{ROUTE_LEFT_JUMP, 0}}, 1}, {{{REPLAY_JUMP, 0}}, 1},
    {{{REPLAY_RIGHT, -1}}, 1}, {{{REPLAY_LEFT, -1}}, 1},
    {{{REPLAY_JUMP, 8}, {ROUTE_RIGHT_JUMP, 0}}, 2}, {{{REPLAY_JUMP, 8}, {ROUTE_LEFT_JUMP, 0}}, 2},
    {{{REPLAY_JUMP, 16}, {ROUTE_RIGHT_JUMP, 0}}, 2}, {{{REPLAY_JUMP, 16}, {ROUTE_LEFT_JUMP, 0}}, 2},
    {{{ROUTE_RIGHT_JUMP, 10}, {REPLAY_JUMP, 0}}, 2}, {{{ROUTE_LEFT_JUMP, 10}, {REPLAY_JUMP, 0}}, 2},
};


// Plays a move from the current state; the keys of each line it makes go to `phases`.
void playMove(const Move& move, bool robust, std::vector<ScriptStep>& phases) {
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
        uint16_t settle = static_cast<uint16_t>(move.phases[move.count - 1].keys & ~REPLAY_JUMP);
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
        std::vector<ScriptStep> phases;
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

StageResult searchStage(const RouteGoal& goal, const std::vector<TilePlace>& stars, const SearchOptions& options) {
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
            if (flying && (move.phases[0].keys & REPLAY_JUMP)) continue;
            restoreGame(nodes[index].state);
            std::vector<ScriptStep> phases;
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
            if (options.robust && (move.phases[0].keys & REPLAY_JUMP)) cost += ROUTE_JUMP_COST;
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
    std::vector<ScriptStep> reversed;
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
