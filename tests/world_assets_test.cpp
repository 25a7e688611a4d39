#include <gtest/gtest.h>
#include <sys/wait.h>

#include <SDL.h>
#include <SDL_image.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "gameplay/state.h"
#include "render/font.h"
#include "render/sprite.h"
#include "shell/display.h"
#include "shell/platform.h"
#include "tests/support/world_support.h"
#include "world/assets.h"
#include "world/world.h"

namespace {

bool exitedAtAll(int status) { return WIFEXITED(status); }

// Runs each test inside a fresh data folder and brings the working directory back.
class AssetFolder : public ::testing::Test {
protected:
    void SetUp() override {
        remembered = currentDirectory();
        folder = makeTempFolder("kestravel-assets");
        ASSERT_FALSE(folder.empty());
        ASSERT_TRUE(changeDirectory(folder));
        resetWorldState();
        resetGameState();
        assets = AssetState{};
    }
    void TearDown() override {
        freeAssets();
        changeDirectory(remembered);
        removeTree(folder);
    }
    void writeWorld() {
        writeBytes(folder + "/data/game/world1.txt",
                   joinLines({"start:", "0", "0", "0", "0", "2", "1", "", "zone:0,0", "", "", "", "", "", "",
                              "", "", "", "", "", "wwww", ""}));
    }
    std::string remembered;
    std::string folder;
};

class AssetRenderer : public AssetFolder {
protected:
    void SetUp() override {
        AssetFolder::SetUp();
        setenv("SDL_VIDEODRIVER", "offscreen", 1);
        if (SDL_Init(SDL_INIT_VIDEO) != 0) GTEST_SKIP() << "no offscreen video: " << SDL_GetError();
        IMG_Init(IMG_INIT_PNG);
        if (!openScreen(640, 480, 1, "assets", 1.0f)) GTEST_SKIP() << "no renderer";
    }
    void TearDown() override {
        AssetFolder::TearDown();
        closeScreen();
        SDL_Quit();
    }
    void writeImage(const std::string& name, int width, int height) {
        SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, SDL_PIXELFORMAT_RGBA32);
        ASSERT_NE(surface, nullptr);
        SDL_FillRect(surface, nullptr, SDL_MapRGBA(surface->format, 200, 100, 50, 255));
        writeBytes(folder + "/data/graphics/.keep", "");
        ASSERT_EQ(IMG_SavePNG(surface, (folder + "/data/graphics/" + name).c_str()), 0);
        SDL_FreeSurface(surface);
    }
};

}  // namespace

TEST_F(AssetFolder, MissingWorldFileEndsTheProgram) {
    EXPECT_EXIT(
        {
            unsetenv("DISPLAY");
            unsetenv("WAYLAND_DISPLAY");
            loadAssets();
        },
        exitedAtAll, "Game data not found!");
}

TEST_F(AssetFolder, FolderNamedLikeTheWorldFileDoesNotCount) {
    writeBytes(folder + "/data/game/world1.txt/inside", "x");
    EXPECT_EXIT(
        {
            unsetenv("DISPLAY");
            unsetenv("WAYLAND_DISPLAY");
            loadAssets();
        },
        exitedAtAll, "Game data not found!");
}

TEST_F(AssetRenderer, WorldOverTheSizeBoundEndsTheProgramBeforeAnyPicture) {
    writeImage("sheet0.png", 480, 40);
    writeWorld();
    std::filesystem::resize_file(folder + "/data/game/world1.txt", WORLD_MAX_BYTES + 1);
    EXPECT_EXIT(
        {
            unsetenv("DISPLAY");
            unsetenv("WAYLAND_DISPLAY");
            std::atexit([] { std::fprintf(stderr, "sheets loaded: %d\n", assets.sheets[0] ? 1 : 0); });
            loadAssets();
        },
        exitedAtAll, "Game data not found!(.|\n)*sheets loaded: 0");
}

TEST_F(AssetFolder, WithoutPicturesTheGameRunsOn) {
    writeWorld();
    initWorld();
    for (Sprite* sheet : assets.sheets) EXPECT_EQ(sheet, nullptr);
    EXPECT_EQ(assets.stars[2], nullptr);
    EXPECT_EQ(player.sprite, nullptr);
    EXPECT_EQ(assets.font, nullptr);
    EXPECT_FLOAT_EQ(assets.starScale, 1.0f);  // no filled star to measure
    // The world is read and the start zone built.
    EXPECT_EQ(world.lines.size(), 22u);
    EXPECT_EQ(flagAt(3, 0), TILE_WALL);
    EXPECT_FLOAT_EQ(player.x, 84.0f);
    EXPECT_FLOAT_EQ(player.y, 44.0f);
}

TEST_F(AssetRenderer, StarScaleFromTheFilledStar) {
    writeWorld();
    writeImage("star20.png", 40, 40);
    writeImage("star21.png", 64, 64);
    writeImage("star22.png", 64, 64);
    loadAssets();
    ASSERT_NE(assets.stars[2], nullptr);
    EXPECT_FLOAT_EQ(assets.starScale, 0.5f);
    EXPECT_EQ(spriteDrawHeight(assets.stars[2]), 32);
    EXPECT_EQ(spriteDrawHeight(assets.stars[1]), 32);
    EXPECT_EQ(spriteDrawHeight(assets.stars[0]), 20);
}

TEST_F(AssetRenderer, SheetsAndIconGrids) {
    writeWorld();
    writeImage("sheet3.png", 480, 40);
    writeImage("sheet10.png", 480, 40);
    writeImage("sheet03.png", 480, 40);
    writeImage("cloak.png", 256, 32);
    writeImage("narrow.png", 110, 10);
    writeImage("wide.png", 61, 10);  // does not divide into 6: stays one frame
    writeImage("morvelt.png", 10, 10);
    initWorld();
    for (int i = 0; i < 10; ++i) EXPECT_EQ(assets.sheets[i] != nullptr, i == 3) << i;
    ASSERT_NE(assets.sheets[3], nullptr);
    EXPECT_EQ(assets.sheets[3]->columns, 12);
    EXPECT_EQ(assets.sheets[3]->rows, 1);
    ASSERT_NE(player.sprite, nullptr);
    EXPECT_EQ(player.sprite->columns, 8);
    ASSERT_NE(assets.narrowKeys, nullptr);
    EXPECT_EQ(assets.narrowKeys->columns, 11);
    ASSERT_NE(assets.wideKeys, nullptr);
    EXPECT_EQ(assets.wideKeys->columns, 1);
    EXPECT_NE(assets.splashLogo, nullptr);
    // The reset after loading keeps the sprite in the player record.
    EXPECT_FLOAT_EQ(player.width, 32.0f);
}
