#include <gtest/gtest.h>

#include <SDL.h>
#include <SDL_image.h>

#include "gameplay/flow.h"
#include "shell/display.h"
#include "shell/input.h"
#include "shell/shell.h"
#include "tests/support/shell_support.h"

namespace {

class InputTest : public ::testing::Test {
protected:
    void SetUp() override {
        useHeadlessDrivers();
        // The offscreen window never gets focus; SDL would drop the pad's input.
        SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
        ASSERT_TRUE(initSdl(SDL_INIT_VIDEO | SDL_INIT_JOYSTICK | SDL_INIT_GAMECONTROLLER, IMG_INIT_PNG));
        ASSERT_NE(openScreen(SCREEN_WIDTH, SCREEN_HEIGHT, 1, WINDOW_TITLE, 1.0f), nullptr);
        resetShellState();
        resetInputState();
        flow = FlowState{};
        flow.introFrames = INTRO_FRAMES;
    }
    void TearDown() override {
        detachPads();
        resetInputState();
        shutdownVideo();
    }

    // One frame as the loop runs it, with the controller update the game makes after the intro.
    void frame(std::initializer_list<int> held) {
        keys.holdOnly(held);
        keys.updateInput();
        handleGlobalKeys();
        updateController();
    }

    // A virtual game controller at the next device index; its joystick lets the test move it.
    void attachPad() {
        int index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, SDL_CONTROLLER_AXIS_MAX,
                                              SDL_CONTROLLER_BUTTON_MAX, 0);
        ASSERT_GE(index, 0) << SDL_GetError();
        ASSERT_TRUE(SDL_IsGameController(index));
        pad = SDL_JoystickOpen(index);
        ASSERT_NE(pad, nullptr);
    }
    void detachPads() {
        if (pad) SDL_JoystickClose(pad);
        pad = nullptr;
        for (int i = SDL_NumJoysticks() - 1; i >= 0; --i)
            if (SDL_JoystickIsVirtual(i)) SDL_JoystickDetachVirtual(i);
    }
    void padButtonState(SDL_GameControllerButton button, bool down) {
        SDL_JoystickSetVirtualButton(pad, button, down ? 1 : 0);
    }
    void padAxisState(SDL_GameControllerAxis axis, int16_t value) { SDL_JoystickSetVirtualAxis(pad, axis, value); }

    FakeKeyboard keys;
    SDL_Joystick* pad = nullptr;
};

// Key edges

TEST_F(InputTest, HeldKeyIsPushedInItsFirstFrameOnly) {
    frame({SDL_SCANCODE_A});
    EXPECT_TRUE(keyDown(SDL_SCANCODE_A));
    EXPECT_TRUE(keyPushed(SDL_SCANCODE_A));
    EXPECT_TRUE(keyPushed(SDL_SCANCODE_A));  // asking again in the same frame
    for (int i = 0; i < 3; ++i) {
        frame({SDL_SCANCODE_A});
        EXPECT_TRUE(keyDown(SDL_SCANCODE_A));
        EXPECT_FALSE(keyPushed(SDL_SCANCODE_A));
    }
    frame({});
    EXPECT_FALSE(keyDown(SDL_SCANCODE_A));
    EXPECT_FALSE(keyPushed(SDL_SCANCODE_A));
    frame({SDL_SCANCODE_A});
    EXPECT_TRUE(keyPushed(SDL_SCANCODE_A));
}

TEST_F(InputTest, KeyPressedAndReleasedBetweenFramesIsNotSeen) {
    keys.hold(SDL_SCANCODE_SPACE);
    keys.release(SDL_SCANCODE_SPACE);
    keys.updateInput();
    EXPECT_FALSE(keyDown(SDL_SCANCODE_SPACE));
    EXPECT_FALSE(keyPushed(SDL_SCANCODE_SPACE));
}

TEST_F(InputTest, KeyQueriesAreSafeWithoutKeyStateOrOutOfRange) {
    frame({SDL_SCANCODE_LCTRL, SDL_SCANCODE_RALT});
    EXPECT_TRUE(ctrlDown());
    EXPECT_TRUE(altDown());
    EXPECT_FALSE(keyDown(-1));
    EXPECT_FALSE(keyDown(512));
    EXPECT_FALSE(keyPushed(-7));
    EXPECT_FALSE(keyPushed(100000));
    const uint8_t* held = screen.keyState;
    screen.keyState = nullptr;
    EXPECT_FALSE(keyDown(SDL_SCANCODE_LCTRL));
    EXPECT_FALSE(ctrlDown());
    EXPECT_FALSE(altDown());
    updateInput();  // nothing to copy; must not touch a null pointer
    screen.keyState = held;
}

TEST_F(InputTest, TabTogglesFrameRateAndF12RequestsAScreenshot) {
    frame({SDL_SCANCODE_TAB});
    EXPECT_EQ(shell.showFps, 1);
    frame({SDL_SCANCODE_TAB});
    EXPECT_EQ(shell.showFps, 1);
    frame({});
    frame({SDL_SCANCODE_TAB, SDL_SCANCODE_F12});
    EXPECT_EQ(shell.showFps, 0);
    EXPECT_EQ(shell.screenshotRequested, 1);
}

TEST_F(InputTest, CtrlWQuitsAndWAloneDoesNot) {
    frame({SDL_SCANCODE_W});
    EXPECT_EQ(shell.quitGame, 0);
    frame({SDL_SCANCODE_W, SDL_SCANCODE_RCTRL});  // W held, not pushed
    EXPECT_EQ(shell.quitGame, 0);
    frame({});
    frame({SDL_SCANCODE_W, SDL_SCANCODE_LCTRL});
    EXPECT_EQ(shell.quitGame, 1);
}

// Fullscreen keys

TEST_F(InputTest, FullscreenKeysEachToggleOnce) {
    frame({SDL_SCANCODE_F11});
    EXPECT_TRUE(isFullscreen());
    frame({SDL_SCANCODE_F11});
    EXPECT_TRUE(isFullscreen());
    frame({});
    frame({SDL_SCANCODE_LCTRL, SDL_SCANCODE_F});
    EXPECT_FALSE(isFullscreen());
    frame({SDL_SCANCODE_F});  // F without Ctrl
    EXPECT_FALSE(isFullscreen());
    frame({});
    frame({SDL_SCANCODE_RALT, SDL_SCANCODE_RETURN});
    EXPECT_TRUE(isFullscreen());
    frame({});
    frame({SDL_SCANCODE_LALT, SDL_SCANCODE_KP_ENTER});
    EXPECT_FALSE(isFullscreen());
    frame({});
    frame({SDL_SCANCODE_RETURN});  // Enter without Alt
    EXPECT_FALSE(isFullscreen());
}

TEST_F(InputTest, FWithoutCtrlHidesF11InTheSameFrame) {
    frame({SDL_SCANCODE_F, SDL_SCANCODE_F11});
    EXPECT_FALSE(isFullscreen());
}

TEST_F(InputTest, CtrlFWithAltEnterTogglesTwice) {
    frame({SDL_SCANCODE_LCTRL, SDL_SCANCODE_F, SDL_SCANCODE_LALT, SDL_SCANCODE_RETURN});
    EXPECT_FALSE(isFullscreen());
    // Each alone toggles, so together they did act twice.
    frame({});
    frame({SDL_SCANCODE_LCTRL, SDL_SCANCODE_F});
    EXPECT_TRUE(isFullscreen());
    frame({});
    frame({SDL_SCANCODE_LCTRL, SDL_SCANCODE_F, SDL_SCANCODE_LALT, SDL_SCANCODE_RETURN});
    EXPECT_TRUE(isFullscreen());
}

// Events

void pushClick(uint8_t button, uint8_t clicks) {
    SDL_Event event{};
    event.type = SDL_MOUSEBUTTONDOWN;
    event.button.button = button;
    event.button.clicks = clicks;
    event.button.state = SDL_PRESSED;
    event.button.windowID = SDL_GetWindowID(screen.window);
    SDL_PushEvent(&event);
}

TEST_F(InputTest, OnlyALeftDoubleClickTogglesFullscreen) {
    pushClick(SDL_BUTTON_LEFT, 1);
    pushClick(SDL_BUTTON_RIGHT, 2);
    pushClick(SDL_BUTTON_LEFT, 3);
    frame({});
    EXPECT_FALSE(isFullscreen());
    pushClick(SDL_BUTTON_LEFT, 2);
    frame({});
    EXPECT_TRUE(isFullscreen());
}

TEST_F(InputTest, QuitEventIsReportedOnce) {
    EXPECT_FALSE(quitRequested());
    SDL_Event event{};
    event.type = SDL_QUIT;
    SDL_PushEvent(&event);
    frame({});
    EXPECT_TRUE(quitRequested());
    EXPECT_FALSE(quitRequested());
}

TEST_F(InputTest, LastInputDeviceFollowsKeyAndButtonEvents) {
    SDL_Event event{};
    event.type = SDL_CONTROLLERBUTTONDOWN;
    SDL_PushEvent(&event);
    frame({});
    EXPECT_EQ(screen.lastInputDevice, 1);
    event = SDL_Event{};
    event.type = SDL_KEYUP;
    SDL_PushEvent(&event);
    frame({});
    EXPECT_EQ(screen.lastInputDevice, 1);
    event.type = SDL_KEYDOWN;
    SDL_PushEvent(&event);
    frame({});
    EXPECT_EQ(screen.lastInputDevice, 0);
}

TEST_F(InputTest, PollEventDrainsTheQueueAndReportsTypes) {
    SDL_PumpEvents();
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    SDL_Event event{};
    event.type = SDL_USEREVENT;
    SDL_PushEvent(&event);
    EXPECT_EQ(pollEvent(), static_cast<int>(SDL_USEREVENT));
    int more = 0;
    while (pollEvent() != 0 && more < 1000) ++more;
    EXPECT_LT(more, 1000);
    EXPECT_EQ(pollEvent(), 0);
}

// Pause edge

TEST_F(InputTest, PauseKeyIsIgnoredDuringTheIntroAndNeedsAFreshPress) {
    flow.introFrames = INTRO_FRAMES - 1;
    frame({SDL_SCANCODE_ESCAPE});
    EXPECT_EQ(flow.paused, 0);
    EXPECT_EQ(shell.pauseWasPressed, 1);
    flow.introFrames = INTRO_FRAMES;
    frame({SDL_SCANCODE_ESCAPE});  // held from the intro
    EXPECT_EQ(flow.paused, 0);
    frame({});
    frame({SDL_SCANCODE_ESCAPE});
    EXPECT_EQ(flow.paused, 1);
    frame({SDL_SCANCODE_ESCAPE});
    frame({SDL_SCANCODE_ESCAPE});
    EXPECT_EQ(flow.paused, 1);  // holding does not close it
    frame({});
    frame({SDL_SCANCODE_ESCAPE});
    EXPECT_EQ(flow.paused, 0);
}

TEST_F(InputTest, PauseEdgeIsTakenOverEscapeAndStartTogether) {
    attachPad();
    frame({});
    ASSERT_NE(input.controller, nullptr);
    padButtonState(SDL_CONTROLLER_BUTTON_START, true);
    frame({});
    EXPECT_EQ(flow.paused, 1);
    // ESCAPE comes while START is still held, then START goes: one long press of the union.
    frame({SDL_SCANCODE_ESCAPE});
    padButtonState(SDL_CONTROLLER_BUTTON_START, false);
    frame({SDL_SCANCODE_ESCAPE});
    EXPECT_EQ(flow.paused, 1);
    frame({});
    padButtonState(SDL_CONTROLLER_BUTTON_START, true);
    frame({});
    EXPECT_EQ(flow.paused, 0);
}

// Controller

TEST_F(InputTest, ControllerIsOpenedAfterItAppearsAndForgottenAfterRemoval) {
    frame({});
    EXPECT_EQ(input.controller, nullptr);
    EXPECT_FALSE(padButton(SDL_CONTROLLER_BUTTON_A));
    EXPECT_EQ(padAxis(SDL_CONTROLLER_AXIS_LEFTX), 0);
    attachPad();
    frame({});
    ASSERT_NE(input.controller, nullptr);
    padButtonState(SDL_CONTROLLER_BUTTON_A, true);
    frame({});
    EXPECT_TRUE(padButton(SDL_CONTROLLER_BUTTON_A));

    detachPads();
    frame({});
    EXPECT_EQ(input.controller, nullptr);
    EXPECT_FALSE(padButton(SDL_CONTROLLER_BUTTON_A));
    EXPECT_EQ(input.stickRight, 0);
    EXPECT_EQ(input.stickLeft, 0);
    frame({});
    EXPECT_EQ(input.controller, nullptr);

    attachPad();
    frame({});
    ASSERT_NE(input.controller, nullptr);
    EXPECT_TRUE(SDL_GameControllerGetAttached(input.controller));
    padButtonState(SDL_CONTROLLER_BUTTON_B, true);
    frame({});
    EXPECT_TRUE(padButton(SDL_CONTROLLER_BUTTON_B));
}

TEST_F(InputTest, BackButtonTogglesFullscreenOncePerPress) {
    attachPad();
    frame({});
    padButtonState(SDL_CONTROLLER_BUTTON_BACK, true);
    for (int i = 0; i < 4; ++i) frame({});
    EXPECT_TRUE(isFullscreen());
    padButtonState(SDL_CONTROLLER_BUTTON_BACK, false);
    frame({});
    EXPECT_TRUE(isFullscreen());
    padButtonState(SDL_CONTROLLER_BUTTON_BACK, true);
    frame({});
    frame({});
    EXPECT_FALSE(isFullscreen());
}

TEST_F(InputTest, StickThresholdsStartAtHalfTheDefaultPeak) {
    attachPad();
    frame({});
    padAxisState(SDL_CONTROLLER_AXIS_LEFTX, 12288);
    frame({});
    EXPECT_EQ(input.stickRight, 0);
    padAxisState(SDL_CONTROLLER_AXIS_LEFTX, 12289);
    frame({});
    EXPECT_EQ(input.stickRight, 1);
    EXPECT_EQ(input.stickLeft, 0);
    padAxisState(SDL_CONTROLLER_AXIS_LEFTX, -12288);
    frame({});
    EXPECT_EQ(input.stickLeft, 0);
    padAxisState(SDL_CONTROLLER_AXIS_LEFTX, -12289);
    frame({});
    EXPECT_EQ(input.stickLeft, 1);
    EXPECT_EQ(input.stickRight, 0);
}

TEST_F(InputTest, ShortStickKeepsTheThresholdAndFullDeflectionRaisesIt) {
    attachPad();
    frame({});
    padAxisState(SDL_CONTROLLER_AXIS_LEFTX, 20000);
    frame({});
    EXPECT_EQ(input.stickRightPeak, 24575);
    padAxisState(SDL_CONTROLLER_AXIS_LEFTX, 12289);
    frame({});
    EXPECT_EQ(input.stickRight, 1);

    padAxisState(SDL_CONTROLLER_AXIS_LEFTX, 32767);
    frame({});
    EXPECT_EQ(input.stickRightPeak, 32767);
    padAxisState(SDL_CONTROLLER_AXIS_LEFTX, 16384);
    frame({});
    EXPECT_EQ(input.stickRight, 0);
    padAxisState(SDL_CONTROLLER_AXIS_LEFTX, 16385);
    frame({});
    EXPECT_EQ(input.stickRight, 1);

    padAxisState(SDL_CONTROLLER_AXIS_LEFTX, -32768);
    frame({});
    padAxisState(SDL_CONTROLLER_AXIS_LEFTX, -16384);
    frame({});
    EXPECT_EQ(input.stickLeft, 0);
    padAxisState(SDL_CONTROLLER_AXIS_LEFTX, -16385);
    frame({});
    EXPECT_EQ(input.stickLeft, 1);

    // The peaks belong to the run, not to one controller.
    detachPads();
    frame({});
    attachPad();
    frame({});
    padAxisState(SDL_CONTROLLER_AXIS_LEFTX, 16000);
    frame({});
    EXPECT_EQ(input.stickRight, 0);
}

TEST_F(InputTest, DpadOverridesTheStick) {
    attachPad();
    frame({});
    padAxisState(SDL_CONTROLLER_AXIS_LEFTX, -30000);
    padButtonState(SDL_CONTROLLER_BUTTON_DPAD_RIGHT, true);
    frame({});
    EXPECT_EQ(input.stickRight, 1);
    EXPECT_EQ(input.stickLeft, 1);
    padAxisState(SDL_CONTROLLER_AXIS_LEFTX, 0);
    padButtonState(SDL_CONTROLLER_BUTTON_DPAD_RIGHT, false);
    padButtonState(SDL_CONTROLLER_BUTTON_DPAD_LEFT, true);
    frame({});
    EXPECT_EQ(input.stickRight, 0);
    EXPECT_EQ(input.stickLeft, 1);
}

TEST(InputStart, ProgramStartValues) {
    input.stickRightPeak = 1;
    input.fullscreenButtonLatch = 1;
    resetInputState();
    EXPECT_EQ(input.controller, nullptr);
    EXPECT_EQ(input.stickRightPeak, 24575);
    EXPECT_EQ(input.stickLeftPeak, -24575);
    EXPECT_EQ(input.fullscreenButtonLatch, 0);
    // Without SDL nothing is opened and the queue reads empty.
    updateController();
    EXPECT_EQ(input.controller, nullptr);
    EXPECT_EQ(pollEvent(), 0);
    loadControllerMappings();
}

}  // namespace
