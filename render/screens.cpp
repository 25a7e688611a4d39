#include "render/screens.h"
// stub: to be implemented
void drawSplash() {}
void drawStarRow() {}
void drawCompletionStats() {}
void drawTitle() {}
void drawPauseMenu() {}
void drawFps() {}
std::string formatTime(int) { return ""; }
