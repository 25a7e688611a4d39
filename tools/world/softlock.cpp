#include "tools/world/softlock.h"

#include <cmath>
#include <cstdint>
#include <deque>
#include <iterator>
#include <set>
#include <utility>

#include "shell/shell.h"
#include "tools/world/search.h"

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

SoftLockResult findSoftLocks(const TilePlace& checkpoint, const std::vector<TilePlace>& stars, long maxNodes) {
    SoftLockResult result;
    // Each proof from fresh records, not from whatever the last step of the one before left held.
    restartHeadlessGame();
    progress.collectedStarCount = 0;
    for (const TilePlace& star : stars) {
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
    for (const TilePlace& star : stars) starTiles.push_back(tileIdentity(star.zoneX, star.zoneY, star.column, star.row));
    std::vector<char> starReached(starTiles.size(), 0);
    int32_t lastTile = -1;
    auto step = [&](uint16_t keys) {
        stepGame(keys);
        int32_t column = 0, row = 0;
        if (game.playerDead || !tileAt(player.x + player.width * 0.5f, player.y + player.height * 0.5f, column, row))
            return;
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
            if (action.frames == 1 || (flying && (action.keys & REPLAY_JUMP))) continue;
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
            if ((flying && (ACTIONS[a].keys & REPLAY_JUMP)) || outcomes[a].out) continue;
            hashes[a] = stateHash(outcomes[a].state);
            if (!index.slots.empty()) __builtin_prefetch(&index.slots[hashes[a] & (index.slots.size() - 1)]);
        }
        for (size_t a = 0; a < std::size(ACTIONS); ++a) {
            if (flying && (ACTIONS[a].keys & REPLAY_JUMP)) continue;
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

