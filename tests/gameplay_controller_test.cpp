// A game controller driving the player and the pause menu.
#include <gtest/gtest.h>

#include <SDL.h>

#include <cstdlib>

#include "gameplay/flow.h"
#include "gameplay/movement.h"
#include "gameplay/state.h"
#include "shell/input.h"
#include "tests/support/gameplay_support.h"
#include "world/world.h"

namespace {

class PadTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("SDL_VIDEODRIVER", "offscreen", 1);
        ASSERT_EQ(SDL_Init(SDL_INIT_GAMECONTROLLER), 0) << SDL_GetError();
        int index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, SDL_CONTROLLER_AXIS_MAX,
                                              SDL_CONTROLLER_BUTTON_MAX, 0);
        ASSERT_GE(index, 0) << SDL_GetError();
        pad = SDL_JoystickOpen(index);
        ASSERT_NE(pad, nullptr);
        resetInputState();
        ASSERT_TRUE(playWorld(zoneText(2, 0, {FLOOR_ROW}) + startText(2, 0, 0, 0, 3, 1)));
    }
    void TearDown() override {
        if (input.controller) SDL_GameControllerClose(input.controller);
        resetInputState();
        if (pad) SDL_JoystickClose(pad);
        for (int i = SDL_NumJoysticks() - 1; i >= 0; --i)
            if (SDL_JoystickIsVirtual(i)) SDL_JoystickDetachVirtual(i);
        SDL_Quit();
    }
    void button(SDL_GameControllerButton b, bool down) { SDL_JoystickSetVirtualButton(pad, b, down ? 1 : 0); }
    void axis(SDL_GameControllerAxis a, int16_t value) { SDL_JoystickSetVirtualAxis(pad, a, value); }
    // One frame with the pad as set; keyboard keys as given.
    void padFrame(std::initializer_list<int> keys = {}) {
        SDL_GameControllerUpdate();
        frame(keys);
    }

    SDL_Joystick* pad = nullptr;
};

}  // namespace

TEST_F(PadTest, DpadWalksAndButtonsJump) {
    for (int i = 0; i < 60 && !onGround(); ++i) padFrame();
    ASSERT_TRUE(onGround());
    ASSERT_NE(input.controller, nullptr);
    const float x = player.x;
    button(SDL_CONTROLLER_BUTTON_DPAD_RIGHT, true);
    for (int i = 0; i < 10; ++i) padFrame();
    EXPECT_GT(player.x, x);
    EXPECT_EQ(player.facing, 1);
    button(SDL_CONTROLLER_BUTTON_DPAD_RIGHT, false);
    button(SDL_CONTROLLER_BUTTON_DPAD_LEFT, true);
    for (int i = 0; i < 10; ++i) padFrame();
    EXPECT_EQ(player.facing, -1);
    button(SDL_CONTROLLER_BUTTON_DPAD_LEFT, false);
    padFrame();

    int jumps = 0;
    for (SDL_GameControllerButton b : {SDL_CONTROLLER_BUTTON_A, SDL_CONTROLLER_BUTTON_LEFTSHOULDER,
                                       SDL_CONTROLLER_BUTTON_RIGHTSHOULDER}) {
        button(b, true);
        padFrame();
        EXPECT_EQ(game.jumpCount, ++jumps);
        button(b, false);
        for (int i = 0; i < 80 && !onGround(); ++i) padFrame();
        padFrame();
    }
}

TEST_F(PadTest, MenuFollowsTheStickPastItsThreshold) {
    padFrame();
    padFrame({SDL_SCANCODE_ESCAPE});
    ASSERT_EQ(flow.paused, 1);
    axis(SDL_CONTROLLER_AXIS_LEFTY, -16000);
    padFrame();
    EXPECT_EQ(flow.menuSelection, 0);  // on the threshold: no move
    axis(SDL_CONTROLLER_AXIS_LEFTY, -16001);
    padFrame();
    padFrame();
    EXPECT_EQ(flow.menuSelection, 4);
    axis(SDL_CONTROLLER_AXIS_LEFTY, 20000);
    padFrame();
    EXPECT_EQ(flow.menuSelection, 0);
    axis(SDL_CONTROLLER_AXIS_LEFTY, 0);
    padFrame();
    button(SDL_CONTROLLER_BUTTON_DPAD_DOWN, true);
    padFrame();
    padFrame();
    EXPECT_EQ(flow.menuSelection, 1);
    button(SDL_CONTROLLER_BUTTON_DPAD_DOWN, false);
    button(SDL_CONTROLLER_BUTTON_DPAD_UP, true);
    padFrame();
    EXPECT_EQ(flow.menuSelection, 0);
    button(SDL_CONTROLLER_BUTTON_DPAD_UP, false);
    padFrame();
    for (int i = 0; i < 2; ++i) {
        button(SDL_CONTROLLER_BUTTON_DPAD_DOWN, true);
        padFrame();
        button(SDL_CONTROLLER_BUTTON_DPAD_DOWN, false);
        padFrame();
    }
    ASSERT_EQ(flow.menuSelection, MENU_SHOW_CONTROLS);
    button(SDL_CONTROLLER_BUTTON_A, true);
    padFrame();
    padFrame();
    EXPECT_EQ(flow.menuPage, MENU_CONTROLS);
    button(SDL_CONTROLLER_BUTTON_A, false);
    button(SDL_CONTROLLER_BUTTON_B, true);
    padFrame();
    EXPECT_EQ(flow.menuPage, MENU_MAIN);
    EXPECT_EQ(flow.menuSelection, MENU_SHOW_CONTROLS);
    button(SDL_CONTROLLER_BUTTON_B, false);
    padFrame();
    button(SDL_CONTROLLER_BUTTON_B, true);
    padFrame();
    EXPECT_EQ(flow.paused, 0);
}
