#pragma once
// Route search over the real game update: held-key steps from one saved game state to the next goal.
#include <cstdint>
#include <vector>

#include "tools/world/goals.h"
#include "tools/world/snapshot.h"

// The moves the search tries, which the soft-lock proof explores too: keys held for four frames, or one.
struct Action {
    uint16_t keys;
    int32_t frames;
};
constexpr Action ACTIONS[] = {
    {REPLAY_RIGHT, 4}, {REPLAY_LEFT, 4}, {0, 4}, {REPLAY_JUMP, 4}, {REPLAY_RIGHT | REPLAY_JUMP, 4},
    {REPLAY_LEFT | REPLAY_JUMP, 4}, {REPLAY_RIGHT, 1}, {REPLAY_LEFT, 1}, {0, 1},
};

struct SearchOptions {
    long maxNodes = 3000000;  // per stage
    double weight = 3.0;      // greed of the best-first order; 1 is plain A*
    bool robust = false;      // only moves a player can repeat: no single frames, jumps held until landing
    bool noDeaths = false;    // a step that ends in a death is not taken, so a respawn is never a shortcut
};
struct StageResult {
    bool found = false;
    std::vector<ScriptStep> steps;
    long nodes = 0;
    long frames = 0;
};
// From the current game state to the first state meeting the goal; the game is left in that state.
StageResult searchStage(const RouteGoal& goal, const std::vector<TilePlace>& stars, const SearchOptions& options);
