#include "world/world.h"
// stub: to be implemented
WorldState world;
void resetWorldState() {}
bool findDataFolder(const std::string&) { return true; }
int32_t loadWorldLines() { return 0; }
int32_t loadWorldLinesFrom(const std::string&) { return 0; }
int32_t tileIdentity(int32_t, int32_t, int32_t, int32_t) { return 0; }
bool isStarCollected(int32_t, int32_t, int32_t, int32_t) { return false; }
bool loadZone(int32_t, int32_t) { return false; }
void changeZone(int32_t, int32_t) {}
void resetToStart() {}
void respawnAtCheckpoint() {}
