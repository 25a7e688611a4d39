#pragma once
// What a route aims at: the stars and lanterns of the world, and the goals of a plan.
#include <cstdint>
#include <string>
#include <vector>

#include "tools/world/snapshot.h"

// Every "$" of the loaded world, in file order.
std::vector<TilePlace> findStars();
// Every "@", likewise.
std::vector<TilePlace> findCheckpoints();

enum class GoalKind { AnyStar, Star, Checkpoint, Zone };
struct RouteGoal {
    GoalKind kind = GoalKind::AnyStar;
    int32_t zoneX = 0, zoneY = 0, column = -1, row = -1;  // column -1: any in the zone
    bool keepCheckpoint = false;                            // the checkpoint zone, and so every distance, stays
    std::string text;                                       // as written, for messages
};
// "star X Y [C R]", "checkpoint X Y [C R]", "zone X Y" or "any", each optionally followed by "keep";
// false if the line is none of these.
bool parseGoal(const std::string& line, RouteGoal& goal);
// Whether the state s meets the goal of a stage that began in the state start.
bool goalMet(const RouteGoal& goal, const GameSnapshot& start, const GameSnapshot& s);
