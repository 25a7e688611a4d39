#include "tools/world/goals.h"

#include <algorithm>
#include <cstdlib>
#include <sstream>

namespace {

// Tiles holding this character in the blocks the game would load, in file order.
std::vector<TilePlace> findTiles(char wanted) {
    std::vector<TilePlace> stars;
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

std::vector<TilePlace> findStars() { return findTiles('$'); }
std::vector<TilePlace> findCheckpoints() { return findTiles('@'); }

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

bool goalMet(const RouteGoal& goal, const GameSnapshot& start, const GameSnapshot& s) {
    switch (goal.kind) {
    case GoalKind::AnyStar:
        return s.progress.collectedStarCount > start.progress.collectedStarCount;
    case GoalKind::Star:
        for (int i = start.progress.collectedStarCount; i < std::min(s.progress.collectedStarCount, 10); ++i) {
            const TilePlace star = tilePlace(s.progress.collectedStars[i]);
            if (star.zoneX == goal.zoneX && star.zoneY == goal.zoneY &&
                (goal.column < 0 || (star.column == goal.column && star.row == goal.row)))
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
