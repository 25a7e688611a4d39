#include "gameplay/flow.h"

#include <SDL.h>

#include "gameplay/hazards.h"
#include "gameplay/movement.h"
#include "gameplay/sound.h"
#include "gameplay/state.h"
#include "shell/input.h"
#include "shell/shell.h"
#include "world/world.h"

FlowState flow;

namespace {

constexpr int16_t MENU_STICK_THRESHOLD = 16000;

bool confirmHeld() {
    return keyDown(SDL_SCANCODE_RETURN) || keyDown(SDL_SCANCODE_SPACE) ||
           padButton(SDL_CONTROLLER_BUTTON_A);
}

bool backHeld() { return keyDown(SDL_SCANCODE_BACKSPACE) || padButton(SDL_CONTROLLER_BUTTON_B); }

bool menuUpInput() {
    return keyDown(SDL_SCANCODE_UP) || keyDown(SDL_SCANCODE_W) ||
           padButton(SDL_CONTROLLER_BUTTON_DPAD_UP) ||
           padAxis(SDL_CONTROLLER_AXIS_LEFTY) < -MENU_STICK_THRESHOLD;
}

bool menuDownInput() {
    return keyDown(SDL_SCANCODE_DOWN) || keyDown(SDL_SCANCODE_S) ||
           padButton(SDL_CONTROLLER_BUTTON_DPAD_DOWN) ||
           padAxis(SDL_CONTROLLER_AXIS_LEFTY) > MENU_STICK_THRESHOLD;
}

// Hold counters act on exactly 1, so a held input never repeats.
int32_t countHeld(int32_t frames, bool held) {
    if (!held) return 0;
    return frames < INT32_MAX ? frames + 1 : frames;
}

// Returns false while the intro still runs; nothing else may run then.
bool runIntro() {
    if (flow.introFrames >= INTRO_FRAMES) return true;
    if (flow.introFrames == 0) playSound(SOUND_LOGO, false);
    flow.introFrames += 1;
    if (flow.introFrames == INTRO_FRAMES) loadMusic();
    return false;
}

void confirmMainItem() {
    switch (flow.menuSelection) {
    case MENU_CONTINUE:
        pauseAction();
        break;
    case MENU_RESTART:
        flow.paused = 0;
        resetToStart();
        if (isSoundLoaded(SOUND_MUSIC)) playSound(SOUND_MUSIC, true);
        break;
    case MENU_SHOW_CONTROLS:
        flow.menuPage = MENU_CONTROLS;
        playSound(SOUND_LAND, false);
        break;
    case MENU_SHOW_ABOUT:
        flow.menuPage = MENU_ABOUT;
        playSound(SOUND_JUMP, false);
        break;
    case MENU_EXIT:
        shell.quitGame = 1;
        break;
    default:
        break;
    }
}

void updateMenu() {
    if (!flow.paused) {
        flow.confirmHeldFrames = 0;
        flow.backHeldFrames = 0;
        flow.menuUpHeld = 0;
        flow.menuDownHeld = 0;
        return;
    }
    flow.confirmHeldFrames = countHeld(flow.confirmHeldFrames, confirmHeld());
    flow.backHeldFrames = countHeld(flow.backHeldFrames, backHeld());
    flow.menuUpWasHeld = flow.menuUpHeld;
    flow.menuDownWasHeld = flow.menuDownHeld;
    flow.menuUpHeld = menuUpInput() ? 1 : 0;
    flow.menuDownHeld = menuDownInput() ? 1 : 0;

    if (flow.menuPage == MENU_MAIN) {
        if (flow.menuUpHeld && !flow.menuUpWasHeld) {
            playSound(SOUND_MOVE, false);
            flow.menuSelection = (flow.menuSelection + MENU_ITEMS - 1) % MENU_ITEMS;
        }
        if (flow.menuDownHeld && !flow.menuDownWasHeld) {
            playSound(SOUND_MOVE, false);
            flow.menuSelection = (flow.menuSelection + 1) % MENU_ITEMS;
        }
    }

    if (flow.confirmHeldFrames == 1) {
        if (flow.menuPage == MENU_MAIN) {
            confirmMainItem();
        } else {
            pauseAction();
        }
    } else if (flow.backHeldFrames == 1) {
        pauseAction();
    }
}

void startMusicOnce() {
    if (sound.musicStartState != 1) return;
    playSound(SOUND_MUSIC, true);
    sound.musicStartState = 2;
}

bool playing() { return !game.playerDead && !flow.paused; }

void checkTiles() {
    if (checkZoneEdges()) return;  // a new zone waits for the next update
    checkCentreTile();
    updateJumpPreview();
    checkFootTiles();
}

void updateTimers() {
    updateDeathTimer();
    if (!game.gameComplete) game.timeFrames += 1;
}

}  // namespace

void resetFlowState() { flow = FlowState{}; }

void updateGame() {
    if (!runIntro()) return;                       // logo, then the music is loaded
    updateMenu();                                  // pause menu, when open
    startMusicOnce();                              // once the first game frame was drawn
    updateController();                            // hot-plug and stick flags for this update
    if (playing()) updateHorizontalInput();
    updateSoundToggle();                           // works while paused and dead too
    if (playing()) updateJump();
    if (playing()) updateMotion();                 // gravity, motion, animation, walls
    if (!game.playerDead) checkTiles();            // edges, centre, preview, feet; also paused
    if (!flow.paused) updateTimers();              // fade, pop-up, TIME
}

void pauseAction() {
    if (!flow.paused) {
        flow.paused = 1;
        flow.menuPage = MENU_MAIN;
        flow.menuSelection = MENU_CONTINUE;
        playSound(SOUND_LAND, false);
        flow.backHeldFrames = 2;  // a back input already held must not close it again
    } else if (flow.menuPage == MENU_MAIN) {
        resumeGame();
    } else if (flow.menuPage == MENU_CONTROLS) {
        flow.menuPage = MENU_MAIN;
        flow.menuSelection = MENU_SHOW_CONTROLS;
        playSound(SOUND_LAND, false);
    } else {
        flow.menuPage = MENU_MAIN;
        flow.menuSelection = MENU_SHOW_ABOUT;
        playSound(SOUND_LAND, false);
    }
}

void resumeGame() { flow.paused = 0; }
