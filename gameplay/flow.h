#pragma once
// The per-frame game update, the intro, the pause menu and statistics.
#include <cstdint>

constexpr int32_t MENU_MAIN = 0;
constexpr int32_t MENU_CONTROLS = 1;
constexpr int32_t MENU_ABOUT = 2;

constexpr int32_t MENU_CONTINUE = 0;
constexpr int32_t MENU_RESTART = 1;
constexpr int32_t MENU_SHOW_CONTROLS = 2;
constexpr int32_t MENU_SHOW_ABOUT = 3;
constexpr int32_t MENU_EXIT = 4;
constexpr int32_t MENU_ITEMS = 5;

constexpr int32_t INTRO_FRAMES = 105;

struct FlowState {
    int32_t introFrames;        // 0..105; play starts at 105
    int32_t paused;             // pause menu open
    int32_t menuPage;           // MENU_MAIN, MENU_CONTROLS or MENU_ABOUT
    int32_t menuSelection;      // highlighted item of the main page
    int32_t confirmHeldFrames;  // updates the confirm input has been held
    int32_t backHeldFrames;     // updates the back input has been held
    int32_t menuUpHeld;         // up input this update
    int32_t menuDownHeld;       // down input this update
    int32_t menuUpWasHeld;      // up input of the previous update
    int32_t menuDownWasHeld;    // down input of the previous update
};
extern FlowState flow;

void resetFlowState();
void updateGame();
void pauseAction();
void resumeGame();
