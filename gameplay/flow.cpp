#include "gameplay/flow.h"
// stub: to be implemented
FlowState flow;
void resetFlowState() {}
void updateGame() {}
void pauseAction() {}
void resumeGame() {}
