#include "gameplay/hazards.h"
// stub: to be implemented
HazardState hazards;
void killPlayer() {}
void activateCheckpoint(int, int) {}
void checkCentreTile() {}
void checkFootTiles() {}
void updateDeathTimer() {}
