#pragma once
// Route search over the real game update: held-key steps from one saved game state to the next goal.
#include <cstdint>
#include <string>
#include <vector>

#include "gameplay/flow.h"
#include "gameplay/hazards.h"
#include "gameplay/movement.h"
#include "gameplay/sound.h"
#include "gameplay/state.h"
#include "world/world.h"

// Keys of a script line, as bits: the letters the run command reads.
constexpr uint8_t ROUTE_LEFT = 1;
constexpr uint8_t ROUTE_RIGHT = 2;
constexpr uint8_t ROUTE_JUMP = 4;

// Everything one update reads or writes, record by record, except the world and the room, which
// loadZone rebuilds from the progress.
struct GameSnapshot {
    Player player;
    GameState game;
    MovementState movement;
    HazardState hazards;
    FlowState flow;
    SoundState sound;
    ProgressState progress;
    uint8_t keys;  // held in the last frame
    int32_t pauseWasPressed;
};

GameSnapshot saveGame();
void restoreGame(const GameSnapshot& snapshot);
// One frame with these keys held (ROUTE_ bits).
void stepGame(uint8_t keys);
std::string keyLetters(uint8_t keys);  // "-" for none

struct RouteStar {
    int32_t zoneX, zoneY, column, row;
};
// Every "$" of the loaded world, in file order.
std::vector<RouteStar> findStars();
// Every "@", likewise.
std::vector<RouteStar> findCheckpoints();

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

struct RouteStep {
    uint8_t keys;
    int32_t frames;
};
struct SearchOptions {
    long maxNodes = 3000000;  // per stage
    double weight = 3.0;      // greed of the best-first order; 1 is plain A*
    bool robust = false;      // only moves a player can repeat: no single frames, jumps held until landing
    bool noDeaths = false;    // a step that ends in a death is not taken, so a respawn is never a shortcut
};
struct StageResult {
    bool found = false;
    std::vector<RouteStep> steps;
    long nodes = 0;
    long frames = 0;
};
// From the current game state to the first state meeting the goal; the game is left in that state.
StageResult searchStage(const RouteGoal& goal, const std::vector<RouteStar>& stars, const SearchOptions& options);

struct SoftLockResult {
    long states = 0;                    // explored from the respawn
    long stuck = 0;                     // from which neither a death nor another checkpoint can be reached
    bool complete = true;               // false when the cap cut the exploration short
    bool otherCheckpoint = false;       // some other checkpoint is in reach, so a death is not the only way on
    std::vector<RouteStar> starsInReach;  // stars whose tile the player's middle can reach from here
    std::vector<GameSnapshot> samples;  // one stuck state per zone
};
// Every state reachable after a respawn on this checkpoint with every star already taken
// (a star is progress only once), each asked whether it can still die or reach another checkpoint.
SoftLockResult findSoftLocks(const RouteStar& checkpoint, const std::vector<RouteStar>& stars, long maxNodes);
