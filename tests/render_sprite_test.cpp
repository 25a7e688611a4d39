#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "gameplay/state.h"
#include "render/font.h"
#include "render/sprite.h"
#include "shell/display.h"
#include "tests/support/render_support.h"
#include "world/assets.h"

using namespace rendertest;

namespace {

class SpriteTest : public RenderTest {
protected:
    void SetUp() override {
        RenderTest::SetUp();
        ASSERT_TRUE(writeCellSheet(dir + "/sheet.png", 12, 1, 40, 40, 0));
        ASSERT_TRUE(writeCellSheet(dir + "/grid.png", 3, 2, 10, 20, 0));
        ASSERT_TRUE(writeFlatImage(dir + "/star.png", 48, 64, paletteColour(20)));
    }
};

TEST_F(SpriteTest, LoadedSpriteIsOneFrameCoveringTheImage) {
    Sprite* sprite = loadSprite(dir + "/sheet.png");
    ASSERT_NE(sprite, nullptr);
    EXPECT_EQ(sprite->width, 480);
    EXPECT_EQ(sprite->height, 40);
    EXPECT_EQ(sprite->frameCount, 1);
    EXPECT_EQ(sprite->frame, 0);
    EXPECT_EQ(sprite->source.x, 0);
    EXPECT_EQ(sprite->source.w, 480);
    EXPECT_EQ(sprite->drawWidth, 480);
    EXPECT_EQ(sprite->drawHeight, 40);
    EXPECT_FLOAT_EQ(sprite->scaleX, 1.0f);
    EXPECT_EQ(sprite->surface, nullptr) << "the pixels go once the texture holds them";
    freeSprite(sprite);
    sprite = loadSprite(dir + "/sheet.png", true);
    ASSERT_NE(sprite, nullptr);
    EXPECT_NE(sprite->surface, nullptr) << "kept when asked for";
    freeSprite(sprite);
}

TEST_F(SpriteTest, MissingOrUndecodableFilesGiveNull) {
    EXPECT_EQ(loadSprite(dir + "/nothing.png"), nullptr);
    FILE* junk = std::fopen((dir + "/junk.png").c_str(), "wb");
    ASSERT_NE(junk, nullptr);
    std::fputs("not a picture", junk);
    std::fclose(junk);
    EXPECT_EQ(loadSprite(dir + "/junk.png"), nullptr);
    // Sizes are judged from the header, at the bounds: 8192 a side and 64 megapixels.
    auto acceptable = [](uint32_t w, uint32_t h) {
        std::string bytes("\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR", 16);
        for (uint32_t v : {w, h})
            for (int shift = 24; shift >= 0; shift -= 8) bytes += char((v >> shift) & 0xFF);
        SDL_RWops* io = SDL_RWFromConstMem(bytes.data(), int(bytes.size()));
        const bool ok = pictureSizeAcceptable(io);
        EXPECT_EQ(SDL_RWtell(io), 0) << "the reader is left where it was";
        SDL_RWclose(io);
        return ok;
    };
    EXPECT_TRUE(acceptable(8192, 8192));
    EXPECT_TRUE(acceptable(1, 1));
    EXPECT_FALSE(acceptable(8193, 1));
    EXPECT_FALSE(acceptable(1, 8193));
    EXPECT_FALSE(acceptable(0, 10));
    EXPECT_FALSE(acceptable(0xFFFFFFFF, 0xFFFFFFFF));
}

TEST_F(SpriteTest, EmptyPathOrNoRendererNeverReachesTheDecoder) {
    // The decoder reports every failed open through SDL's error text; it stays untouched.
    SDL_ClearError();
    EXPECT_EQ(loadSprite(""), nullptr);
    EXPECT_STREQ(SDL_GetError(), "");

    SDL_Renderer* renderer = screen.renderer;
    screen.renderer = nullptr;
    SDL_ClearError();
    EXPECT_EQ(loadSprite(dir + "/nothing.png"), nullptr);
    EXPECT_STREQ(SDL_GetError(), "");
    EXPECT_EQ(loadSprite(dir + "/sheet.png"), nullptr);
    // Drawing without a renderer is silent too.
    drawSprite(nullptr, 0, 0);
    fillRect(0, 0, 10, 10, rgba(255, 0, 0, 255));
    clearScreen(0);
    screen.renderer = renderer;
}

TEST_F(SpriteTest, FrameGridsAndSelection) {
    Sprite* sheet = loadSprite(dir + "/sheet.png");
    ASSERT_NE(sheet, nullptr);
    ASSERT_TRUE(setSpriteFrames(sheet, 12, 1));
    EXPECT_EQ(sheet->source.w, 40);
    EXPECT_EQ(sheet->source.h, 40);
    EXPECT_EQ(sheet->drawWidth, 40);
    EXPECT_TRUE(selectFrame(sheet, 4));
    EXPECT_EQ(sheet->source.x, 160);
    EXPECT_EQ(sheet->source.y, 0);
    EXPECT_TRUE(selectFrame(sheet, 11));
    EXPECT_EQ(sheet->source.x, 440);

    // 480 is no multiple of 7: the old grid and frame stay.
    EXPECT_FALSE(setSpriteFrames(sheet, 7, 1));
    EXPECT_FALSE(setSpriteFrames(sheet, 0, 1));
    EXPECT_FALSE(setSpriteFrames(sheet, 12, -1));
    EXPECT_EQ(sheet->columns, 12);
    EXPECT_EQ(sheet->frame, 11);

    EXPECT_FALSE(selectFrame(sheet, sheet->frameCount));
    EXPECT_FALSE(selectFrame(sheet, -1));
    EXPECT_EQ(sheet->frame, 11);
    EXPECT_EQ(sheet->source.x, 440);

    // A draw after a refused selection shows the previous frame.
    clearScreen(0);
    drawSprite(sheet, 100, 100);
    EXPECT_EQ(paletteAt(100, 100), 11);
    EXPECT_EQ(paletteAt(139, 139), 11);
    EXPECT_EQ(paletteAt(140, 100), -1);
    freeSprite(sheet);
}

TEST_F(SpriteTest, FramesAreNumberedRowByRow) {
    Sprite* grid = loadSprite(dir + "/grid.png");  // 3 x 2 cells of 10 x 20
    ASSERT_NE(grid, nullptr);
    ASSERT_TRUE(setSpriteFrames(grid, 3, 2));
    ASSERT_TRUE(selectFrame(grid, 4));
    EXPECT_EQ(grid->source.x, 10);
    EXPECT_EQ(grid->source.y, 20);
    clearScreen(0);
    drawSprite(grid, 0, 0);
    EXPECT_EQ(paletteAt(5, 10), 4);
    ASSERT_TRUE(selectFrame(grid, 2));
    drawSpriteSized(grid, 50, 50, 30, 5);
    EXPECT_EQ(paletteAt(50, 50), 2);
    EXPECT_EQ(paletteAt(79, 54), 2);
    EXPECT_EQ(paletteAt(80, 54), -1);
    EXPECT_EQ(paletteAt(79, 55), -1);
    freeSprite(grid);
}

TEST_F(SpriteTest, ScaleRules) {
    Sprite* sprite = loadSprite(dir + "/grid.png");
    ASSERT_NE(sprite, nullptr);
    ASSERT_TRUE(setSpriteFrames(sprite, 3, 2));

    setSpriteScale(sprite, 2.0f, 0.0f);
    EXPECT_FLOAT_EQ(sprite->scaleY, 2.0f);  // taken from scaleX, not 1.0
    EXPECT_EQ(sprite->drawWidth, 20);
    EXPECT_EQ(sprite->drawHeight, 40);

    setSpriteScale(sprite, -1.0f, -1.0f);
    EXPECT_FLOAT_EQ(sprite->scaleX, 1.0f);
    EXPECT_FLOAT_EQ(sprite->scaleY, 1.0f);
    EXPECT_EQ(sprite->drawWidth, 10);

    // The scale truncates; a new grid rounds to nearest with the kept scale.
    setSpriteScale(sprite, 0.27f, 0.27f);
    EXPECT_EQ(sprite->drawWidth, 2);   // 2.7
    EXPECT_EQ(sprite->drawHeight, 5);  // 5.4
    ASSERT_TRUE(setSpriteFrames(sprite, 3, 2));
    EXPECT_EQ(sprite->drawWidth, 3);
    EXPECT_EQ(sprite->drawHeight, 5);
    freeSprite(sprite);

    // The star rule: 32 / height of the filled star.
    Sprite* star = loadSprite(dir + "/star.png");
    ASSERT_NE(star, nullptr);
    float s = 32.0f / float(spriteDrawHeight(star));
    EXPECT_FLOAT_EQ(s, 0.5f);
    setSpriteScale(star, s, s);
    EXPECT_EQ(spriteDrawHeight(star), 32);
    EXPECT_EQ(spriteDrawWidth(star), 24);
    freeSprite(star);

    EXPECT_EQ(spriteDrawHeight(nullptr), 0);
    EXPECT_EQ(spriteDrawWidth(nullptr), 0);
    setSpriteScale(nullptr, 2.0f, 2.0f);
    EXPECT_FALSE(setSpriteFrames(nullptr, 1, 1));
    EXPECT_FALSE(selectFrame(nullptr, 0));
}

TEST_F(SpriteTest, AlphaIsClampedAndStaysOnTheTexture) {
    Sprite* sprite = loadSprite(dir + "/star.png");
    ASSERT_NE(sprite, nullptr);
    Uint8 alpha = 0;
    setSpriteAlpha(sprite, 300);
    SDL_GetTextureAlphaMod(sprite->texture, &alpha);
    EXPECT_EQ(alpha, 255);
    setSpriteAlpha(sprite, -5);
    SDL_GetTextureAlphaMod(sprite->texture, &alpha);
    EXPECT_EQ(alpha, 0);

    setSpriteAlpha(sprite, 128);
    clearScreen(0);
    drawSprite(sprite, 0, 0);
    drawSprite(sprite, 100, 0);  // still 128 on the next draw
    SDL_Color c = paletteColour(20);
    EXPECT_TRUE(near(readPixel(10, 10), blend(c.r, 128, 0), blend(c.g, 128, 0), blend(c.b, 128, 0)));
    EXPECT_TRUE(near(readPixel(110, 10), blend(c.r, 128, 0), blend(c.g, 128, 0), blend(c.b, 128, 0)));
    setSpriteAlpha(nullptr, 10);
    freeSprite(sprite);
}

TEST_F(SpriteTest, MirroredDrawFlipsTheFrame) {
    Sprite* grid = loadSprite(dir + "/grid.png");
    ASSERT_NE(grid, nullptr);
    ASSERT_TRUE(setSpriteFrames(grid, 1, 2));  // 30 x 20 frames of three coloured columns
    clearScreen(0);
    drawSpriteEx(grid, 0, 0, 0.0, 0);
    drawSpriteEx(grid, 100, 0, 0.0, 1);
    EXPECT_EQ(paletteAt(2, 5), 0);
    EXPECT_EQ(paletteAt(27, 5), 2);
    EXPECT_EQ(paletteAt(102, 5), 2);
    EXPECT_EQ(paletteAt(127, 5), 0);
    freeSprite(grid);
}

TEST_F(SpriteTest, FillsAndClears) {
    clearScreen(rgba(200, 10, 10, 0));  // alpha ignored: the clear is opaque
    EXPECT_TRUE(near(readPixel(5, 5), 200, 10, 10));
    clearScreen(0);
    fillRect(10, 10, 20, 20, rgba(200, 100, 50, 128));
    EXPECT_TRUE(near(readPixel(15, 15), blend(200, 128, 0), blend(100, 128, 0), blend(50, 128, 0)));
    EXPECT_TRUE(near(readPixel(30, 30), 0, 0, 0));
    fillRectOpaque(10, 10, 20, 20, rgba(200, 100, 50, 0));
    EXPECT_TRUE(near(readPixel(15, 15), 200, 100, 50));
}

TEST_F(SpriteTest, FullscreenClearKeepsTheTargetBlackForBlack) {
    screen.windowed = 0;
    fillRectOpaque(0, 0, 640, 480, rgba(255, 255, 255, 255));
    clearScreen(0);
    EXPECT_TRUE(near(readPixel(0, 0), 0, 0, 0, 0));
    EXPECT_TRUE(near(readPixel(639, 479), 0, 0, 0, 0));
    EXPECT_TRUE(near(readPixel(320, 240), 0, 0, 0, 0));
    // A coloured clear paints the logical area.
    clearScreen(rgba(0, 90, 0, 255));
    EXPECT_TRUE(near(readPixel(320, 240), 0, 90, 0));
}

TEST_F(SpriteTest, FullscreenBarsStayBlack) {
    // A wider output letterboxes the 640 x 480 picture with bars left and right.
    SDL_SetWindowSize(screen.window, 800, 480);
    SDL_PumpEvents();
    SDL_RenderSetLogicalSize(screen.renderer, 640, 480);
    struct Case {
        int windowed;
        bool barsBlack;
    };
    for (Case c : {Case{0, true}, Case{1, false}}) {
        screen.windowed = c.windowed;
        clearScreen(rgba(0, 90, 0, 255));
        // Read the whole output, bars included.
        SDL_RenderSetLogicalSize(screen.renderer, 0, 0);
        SDL_RenderSetViewport(screen.renderer, nullptr);
        int w = 0, h = 0;
        SDL_GetRendererOutputSize(screen.renderer, &w, &h);
        ASSERT_EQ(w, 800);
        if (c.barsBlack) {
            EXPECT_TRUE(near(readPixel(10, 240), 0, 0, 0, 0));
            EXPECT_TRUE(near(readPixel(790, 240), 0, 0, 0, 0));
        } else {
            EXPECT_TRUE(near(readPixel(10, 240), 0, 90, 0));
        }
        EXPECT_TRUE(near(readPixel(400, 240), 0, 90, 0));
        SDL_RenderSetLogicalSize(screen.renderer, 640, 480);
    }
    SDL_SetWindowSize(screen.window, 640, 480);
    SDL_PumpEvents();
    SDL_RenderSetLogicalSize(screen.renderer, 640, 480);
}

TEST_F(SpriteTest, FreeAssetsEmptiesEverySlot) {
    for (Sprite*& sheet : assets.sheets) sheet = loadSprite(dir + "/sheet.png");
    for (Sprite*& star : assets.stars) star = loadSprite(dir + "/star.png");
    player.sprite = loadSprite(dir + "/grid.png");
    assets.splashLogo = loadSprite(dir + "/star.png");
    assets.narrowKeys = loadSprite(dir + "/grid.png");
    assets.wideKeys = nullptr;  // a missing picture is fine too
    ASSERT_TRUE(writeFontImage(dir + "/font.png", 1, 20, {{'A', 5}}));
    assets.font = loadFont(dir + "/font.png");
    ASSERT_NE(assets.font, nullptr);
    freeAssets();
    for (Sprite* sheet : assets.sheets) EXPECT_EQ(sheet, nullptr);
    for (Sprite* star : assets.stars) EXPECT_EQ(star, nullptr);
    EXPECT_EQ(player.sprite, nullptr);
    EXPECT_EQ(assets.splashLogo, nullptr);
    EXPECT_EQ(assets.font, nullptr);
    EXPECT_EQ(assets.narrowKeys, nullptr);
    EXPECT_EQ(assets.wideKeys, nullptr);
    freeAssets();  // twice is harmless
    freeSprite(nullptr);
}

}  // namespace
