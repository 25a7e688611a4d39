#include <gtest/gtest.h>

#include <sys/resource.h>

#include <csignal>
#include <filesystem>

#include "shell/display.h"
#include "shell/platform.h"
#include "shell/screenshot.h"
#include "tests/support/launch_support.h"

using namespace launchtest;
namespace fs = std::filesystem;

namespace {

// "Kestravel_" then YYYYMMDD-hhmmss (a pattern of digits), then `rest`.
bool isStampedName(const std::string& name, const std::string& rest) {
    const std::string prefix = "Kestravel_";
    const std::string digits = "dddddddd-dddddd";
    if (name.size() != prefix.size() + digits.size() + rest.size()) return false;
    if (name.compare(0, prefix.size(), prefix) != 0) return false;
    for (size_t i = 0; i < digits.size(); ++i) {
        char c = name[prefix.size() + i];
        if (digits[i] == 'd' ? (c < '0' || c > '9') : c != digits[i]) return false;
    }
    return name.compare(prefix.size() + digits.size(), rest.size(), rest) == 0;
}

}  // namespace

TEST(UniqueFilePath, NumbersNamesTakenWithinOneSecond) {
    ScratchFolder folder;
    const std::string first = uniqueFilePath(folder.path(), "Kestravel_20261208-000742", "png");
    EXPECT_EQ(first, folder / "Kestravel_20261208-000742.png");
    ASSERT_TRUE(writeText(first, "x"));
    const std::string second = uniqueFilePath(folder.path(), "Kestravel_20261208-000742", "png");
    EXPECT_EQ(second, folder / "Kestravel_20261208-000742-2.png");
    ASSERT_TRUE(writeText(second, "x"));
    EXPECT_EQ(uniqueFilePath(folder.path(), "Kestravel_20261208-000742", "png"),
              folder / "Kestravel_20261208-000742-3.png");
    EXPECT_EQ(readText(first), "x") << "an existing screenshot must never be touched";
}

TEST(UniqueFilePath, SkipsAFolderCarryingTheName) {
    ScratchFolder folder;
    ASSERT_TRUE(makeFolders(folder / "shot.png"));
    EXPECT_EQ(uniqueFilePath(folder.path(), "shot", "png"), folder / "shot-2.png");
    ASSERT_TRUE(makeFolders(folder / "shot-2.png"));
    EXPECT_EQ(uniqueFilePath(folder.path(), "shot", "png"), folder / "shot-3.png");
}

TEST(UniqueFilePath, EmptyPartsAndSeparators) {
    ScratchFolder folder;
    EXPECT_EQ(uniqueFilePath(folder.path(), "", "png"), folder / "temp.png");
    EXPECT_EQ(uniqueFilePath(folder.path(), "notes", ""), folder / "notes");
    EXPECT_EQ(uniqueFilePath(folder.path() + "///", "a", "png"), folder / "a.png");
    {
        WorkingFolder inside(folder.path());
        EXPECT_EQ(uniqueFilePath("", "a", "png"), "a.png") << "no folder means the current directory";
        ASSERT_TRUE(writeText("a.png", ""));
        EXPECT_EQ(uniqueFilePath("", "a", "png"), "a-2.png");
    }
}

TEST(WithTrailingSeparator, LeavesExactlyOne) {
    EXPECT_EQ(withTrailingSeparator(""), "");
    EXPECT_EQ(withTrailingSeparator("/home/k/Pictures"), "/home/k/Pictures/");
    EXPECT_EQ(withTrailingSeparator("/home/k/Pictures/"), "/home/k/Pictures/");
    EXPECT_EQ(withTrailingSeparator("/home/k/Pictures////"), "/home/k/Pictures/");
    EXPECT_EQ(withTrailingSeparator("///"), "/");
}

TEST(ScreenshotName, IsTheGameNameAndLocalTimeStamp) {
    std::string name = screenshotName();
    ASSERT_TRUE(isStampedName(name, "")) << name;
    EXPECT_EQ(name.compare(10, 2, "20"), 0) << name;
    int hour = std::stoi(name.substr(19, 2)), minute = std::stoi(name.substr(21, 2)), second = std::stoi(name.substr(23, 2));
    EXPECT_LE(hour, 23);
    EXPECT_LE(minute, 59);
    EXPECT_LE(second, 60);
}

TEST(TrimmedSize, KeepsTheFourByThreeArea) {
    int w = 0;
    int h = 0;
    EXPECT_TRUE(trimmedSize(1920, 1080, &w, &h));
    EXPECT_EQ(w, 1440);
    EXPECT_EQ(h, 1080);
    EXPECT_FALSE(trimmedSize(1024, 768, &w, &h));
    EXPECT_EQ(w, 1024);
    EXPECT_EQ(h, 768);
    EXPECT_TRUE(trimmedSize(1080, 1920, &w, &h)) << "a tall output loses its bottom";
    EXPECT_EQ(w, 1080);
    EXPECT_EQ(h, 810);
    // Truncating division decides the odd sizes.
    EXPECT_TRUE(trimmedSize(1366, 768, &w, &h));
    EXPECT_EQ(w, 1024);
    EXPECT_TRUE(trimmedSize(1001, 750, &w, &h));
    EXPECT_EQ(w, 1000);
    EXPECT_TRUE(trimmedSize(1001, 751, &w, &h)) << "751 * 640 / 480 is 1001, but 1001 * 480 / 640 is 750";
    EXPECT_EQ(w, 1001);
    EXPECT_EQ(h, 750);
}

class ScreenshotFile : public ::testing::Test {
protected:
    void TearDown() override { closeOffscreenScreen(); }
    void open(int w, int h, int windowed) {
        if (!openOffscreenScreen(w, h, windowed)) GTEST_SKIP() << "no offscreen renderer: " << SDL_GetError();
        drawTestPattern();
        SDL_RenderPresent(screen.renderer);
        drawTestPattern();
    }
    ScratchFolder folder;
};

TEST_F(ScreenshotFile, HasTheWindowSizeAtEveryZoom) {
    for (int zoom : {10, 4, 15}) {
        SCOPED_TRACE(zoom);
        const int w = 64 * zoom;
        const int h = 48 * zoom;
        open(w, h, 1);
        if (IsSkipped()) return;
        const std::string path = folder / ("zoom" + std::to_string(zoom) + ".png");
        ASSERT_TRUE(saveScreenshot(path));
        int fw = 0;
        int fh = 0;
        ASSERT_TRUE(pictureSize(path, &fw, &fh));
        EXPECT_EQ(fw, w);
        EXPECT_EQ(fh, h);
        EXPECT_EQ(picturePixel(path, 2, h / 2) & 0xFFFFFF, 0x1E1EC8u) << "left band is red";
        EXPECT_EQ(picturePixel(path, w - 3, h / 2) & 0xFFFFFF, 0x1EC81Eu) << "right band is green";
        closeOffscreenScreen();
    }
}

TEST_F(ScreenshotFile, FullscreenIsTrimmedToTheGameArea) {
    open(1920, 1080, 0);
    if (IsSkipped()) return;
    const std::string path = folder / "full.png";
    ASSERT_TRUE(saveScreenshot(path));
    int w = 0;
    int h = 0;
    ASSERT_TRUE(pictureSize(path, &w, &h));
    EXPECT_EQ(w, 1440);
    EXPECT_EQ(h, 1080);
    EXPECT_EQ(picturePixel(path, 0, 0) & 0xFFFFFF, 0x1E1EC8u) << "the game area starts at the top-left";
    EXPECT_EQ(picturePixel(path, 1439, 1079) & 0xFFFFFF, 0x1EC81Eu);
}

TEST_F(ScreenshotFile, FullscreenFourByThreeIsLeftAlone) {
    open(800, 600, 0);
    if (IsSkipped()) return;
    const std::string path = folder / "full.png";
    ASSERT_TRUE(saveScreenshot(path));
    int w = 0;
    int h = 0;
    ASSERT_TRUE(pictureSize(path, &w, &h));
    EXPECT_EQ(w, 800);
    EXPECT_EQ(h, 600);
}

TEST_F(ScreenshotFile, WindowedWideOutputKeepsItsTransparentStrip) {
    open(1920, 1080, 1);
    if (IsSkipped()) return;
    const std::string path = folder / "wide.png";
    ASSERT_TRUE(saveScreenshot(path));
    int w = 0;
    int h = 0;
    ASSERT_TRUE(pictureSize(path, &w, &h));
    EXPECT_EQ(w, 1920);
    EXPECT_EQ(picturePixel(path, 1900, 500), 0u) << "outside the viewport stays transparent black";
}

TEST_F(ScreenshotFile, FailuresAreQuiet) {
    EXPECT_FALSE(saveScreenshot(folder / "none.png")) << "no renderer yet";
    EXPECT_FALSE(fs::exists(folder / "none.png"));
    open(640, 480, 1);
    if (IsSkipped()) return;
    EXPECT_FALSE(saveScreenshot(""));
    EXPECT_FALSE(saveScreenshot(folder / "missing/folder/shot.png"));
    // No pictures folder: the shot lands in the working directory, kept inside the scratch folder.
    EnvironmentOverride config("XDG_CONFIG_HOME", (folder / "config").c_str());
    EnvironmentOverride home("HOME", folder.path().c_str());
    ASSERT_TRUE(makeFolders(folder / "run"));
    WorkingFolder inside(folder / "run");
    takeScreenshot();  // it must not bring the game down
}

TEST_F(ScreenshotFile, TakeScreenshotUsesHomeThenTheCurrentDirectoryWithoutPicturesFolder) {
    open(640, 480, 1);
    if (IsSkipped()) return;
    EnvironmentOverride config("XDG_CONFIG_HOME", (folder / "config").c_str());
    ASSERT_TRUE(makeFolders(folder / "home"));
    ASSERT_TRUE(makeFolders(folder / "run"));
    WorkingFolder inside(folder / "run");
    {
        EnvironmentOverride home("HOME", (folder / "home").c_str());
        takeScreenshot();
        takeScreenshot();
    }
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder / "home")) names.push_back(entry.path().filename().string());
    ASSERT_EQ(names.size(), 2u) << "the second shot must not overwrite the first";
    for (const std::string& name : names) {
        EXPECT_TRUE(isStampedName(name, ".png") || isStampedName(name, "-2.png")) << name;
        int w = 0;
        int h = 0;
        EXPECT_TRUE(pictureSize(folder / ("home/" + name), &w, &h));
        EXPECT_EQ(w, 640);
    }
    EnvironmentOverride noHome("HOME", (folder / "gone").c_str());
    takeScreenshot();
    EXPECT_EQ(std::distance(fs::directory_iterator(folder / "run"), fs::directory_iterator()), 1);
}

TEST_F(ScreenshotFile, AFullDiskLeavesNothingAndUsesUpNoName) {
    for (int windowed : {1, 0}) {
        open(1920, 1080, windowed);
        if (IsSkipped()) return;
        // Writes past the file-size limit fail the way they do on a full disk.
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit before{};
        ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &before), 0);
        rlimit small = before;
        small.rlim_cur = 512;
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
        bool saved = false;
        for (int i = 0; i < 3; i++) saved = saved || saveScreenshot(uniqueFilePath(folder.path(), "shot", "png"));
        setrlimit(RLIMIT_FSIZE, &before);
        EXPECT_FALSE(saved);
        EXPECT_TRUE(fs::is_empty(folder.path())) << "no cut-off, empty or temporary files";
        ASSERT_TRUE(saveScreenshot(uniqueFilePath(folder.path(), "shot", "png")));
        EXPECT_TRUE(fs::exists(folder / "shot.png")) << "failures used up no name";
        fs::remove(folder / "shot.png");
        closeOffscreenScreen();
    }
}

TEST_F(ScreenshotFile, TakeScreenshotWritesIntoThePicturesFolder) {
    open(640, 480, 1);
    if (IsSkipped()) return;
    EnvironmentOverride config("XDG_CONFIG_HOME", (folder / "config").c_str());
    EnvironmentOverride home("HOME", folder.path().c_str());
    ASSERT_TRUE(makeFolders(folder / "config"));
    ASSERT_TRUE(makeFolders(folder / "My Pictures"));
    ASSERT_TRUE(writeText(folder / "config/user-dirs.dirs", "XDG_PICTURES_DIR=\"$HOME/My Pictures\"\n"));
    ASSERT_TRUE(makeFolders(folder / "run"));
    WorkingFolder inside(folder / "run");
    takeScreenshot();
    EXPECT_TRUE(fs::is_empty(folder / "run"));
    int shots = 0;
    for (const auto& entry : fs::directory_iterator(folder / "My Pictures"))
        shots += entry.path().extension() == ".png";
    EXPECT_EQ(shots, 1);
}

class PicturesFolder : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(makeFolders(folder / "config"));
        ASSERT_TRUE(makeFolders(folder / "Pictures"));
    }
    void configure(const std::string& text) { ASSERT_TRUE(writeText(folder / "config/user-dirs.dirs", text)); }
    ScratchFolder folder;
    EnvironmentOverride home{"HOME", folder.path().c_str()};
    EnvironmentOverride config{"XDG_CONFIG_HOME", (folder / "config").c_str()};
};

TEST_F(PicturesFolder, ExpandsHomeAndSkipsEverythingElse) {
    configure(
        "# This file is written by xdg-user-dirs-update\n"
        "XDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
        "  # XDG_PICTURES_DIR=\"/nowhere\"\n"
        "XDG_PICTURES_DIR=\"$HOME/Pictures\"\n"
        "XDG_VIDEOS_DIR=\"$HOME/Videos\"\n");
    EXPECT_EQ(picturesFolder(), folder / "Pictures");
}

TEST_F(PicturesFolder, TakesAbsolutePathsQuotesAndLastAssignment) {
    ASSERT_TRUE(makeFolders(folder / "a \"b\""));
    configure("XDG_PICTURES_DIR=\"$HOME/Pictures\"\r\nXDG_PICTURES_DIR=\"" + folder.path() + "/a \\\"b\\\"/\"\r\n");
    EXPECT_EQ(picturesFolder(), folder / "a \"b\"");
}

TEST_F(PicturesFolder, IsHomeWithoutAnEntryAndEmptyForAnUnusableOne) {
    EXPECT_EQ(picturesFolder(), folder.path()) << "no user-dirs.dirs: home";
    configure("XDG_DESKTOP_DIR=\"$HOME/Desktop\"\n");
    EXPECT_EQ(picturesFolder(), folder.path()) << "no pictures entry: home";
    configure("XDG_PICTURES_DIR=\"$HOME/Missing\"\n");
    EXPECT_EQ(picturesFolder(), "") << "the folder does not exist";
    configure("XDG_PICTURES_DIR=\"Pictures\"\n");
    EXPECT_EQ(picturesFolder(), "") << "relative paths name nothing";
    configure("XDG_PICTURES_DIR=\"$HOME/Pictures\n");
    EXPECT_EQ(picturesFolder(), folder.path()) << "an unterminated quote is no entry";
    configure("XDG_PICTURES_DIR=$HOME/Missing\nXDG_PICTURES_DIRECTORY=\"$HOME/Missing\"\n");
    EXPECT_EQ(picturesFolder(), folder.path()) << "neither line is an entry";
    configure("XDG_PICTURES_DIR=\"$HOME/Pictures\"\nXDG_PICTURES_DIR=\"\"\n");
    EXPECT_EQ(picturesFolder(), folder.path()) << "a later empty assignment wins and means home";
    static const char nulBytes[] = "XDG_PICTURES_DIR=\"\0\"\n\0\0";
    configure(std::string(nulBytes, sizeof nulBytes - 1));
    EXPECT_EQ(picturesFolder(), "");
}

TEST_F(PicturesFolder, FallsBackToTheConfigFolderInHome) {
    ASSERT_TRUE(makeFolders(folder / ".config"));
    ASSERT_TRUE(writeText(folder / ".config/user-dirs.dirs", "XDG_PICTURES_DIR=\"$HOME/Pictures\"\n"));
    {
        EnvironmentOverride unset("XDG_CONFIG_HOME", nullptr);
        EXPECT_EQ(picturesFolder(), folder / "Pictures");
    }
    {
        EnvironmentOverride relative("XDG_CONFIG_HOME", "config");
        EXPECT_EQ(picturesFolder(), folder / "Pictures") << "a relative config home is ignored";
    }
}

TEST_F(PicturesFolder, SurvivesAMissingHome) {
    EnvironmentOverride noHome("HOME", nullptr);
    configure("XDG_PICTURES_DIR=\"" + folder.path() + "/Pictures\"\n");
    EXPECT_EQ(picturesFolder(), folder / "Pictures") << "absolute entries need no home";
    configure("XDG_PICTURES_DIR=\"$HOME/Pictures\"\n");
    const std::string found = picturesFolder();  // the password database's home, if its Pictures exists
    EXPECT_TRUE(found.empty() || fs::is_directory(found)) << found;
}

TEST(WindowIcon, MissingPicturesAndWindowsAreHarmless) {
    screen.window = nullptr;
    applyWindowIcon(std::string(KESTRAVEL_SOURCE_DIR) + "/data/graphics/icon.png");
    if (!openOffscreenScreen(640, 480, 1)) GTEST_SKIP() << "no offscreen renderer";
    applyWindowIcon("");
    applyWindowIcon("no/such/icon.png");
    applyWindowIcon(std::string(KESTRAVEL_SOURCE_DIR) + "/data/graphics/icon.png");
    EXPECT_NE(SDL_GetWindowID(screen.window), 0u);
    closeOffscreenScreen();
}
