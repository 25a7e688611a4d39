#pragma once
// Splash, star row, completion statistics, title, pause menu pages, frame rate.
#include <string>

void drawSplash();
void drawStarRow();
void drawCompletionStats();
void drawTitle();
void drawPauseMenu();
void drawFps();
std::string formatTime(int frames);
