#pragma once
// The world file, the current zone's tiles, moving between zones, respawn and restart.
#include <cstdint>
#include <string>
#include <vector>

constexpr int ZONE_COLUMNS = 16;
constexpr int ZONE_ROWS = 12;
constexpr int ZONE_TILES = ZONE_COLUMNS * ZONE_ROWS;
constexpr int TILE_SIZE = 40;
constexpr int WORLD_STAR_SLOTS = 10;   // stars of a world; the tenth completes the game

constexpr int32_t TILE_EMPTY = 0;
constexpr int32_t TILE_WALL = 1;
constexpr int32_t TILE_CHECKPOINT = 2;
constexpr int32_t TILE_CHECKPOINT_ACTIVE = 4;
constexpr int32_t TILE_SPIKE = 16;
constexpr int32_t TILE_STAR = 64;

constexpr int32_t DIR_NONE = -1;
constexpr int32_t DIR_UP = 0;
constexpr int32_t DIR_RIGHT = 1;
constexpr int32_t DIR_DOWN = 2;
constexpr int32_t DIR_LEFT = 3;

constexpr const char* WORLD_FILE = "data/game/world1.txt";

struct WorldState {
    std::vector<std::string> lines;              // the world file, one entry per line
    int32_t tileFlags[ZONE_TILES] = {};          // current zone, index = column + row * 16, row 0 at the bottom
    int32_t tileDirection[ZONE_TILES] = {};      // way each tile's spike points, DIR_NONE if none
    int32_t currentZoneX = 0, currentZoneY = 0;  // zone held in the tile arrays
    int32_t checkpointZoneX = 0, checkpointZoneY = 0;  // zone of the current checkpoint
    int32_t checkpointIdentity = -1;             // tileIdentity of the current checkpoint; -1 until the first reset
    int32_t collectedStars[WORLD_STAR_SLOTS] = {};  // identities of stars picked up, in order
    int32_t collectedStarCount = 0;              // entries used in collectedStars
    int32_t zoneDistance = 0;                    // 0..9 zone steps from the checkpoint zone
    float gravityTable[10] = {};                 // by zone distance
    float jumpSpeedTable[10] = {};               // by zone distance
};
extern WorldState world;

void resetWorldState();                          // program-start values (checkpoint identity -1)
bool findDataFolder(const std::string& relativePath);
int32_t loadWorldLines();                        // reads WORLD_FILE
int32_t loadWorldLinesFrom(const std::string& path);  // tools and tests name the file
int32_t loadWorldText(const std::string& text);  // decoded text already in memory
int32_t tileIdentity(int32_t zoneX, int32_t zoneY, int32_t column, int32_t row);
bool isStarCollected(int32_t zoneX, int32_t zoneY, int32_t column, int32_t row);
bool loadZone(int32_t x, int32_t y);
void changeZone(int32_t dx, int32_t dy);
void resetToStart();
void respawnAtCheckpoint();
