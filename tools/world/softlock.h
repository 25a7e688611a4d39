#pragma once
// The soft-lock proof: from every place a respawn on a lantern leads to, a way on must stay in reach.
#include <vector>

#include "tools/world/snapshot.h"

struct SoftLockResult {
    long states = 0;                    // explored from the respawn
    long stuck = 0;                     // from which neither a death nor another checkpoint can be reached
    bool complete = true;               // false when the cap cut the exploration short
    bool otherCheckpoint = false;       // some other checkpoint is in reach, so a death is not the only way on
    std::vector<TilePlace> starsInReach;  // stars whose tile the player's middle can reach from here
    std::vector<GameSnapshot> samples;  // one stuck state per zone
};
// Every state reachable after a respawn on this checkpoint with every star already taken
// (a star is progress only once), each asked whether it can still die or reach another checkpoint.
SoftLockResult findSoftLocks(const TilePlace& checkpoint, const std::vector<TilePlace>& stars, long maxNodes);
