#include <gtest/gtest.h>

#include <SDL.h>
#include <SDL_image.h>

#include "gameplay/flow.h"
#include "shell/display.h"
#include "shell/input.h"
#include "shell/shell.h"
#include "tests/support/shell_support.h"

namespace {

const char* TITLE = WINDOW_TITLE;

struct WindowBox {
    int x, y, w, h;
};

WindowBox windowBox() {
    WindowBox box{};
    SDL_GetWindowPosition(screen.window, &box.x, &box.y);
    SDL_GetWindowSize(screen.window, &box.w, &box.h);
    return box;
}

class DisplayTest : public ::testing::Test {
protected:
    void SetUp() override {
        useHeadlessDrivers();
        ASSERT_TRUE(initSdl(SDL_INIT_VIDEO, IMG_INIT_PNG));
        ASSERT_NE(openScreen(640, 480, 1, TITLE, 1.0f), nullptr);
        resetShellState();
        resetInputState();
        flow = FlowState{};
    }
    void TearDown() override { shutdownVideo(); }
};

// One frame of the global keys with exactly these keys held.
void frameWithKeys(FakeKeyboard& keys, std::initializer_list<int> held) {
    keys.holdOnly(held);
    keys.updateInput();
    handleGlobalKeys();
}

// Pushes one key for a frame, then lets it go for a frame.
void tapKeys(FakeKeyboard& keys, std::initializer_list<int> held) {
    frameWithKeys(keys, held);
    frameWithKeys(keys, {});
}

TEST_F(DisplayTest, OpensTheLogicalScreenInAWindow) {
    EXPECT_EQ(screen.logicalWidth, 640);
    EXPECT_EQ(screen.logicalHeight, 480);
    EXPECT_EQ(screen.windowed, 1);
    EXPECT_FLOAT_EQ(screen.windowScale, 1.0f);
    EXPECT_EQ(screen.title, TITLE);
    EXPECT_STREQ(SDL_GetWindowTitle(screen.window), TITLE);
    EXPECT_NE(screen.keyState, nullptr);
    WindowBox box = windowBox();
    EXPECT_EQ(box.w, 640);
    EXPECT_EQ(box.h, 480);
    int w = 0, h = 0;
    SDL_RenderGetLogicalSize(screen.renderer, &w, &h);
    EXPECT_EQ(w, 640);
    EXPECT_EQ(h, 480);
    SDL_BlendMode mode = SDL_BLENDMODE_NONE;
    SDL_GetRenderDrawBlendMode(screen.renderer, &mode);
    EXPECT_EQ(mode, SDL_BLENDMODE_BLEND);
    EXPECT_FALSE(isFullscreen());
    // Lost render targets are counted for whoever keeps one.
    SDL_Event reset{};
    reset.type = SDL_RENDER_TARGETS_RESET;
    SDL_PushEvent(&reset);
    reset.type = SDL_RENDER_DEVICE_RESET;
    SDL_PushEvent(&reset);
    EXPECT_EQ(screen.targetResets, 2);
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
}

TEST_F(DisplayTest, SecondOpenChangesNothing) {
    SDL_Window* first = screen.window;
    EXPECT_EQ(openScreen(320, 240, 0, "other", 2.0f), nullptr);
    EXPECT_EQ(screen.window, first);
    EXPECT_EQ(screen.logicalWidth, 640);
    EXPECT_EQ(screen.windowed, 1);
    EXPECT_EQ(screen.title, TITLE);
}

TEST_F(DisplayTest, OpenScaleIsRoundedAndNonPositiveMeansOne) {
    closeScreen();
    ASSERT_NE(openScreen(640, 480, 7, TITLE, 1.5f), nullptr);
    EXPECT_EQ(screen.windowed, 1);  // any non-zero value is stored as 1
    EXPECT_EQ(windowBox().w, 960);
    EXPECT_EQ(windowBox().h, 720);
    closeScreen();
    ASSERT_NE(openScreen(640, 480, 1, TITLE, -3.0f), nullptr);
    EXPECT_FLOAT_EQ(screen.windowScale, 1.0f);
    EXPECT_EQ(windowBox().w, 640);
}

TEST_F(DisplayTest, FullscreenSwitchesOnlyWhenTheModeDiffers) {
    EXPECT_EQ(setFullscreen(0), nullptr);  // already windowed
    EXPECT_EQ(setFullscreen(1), screen.window);
    EXPECT_TRUE(isFullscreen());
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);
    EXPECT_EQ(setFullscreen(1), nullptr);
    EXPECT_EQ(setFullscreen(0), screen.window);
    EXPECT_FALSE(isFullscreen());
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_ENABLE);
    toggleFullscreen();
    EXPECT_TRUE(isFullscreen());
    toggleFullscreen();
    EXPECT_FALSE(isFullscreen());
    EXPECT_FLOAT_EQ(screen.windowScale, 1.0f);
}

TEST_F(DisplayTest, AfterCloseEverythingBehavesAsWithoutAWindow) {
    closeScreen();
    EXPECT_EQ(screen.window, nullptr);
    EXPECT_EQ(screen.renderer, nullptr);
    EXPECT_EQ(screen.keyState, nullptr);
    EXPECT_TRUE(isFullscreen());
    EXPECT_FALSE(setWindowScale(1.5f));
    EXPECT_EQ(setFullscreen(1), nullptr);
    EXPECT_EQ(setFullscreen(0), nullptr);
    toggleFullscreen();
    presentFrame();
    applyScreenSettings();
    EXPECT_FALSE(keyDown(SDL_SCANCODE_A));
    EXPECT_FALSE(keyPushed(SDL_SCANCODE_A));
    closeScreen();  // twice is harmless
    EXPECT_NE(openScreen(640, 480, 1, TITLE, 1.0f), nullptr);
}

TEST_F(DisplayTest, WindowScaleNeedsAPositiveScaleAndAWindow) {
    EXPECT_FALSE(setWindowScale(0.0f));
    EXPECT_FALSE(setWindowScale(-1.0f));
    setFullscreen(1);
    EXPECT_FALSE(setWindowScale(1.2f));
    setFullscreen(0);
    EXPECT_TRUE(setWindowScale(1.2f));
    EXPECT_EQ(windowBox().w, 768);
    EXPECT_EQ(windowBox().h, 576);
}

TEST_F(DisplayTest, RefusedSizeIsCentredAsGranted) {
    WindowBox before = windowBox();
    int centreX = before.x + before.w / 2, centreY = before.y + before.h / 2;
    SDL_SetWindowMaximumSize(screen.window, 801, 601);
    ASSERT_TRUE(setWindowScale(1.5f));
    WindowBox after = windowBox();
    EXPECT_EQ(after.w, 801);
    EXPECT_EQ(after.h, 601);
    EXPECT_EQ(after.x, centreX - 801 / 2);
    EXPECT_EQ(after.y, centreY - 601 / 2);
}

TEST_F(DisplayTest, ZoomLevelsGiveTheTableSizesAroundTheSameCentre) {
    FakeKeyboard keys;
    // Down to 4, then all the way up to 15: every level once in each direction.
    for (int level = 9; level >= 4; --level) {
        WindowBox before = windowBox();
        tapKeys(keys, {SDL_SCANCODE_MINUS});
        WindowBox after = windowBox();
        ASSERT_EQ(shell.zoomLevel, level);
        EXPECT_EQ(after.w, 64 * level);
        EXPECT_EQ(after.h, 48 * level);
        EXPECT_EQ(after.x + after.w / 2, before.x + before.w / 2) << "level " << level;
        EXPECT_EQ(after.y + after.h / 2, before.y + before.h / 2) << "level " << level;
    }
    for (int level = 5; level <= 15; ++level) {
        WindowBox before = windowBox();
        tapKeys(keys, {level % 2 ? SDL_SCANCODE_EQUALS : SDL_SCANCODE_KP_PLUS});
        WindowBox after = windowBox();
        ASSERT_EQ(shell.zoomLevel, level);
        EXPECT_EQ(after.w, 64 * level);
        EXPECT_EQ(after.h, 48 * level);
        EXPECT_FLOAT_EQ(screen.windowScale, level * 0.1f);
        EXPECT_EQ(after.x + after.w / 2, before.x + before.w / 2) << "level " << level;
        EXPECT_EQ(after.y + after.h / 2, before.y + before.h / 2) << "level " << level;
    }
}

TEST_F(DisplayTest, ZoomStopsAtItsBounds) {
    FakeKeyboard keys;
    for (int i = 0; i < 8; ++i) tapKeys(keys, {SDL_SCANCODE_EQUALS});
    EXPECT_EQ(shell.zoomLevel, 15);
    EXPECT_EQ(windowBox().w, 960);
    for (int i = 0; i < 14; ++i) tapKeys(keys, {SDL_SCANCODE_KP_MINUS});
    EXPECT_EQ(shell.zoomLevel, 4);
    EXPECT_EQ(windowBox().w, 256);
    tapKeys(keys, {SDL_SCANCODE_KP_0});
    EXPECT_EQ(shell.zoomLevel, 10);
    EXPECT_EQ(windowBox().w, 640);
}

TEST_F(DisplayTest, HeldZoomKeyActsOnce) {
    FakeKeyboard keys;
    for (int i = 0; i < 5; ++i) frameWithKeys(keys, {SDL_SCANCODE_EQUALS});
    EXPECT_EQ(shell.zoomLevel, 11);
}

TEST_F(DisplayTest, ZeroAtDefaultLevelLeavesTheWindowAlone) {
    FakeKeyboard keys;
    SDL_SetWindowSize(screen.window, 500, 400);
    SDL_SetWindowPosition(screen.window, 17, 23);
    tapKeys(keys, {SDL_SCANCODE_0});
    WindowBox box = windowBox();
    EXPECT_EQ(shell.zoomLevel, 10);
    EXPECT_EQ(box.w, 500);
    EXPECT_EQ(box.h, 400);
    EXPECT_EQ(box.x, 17);
    EXPECT_EQ(box.y, 23);
}

TEST_F(DisplayTest, ZeroWinsOverPlusAndPlusOverMinus) {
    FakeKeyboard keys;
    tapKeys(keys, {SDL_SCANCODE_EQUALS});
    tapKeys(keys, {SDL_SCANCODE_EQUALS});
    ASSERT_EQ(shell.zoomLevel, 12);
    tapKeys(keys, {SDL_SCANCODE_0, SDL_SCANCODE_EQUALS, SDL_SCANCODE_MINUS});
    EXPECT_EQ(shell.zoomLevel, 10);
    EXPECT_EQ(windowBox().w, 640);
    tapKeys(keys, {SDL_SCANCODE_KP_PLUS, SDL_SCANCODE_MINUS});
    EXPECT_EQ(shell.zoomLevel, 11);
    EXPECT_EQ(windowBox().w, 704);
}

TEST_F(DisplayTest, ZoomKeysDoNothingInFullscreen) {
    FakeKeyboard keys;
    tapKeys(keys, {SDL_SCANCODE_EQUALS});
    ASSERT_EQ(shell.zoomLevel, 11);
    setFullscreen(1);
    tapKeys(keys, {SDL_SCANCODE_EQUALS});
    tapKeys(keys, {SDL_SCANCODE_MINUS});
    tapKeys(keys, {SDL_SCANCODE_0});
    EXPECT_EQ(shell.zoomLevel, 11);
    EXPECT_FLOAT_EQ(screen.windowScale, 1.1f);
    setFullscreen(0);
    EXPECT_EQ(shell.zoomLevel, 11);
}

TEST(DisplayVersion, VersionNumbersPackThreeBytes) {
    EXPECT_EQ(versionNumber(2, 0, 14), 0x02000E);
    EXPECT_EQ(versionNumber(2, 26, 5), (2 << 16) | (26 << 8) | 5);
    EXPECT_EQ(versionNumber(0x102, 0x1FF, 0x310), 0x02FF10);  // each part keeps its low byte
    EXPECT_LT(versionNumber(2, 0, 12), versionNumber(2, 0, 14));
    EXPECT_LT(versionNumber(1, 255, 255), versionNumber(2, 0, 0));
}

TEST(DisplayVersion, LinkedVersionTextMatchesItsNumber) {
    SDL_version linked;
    SDL_GetVersion(&linked);
    EXPECT_EQ(sdlVersionNumber(), versionNumber(linked.major, linked.minor, linked.patch));
    std::string expected = std::to_string(linked.major) + "." + std::to_string(linked.minor) + "." +
                           std::to_string(linked.patch);
    EXPECT_EQ(sdlVersionString(), expected);
}

TEST(DisplayStart, ImageFlagsMustAllStartOrSdlIsStoppedAgain) {
    useHeadlessDrivers();
    EXPECT_FALSE(initSdl(SDL_INIT_VIDEO, 0x4000));
    EXPECT_EQ(SDL_WasInit(SDL_INIT_VIDEO), 0u);
    EXPECT_TRUE(initSdl(SDL_INIT_VIDEO, IMG_INIT_PNG));
    EXPECT_NE(SDL_WasInit(SDL_INIT_VIDEO), 0u);
    shutdownVideo();
    EXPECT_EQ(SDL_WasInit(SDL_INIT_VIDEO), 0u);
    shutdownVideo();  // again, with nothing started
}

// No display to reach and no driver asked for: SDL's windowless fallback would leave a game
// running that nobody can see, so the start fails instead.
TEST(DisplayStart, NoDisplayFailsUnlessAWindowlessDriverIsAskedFor) {
    const char* display = SDL_getenv("DISPLAY");
    std::string savedDisplay = display ? display : "";
    unsetenv("SDL_VIDEODRIVER");
    unsetenv("WAYLAND_DISPLAY");
    setenv("DISPLAY", ":4711", 1);
    if (initSdl(SDL_INIT_VIDEO, IMG_INIT_PNG)) {
        std::string driver = SDL_GetCurrentVideoDriver();  // a real one found another way
        EXPECT_NE(driver, "offscreen");
        EXPECT_NE(driver, "dummy");
        shutdownVideo();
    } else {
        EXPECT_EQ(SDL_WasInit(SDL_INIT_VIDEO), 0u);
    }
    if (display) {
        setenv("DISPLAY", savedDisplay.c_str(), 1);
    } else {
        unsetenv("DISPLAY");
    }
    useHeadlessDrivers();
    EXPECT_TRUE(initSdl(SDL_INIT_VIDEO, IMG_INIT_PNG));
    shutdownVideo();
}

}  // namespace
