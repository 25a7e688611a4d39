#include <gtest/gtest.h>

#include <SDL.h>
#include <SDL_image.h>
#include <sys/stat.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <new>
#include <string>

#include "gameplay/flow.h"
#include "shell/display.h"
#include "shell/input.h"
#include "shell/platform.h"
#include "shell/shell.h"
#include "tests/support/shell_support.h"

namespace fs = std::filesystem;

// Linked with --wrap: this binary's present behaves like drivers that discard the back buffer.
extern "C" void __real_SDL_RenderPresent(SDL_Renderer* renderer);
extern "C" void __wrap_SDL_RenderPresent(SDL_Renderer* renderer) {
    __real_SDL_RenderPresent(renderer);
    Uint8 r, g, b, a;
    SDL_GetRenderDrawColor(renderer, &r, &g, &b, &a);
    SDL_SetRenderDrawColor(renderer, 255, 0, 255, 255);
    SDL_RenderClear(renderer);
    SDL_SetRenderDrawColor(renderer, r, g, b, a);
}

namespace {

int64_t fakeNow = 0;
int64_t fakeStep = 0;  // added after every reading
int fakeReadings = 0;

int64_t fakeClock() {
    ++fakeReadings;
    int64_t now = fakeNow;
    fakeNow += fakeStep;
    return now;
}

class FakeClockTest : public ::testing::Test {
protected:
    void SetUp() override {
        fakeNow = 0;
        fakeStep = 0;
        fakeReadings = 0;
        setClockSource(fakeClock);
    }
    void TearDown() override { setClockSource(nullptr); }
};

// Frame rate estimate

TEST_F(FakeClockTest, FpsEstimateIsZeroForSixtyFramesThenFollowsTheClock) {
    fakeNow = 5000;
    resetShellState();
    EXPECT_EQ(shell.fpsWindowStart, 5000);
    for (int i = 1; i < 60; ++i) {
        fakeNow += 16;
        updateFpsEstimate();
        ASSERT_EQ(shell.fpsEstimate, 0.0f) << "frame " << i;
    }
    fakeNow += 16;
    updateFpsEstimate();
    EXPECT_EQ(shell.fpsEstimate, 62.5f);
    EXPECT_EQ(shell.fpsFrameCount, 0);
    EXPECT_EQ(shell.fpsWindowStart, 5960);
    for (int i = 0; i < 60; ++i) {
        fakeNow += 20;
        updateFpsEstimate();
    }
    EXPECT_EQ(shell.fpsEstimate, 50.0f);
}

TEST_F(FakeClockTest, FpsEstimateSurvivesAStoppedClock) {
    resetShellState();
    for (int i = 0; i < 60; ++i) updateFpsEstimate();
    EXPECT_EQ(shell.fpsEstimate, 0.0f);
    EXPECT_EQ(shell.fpsFrameCount, 0);
}

TEST_F(FakeClockTest, FpsEstimateCarriesOnPastTheThirtyTwoBitClockWrap) {
    fakeNow = INT32_MAX - 500;  // 24.8 days in
    resetShellState();
    for (int i = 0; i < 60; ++i) {
        fakeNow += 20;
        updateFpsEstimate();
    }
    EXPECT_EQ(shell.fpsEstimate, 50.0f);
}

// Frame cap

TEST_F(FakeClockTest, FrameCapWaitsFourteenMillisecondsSinceTheLastWait) {
    resetShellState();
    shell.lastFrameTime = 100;
    fakeNow = 90;
    fakeStep = 1;
    waitForFrameCap();
    EXPECT_GE(fakeNow, 115);
    EXPECT_EQ(shell.lastFrameTime, 115);  // the fresh reading after the wait
}

TEST_F(FakeClockTest, FrameCapDoesNotWaitWhenTimeHasPassed) {
    resetShellState();
    shell.lastFrameTime = 100;
    fakeNow = 500;
    fakeReadings = 0;
    waitForFrameCap();
    EXPECT_EQ(fakeReadings, 2);
    EXPECT_EQ(shell.lastFrameTime, 500);
}

TEST_F(FakeClockTest, FrameCapComparesInSixtyFourBits) {
    resetShellState();
    // Stored time just below the 32-bit limit, clock already past it: no wait, no overflow.
    shell.lastFrameTime = INT32_MAX - 5;
    fakeNow = (int64_t{1} << 31) + 100;
    fakeReadings = 0;
    waitForFrameCap();
    EXPECT_EQ(fakeReadings, 2);
}

TEST_F(FakeClockTest, FrameCapKeepsPacingPastTheThirtyTwoBitClockWrap) {
    resetShellState();
    fakeNow = (int64_t{1} << 31) + 100;  // 24.8 days in
    waitForFrameCap();
    EXPECT_EQ(shell.lastFrameTime, fakeNow);
    const int64_t previous = fakeNow;
    fakeStep = 1;
    waitForFrameCap();
    EXPECT_GE(fakeNow, previous + 14) << "the next frame came without waiting";
}

TEST(ShellStart, ProgramStartValues) {
    shell.zoomLevel = 3;
    shell.quitGame = 1;
    shell.fpsEstimate = 9.0f;
    resetShellState();
    EXPECT_EQ(shell.zoomLevel, 10);
    EXPECT_EQ(shell.quitGame, 0);
    EXPECT_EQ(shell.fpsEstimate, 0.0f);
    EXPECT_EQ(shell.showFps, 0);
    EXPECT_EQ(shell.lastFrameTime, 0);
}

#ifndef __SANITIZE_ADDRESS__
// Allocations fail on request, as when memory runs out; the sanitizer owns new and delete there.
bool failAllocations = false;
}  // namespace

void* operator new(std::size_t size) {
    for (;;) {
        if (!failAllocations)
            if (void* memory = std::malloc(size ? size : 1)) return memory;
        std::new_handler handler = std::get_new_handler();
        if (!handler) throw std::bad_alloc();
        handler();
    }
}

namespace {
TEST(ShellStart, RunningOutOfMemoryEndsWithItsMessageEvenWhenTheMessageCannotAllocate) {
    EXPECT_EXIT(
        {
            unsetenv("DISPLAY");
            unsetenv("WAYLAND_DISPLAY");
            std::set_new_handler(outOfMemoryExit);
            failAllocations = true;
            std::string text(100, 'x');
        },
        ::testing::ExitedWithCode(1), "Out of memory!");
}
#endif

// The loop itself, with whatever the other subsystems provide.

class LoopTest : public ::testing::Test {
protected:
    void SetUp() override {
        useHeadlessDrivers();
        ASSERT_TRUE(initSdl(SDL_INIT_VIDEO, IMG_INIT_PNG));
        ASSERT_NE(openScreen(SCREEN_WIDTH, SCREEN_HEIGHT, 1, WINDOW_TITLE, 1.0f), nullptr);
        resetShellState();
        resetInputState();
    }
    void TearDown() override { shutdownVideo(); }
};

TEST_F(LoopTest, WindowCloseEndsTheLoopAfterThatFrame) {
    EXPECT_TRUE(runFrame());
    SDL_Event event{};
    event.type = SDL_QUIT;
    SDL_PushEvent(&event);
    EXPECT_FALSE(runFrame());
    EXPECT_TRUE(runFrame());  // the request is consumed
}

int pngFilesUnder(const fs::path& folder) {
    int count = 0;
    std::error_code error;
    for (auto it = fs::recursive_directory_iterator(folder, error); !error && it != fs::recursive_directory_iterator();
         it.increment(error))
        if (it->path().extension() == ".png") ++count;
    return count;
}

TEST_F(LoopTest, QuitGameEndsTheLoopAndScreenshotRequestIsTakenOnce) {
    // Screenshots land in a private pictures folder, never in the user's.
    fs::path home = fs::temp_directory_path() / ("kestravel_loop_" + std::to_string(::getpid()));
    fs::create_directories(home / "Pictures");
    fs::create_directories(home / "config");
    std::ofstream(home / "config" / "user-dirs.dirs") << "XDG_PICTURES_DIR=\"" << (home / "Pictures").string() << "\"\n";
    setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);
    std::string start = currentDirectory();
    ASSERT_TRUE(changeDirectory(home.string()));

    shell.screenshotRequested = 1;
    EXPECT_TRUE(runFrame());
    EXPECT_EQ(shell.screenshotRequested, 0);
    EXPECT_EQ(pngFilesUnder(home), 1);
    for (const auto& entry : fs::directory_iterator(home / "Pictures")) {
        SDL_Surface* shot = IMG_Load(entry.path().c_str());
        ASSERT_NE(shot, nullptr);
        SDL_Surface* argb = SDL_ConvertSurfaceFormat(shot, SDL_PIXELFORMAT_ARGB8888, 0);
        ASSERT_NE(argb, nullptr);
        const uint32_t centre = static_cast<const uint32_t*>(argb->pixels)[240 * argb->pitch / 4 + 320];
        EXPECT_NE(centre & 0xFFFFFF, 0xFF00FFu) << "the picture was read after the back buffer was discarded";
        SDL_FreeSurface(argb);
        SDL_FreeSurface(shot);
    }
    EXPECT_TRUE(runFrame());
    EXPECT_EQ(pngFilesUnder(home), 1);
    shell.quitGame = 1;
    EXPECT_FALSE(runFrame());

    changeDirectory(start);
    unsetenv("XDG_CONFIG_HOME");
    fs::remove_all(home);
}

// Platform layer

TEST(Platform, ClockIsMonotonicAndSleepWaits) {
    int64_t first = clockMs();
    EXPECT_GE(first, 0);
    sleepMs(20);
    int64_t second = clockMs();
    EXPECT_GE(second - first, 19);
    sleepMs(0);
    sleepMs(-5);
    EXPECT_GE(clockMs(), second);
}

TEST(Platform, ClockSourceCanBeReplacedAndRestored) {
    int64_t real = clockMs();
    fakeNow = 123456789;
    fakeStep = 0;
    setClockSource(fakeClock);
    EXPECT_EQ(clockMs(), 123456789);
    setClockSource(nullptr);
    int64_t again = clockMs();
    EXPECT_GE(again, real);
    EXPECT_LT(again, 123456789);
}

TEST(Platform, FileTestsAnswerWithoutThrowing) {
    fs::path folder = fs::temp_directory_path() / ("kestravel_platform_" + std::to_string(::getpid()));
    fs::create_directories(folder / "sub");
    std::ofstream(folder / "file.txt") << "x";
    EXPECT_TRUE(pathExists(folder.string()));
    EXPECT_TRUE(isDirectory(folder.string()));
    EXPECT_FALSE(isRegularFile(folder.string()));
    EXPECT_TRUE(pathExists((folder / "file.txt").string()));
    EXPECT_TRUE(isRegularFile((folder / "file.txt").string()));
    EXPECT_FALSE(isDirectory((folder / "file.txt").string()));
    EXPECT_FALSE(pathExists((folder / "missing").string()));
    EXPECT_FALSE(pathExists(""));
    EXPECT_FALSE(isRegularFile(""));
    EXPECT_FALSE(isDirectory(""));
    // A file used as a folder and an absurdly long name are errors, not exceptions.
    EXPECT_FALSE(pathExists((folder / "file.txt" / "inside").string()));
    EXPECT_FALSE(isRegularFile(std::string(10000, 'a')));
    // Readers with a size bound take only a plain file whose size is known and within it.
    EXPECT_TRUE(isFileWithin((folder / "file.txt").string(), 1));
    EXPECT_FALSE(isFileWithin((folder / "file.txt").string(), 0));
    EXPECT_FALSE(isFileWithin(folder.string(), INT64_MAX));
    EXPECT_FALSE(isFileWithin((folder / "missing").string(), INT64_MAX));
    ASSERT_EQ(mkfifo((folder / "fifo").c_str(), 0600), 0);
    EXPECT_FALSE(isFileWithin((folder / "fifo").string(), INT64_MAX));

    std::string start = currentDirectory();
    ASSERT_FALSE(start.empty());
    EXPECT_NE(start.back(), pathSeparator());
    EXPECT_TRUE(changeDirectory((folder / "sub").string()));
    EXPECT_EQ(fs::path(currentDirectory()), fs::canonical(folder / "sub"));
    EXPECT_TRUE(changeDirectory(".."));
    EXPECT_TRUE(isRegularFile("file.txt"));
    EXPECT_FALSE(changeDirectory("missing"));
    EXPECT_FALSE(changeDirectory("file.txt"));
    EXPECT_FALSE(changeDirectory(""));
    EXPECT_EQ(fs::path(currentDirectory()), fs::canonical(folder));
    EXPECT_TRUE(changeDirectory(start));
    fs::remove_all(folder);
}

TEST(Platform, ExecutableFolderIsWhereTheTestBinaryLives) {
    std::string folder = executableFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_NE(folder.back(), pathSeparator());
    // Test programs are built next to bin/, in tests/.
    fs::path expected = fs::path(KESTRAVEL_BIN_DIR).parent_path() / "tests";
    EXPECT_EQ(fs::canonical(folder), fs::canonical(expected));
}

TEST(Platform, MessageBoxFallsBackToStandardErrorWithoutADisplay) {
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    testing::internal::CaptureStderr();
    showMessageBox("Kestravel - Error", "Game data not found!", MESSAGE_ERROR);
    std::string text = testing::internal::GetCapturedStderr();
    EXPECT_NE(text.find("Kestravel - Error"), std::string::npos);
    EXPECT_NE(text.find("Game data not found!"), std::string::npos);
}

}  // namespace
