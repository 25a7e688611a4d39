// The intro, the pause menu, RESTART and EXIT, and the TIME counter.
#include <gtest/gtest.h>

#include <SDL.h>

#include "gameplay/flow.h"
#include "gameplay/movement.h"
#include "gameplay/state.h"
#include "shell/shell.h"
#include "tests/support/gameplay_support.h"
#include "world/world.h"

namespace {

const int ESC = SDL_SCANCODE_ESCAPE;
const int UP = SDL_SCANCODE_UP;
const int DOWN = SDL_SCANCODE_DOWN;
const int RETURN = SDL_SCANCODE_RETURN;
const int SPACE = SDL_SCANCODE_SPACE;
const int BACK = SDL_SCANCODE_BACKSPACE;

bool simpleWorld() {
    return playWorld(zoneText(2, 0, {"        ^", FLOOR_ROW}) + startText(2, 0, 0, 0, 3, 1));
}

// Opens the menu and walks the highlight down to an item, releasing between presses.
void openMenuAt(int item) {
    frame({ESC});
    frame();
    for (int i = 0; i < item; ++i) {
        frame({DOWN});
        frame();
    }
}

}  // namespace

TEST(Intro, LastsOneHundredFiveUpdatesAndBlocksEverything) {
    ASSERT_TRUE(simpleWorld());
    flow.introFrames = 0;
    const float y = player.y;
    for (int i = 1; i <= 105; ++i) {
        frame({ESC, SDL_SCANCODE_RIGHT});
        ASSERT_EQ(flow.introFrames, i);
        ASSERT_EQ(flow.paused, 0);
    }
    EXPECT_EQ(player.y, y);
    EXPECT_EQ(player.x, 4.0f + 3 * 40.0f);
    EXPECT_EQ(game.timeFrames, 0);
    EXPECT_EQ(game.fadeTimer, 30);
    frame({ESC});  // still held from the intro: no new press
    EXPECT_EQ(flow.paused, 0);
    EXPECT_EQ(game.timeFrames, 1);
    EXPECT_LT(player.y, y);
    EXPECT_EQ(flow.introFrames, 105);
}

TEST(Menu, WrapsAroundBothWays) {
    ASSERT_TRUE(simpleWorld());
    openMenuAt(0);
    ASSERT_EQ(flow.paused, 1);
    EXPECT_EQ(flow.menuPage, MENU_MAIN);
    EXPECT_EQ(flow.menuSelection, 0);
    frame({UP});
    EXPECT_EQ(flow.menuSelection, 4);
    frames(5, {UP});  // held: one move
    EXPECT_EQ(flow.menuSelection, 4);
    frame({DOWN});
    EXPECT_EQ(flow.menuSelection, 0);
    frame();
    frame({SDL_SCANCODE_S});
    EXPECT_EQ(flow.menuSelection, 1);
    frame({SDL_SCANCODE_W});
    EXPECT_EQ(flow.menuSelection, 0);
}

TEST(Menu, ConfirmFiresOncePerPress) {
    ASSERT_TRUE(simpleWorld());
    openMenuAt(MENU_SHOW_ABOUT);
    frames(10, {RETURN});
    EXPECT_EQ(flow.menuPage, MENU_ABOUT);
    frame();
    frames(10, {RETURN});
    EXPECT_EQ(flow.menuPage, MENU_MAIN);
    EXPECT_EQ(flow.menuSelection, MENU_SHOW_ABOUT);
    EXPECT_EQ(flow.paused, 1);
}

TEST(Menu, KeysHeldWhenItOpens) {
    ASSERT_TRUE(simpleWorld());
    frames(3);
    frame({ESC, SPACE});
    EXPECT_EQ(flow.paused, 0);  // CONTINUE confirmed at once

    ASSERT_TRUE(simpleWorld());
    frame({ESC, UP});
    EXPECT_EQ(flow.paused, 1);
    EXPECT_EQ(flow.menuSelection, MENU_EXIT);
    EXPECT_EQ(shell.quitGame, 0);

    ASSERT_TRUE(simpleWorld());
    frame({ESC, UP, SPACE});
    EXPECT_EQ(shell.quitGame, 1);

    ASSERT_TRUE(simpleWorld());
    frame({ESC, BACK});
    frames(10, {BACK});
    EXPECT_EQ(flow.paused, 1);  // held from before: does not close it
    frame();
    frame({BACK});
    EXPECT_EQ(flow.paused, 0);
}

TEST(Menu, SubPagesReturnWithTheirItemHighlighted) {
    for (int item : {MENU_SHOW_CONTROLS, MENU_SHOW_ABOUT}) {
        const int page = item == MENU_SHOW_CONTROLS ? MENU_CONTROLS : MENU_ABOUT;
        for (int leave : {RETURN, BACK, ESC}) {
            SCOPED_TRACE(item * 1000 + leave);
            ASSERT_TRUE(simpleWorld());
            openMenuAt(item);
            frame({RETURN});
            ASSERT_EQ(flow.menuPage, page);
            frame();
            frame({UP});  // ignored on the sub-pages
            frame({DOWN});
            frame();
            frame({leave});
            EXPECT_EQ(flow.menuPage, MENU_MAIN);
            EXPECT_EQ(flow.menuSelection, item);
            EXPECT_EQ(flow.paused, 1);
        }
    }
}

TEST(Menu, BackAndPauseOnTheMainPageResume) {
    ASSERT_TRUE(simpleWorld());
    openMenuAt(2);
    frame({BACK});
    EXPECT_EQ(flow.paused, 0);
    openMenuAt(3);
    frame({ESC});
    EXPECT_EQ(flow.paused, 0);
    openMenuAt(0);
    frame({RETURN});
    EXPECT_EQ(flow.paused, 0);
    resumeGame();
    EXPECT_EQ(flow.paused, 0);
}

TEST(Menu, RestartResetsTheGameButNotTheIntro) {
    ASSERT_TRUE(simpleWorld());
    ASSERT_TRUE(settle());
    frames(2);
    frame({SPACE});
    for (int i = 0; i < 300 && !game.playerDead; ++i) frame({SDL_SCANCODE_RIGHT});
    frames(20);
    ASSERT_EQ(game.jumpCount, 1);
    ASSERT_EQ(game.deathCount, 1);
    ASSERT_GT(game.timeFrames, 20);
    openMenuAt(MENU_RESTART);
    frame({RETURN});
    EXPECT_EQ(flow.paused, 0);
    EXPECT_EQ(flow.introFrames, 105);
    EXPECT_EQ(game.jumpCount, 0);
    EXPECT_EQ(game.deathCount, 0);
    EXPECT_EQ(game.checkCount, 0);
    EXPECT_EQ(game.timeFrames, 1);  // reset, then this update counted
    EXPECT_EQ(game.fadeTimer, 29);  // 30 from the reset, fading in again
    EXPECT_EQ(player.x, 124.0f);
    EXPECT_FALSE(onGround());
    frames(3, {RETURN});
    EXPECT_EQ(flow.paused, 0);
}

TEST(Menu, ExitSetsQuitGame) {
    ASSERT_TRUE(simpleWorld());
    openMenuAt(0);
    frame({UP});
    EXPECT_EQ(shell.quitGame, 0);
    frame({UP, RETURN});
    EXPECT_EQ(shell.quitGame, 1);
}

TEST(Time, StandsStillWhilePausedAndRunsWhileDead) {
    ASSERT_TRUE(simpleWorld());
    frames(10);
    EXPECT_EQ(game.timeFrames, 10);
    frame({ESC});
    EXPECT_EQ(game.timeFrames, 10);
    frames(50);
    EXPECT_EQ(game.timeFrames, 10);
    const float x = player.x, y = player.y;
    frames(20, {SDL_SCANCODE_RIGHT, SDL_SCANCODE_Z});
    EXPECT_EQ(player.x, x);  // frozen while paused
    EXPECT_EQ(player.y, y);
    EXPECT_EQ(flow.paused, 1);
    frame({ESC});
    EXPECT_EQ(game.timeFrames, 11);
    for (int i = 0; i < 300 && !game.playerDead; ++i) frame({SDL_SCANCODE_RIGHT});
    ASSERT_EQ(game.playerDead, 1);
    const int time = game.timeFrames;
    frames(10);
    EXPECT_EQ(game.timeFrames, time + 10);
}

TEST(Flow, ProgramStartValuesAreZero) {
    flow.paused = 1;
    flow.menuSelection = 3;
    movement.idleFrames = 7;
    resetFlowState();
    resetMovementState();
    EXPECT_EQ(flow.introFrames, 0);
    EXPECT_EQ(flow.paused, 0);
    EXPECT_EQ(flow.menuSelection, 0);
    EXPECT_EQ(movement.idleFrames, 0);
}
