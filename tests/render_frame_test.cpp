#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <new>
#include <vector>

#include "gameplay/flow.h"
#include "gameplay/movement.h"
#include "gameplay/sound.h"
#include "gameplay/state.h"
#include "render/font.h"
#include "render/frame.h"
#include "render/sprite.h"
#include "shell/display.h"
#include "shell/platform.h"
#include "shell/shell.h"
#include "tests/support/render_support.h"
#include "world/assets.h"
#include "world/world.h"

using namespace rendertest;

// Counts the game's own heap allocations while a frame is drawn.
static bool countingAllocations = false;
static int allocations = 0;

// AddressSanitizer brings its own allocator; the count is taken in ordinary builds only.
#if defined(__SANITIZE_ADDRESS__)
#define KESTRAVEL_COUNT_ALLOCATIONS 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KESTRAVEL_COUNT_ALLOCATIONS 0
#endif
#endif
#ifndef KESTRAVEL_COUNT_ALLOCATIONS
#define KESTRAVEL_COUNT_ALLOCATIONS 1
#endif

#if KESTRAVEL_COUNT_ALLOCATIONS
// GCC cannot see that these replace the global pair, and takes free() after new for a mismatch.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(std::size_t size) {
    if (countingAllocations) allocations++;
    if (void* memory = std::malloc(size ? size : 1)) return memory;
    throw std::bad_alloc();
}
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
#endif

namespace {

int64_t clockAt0() { return 0; }
int64_t clockAtPeak() { return 942; }     // 600 * pi / 2
int64_t clockAtTrough() { return 2827; }  // 600 * 3 pi / 2

int tileIndex(int column, int row) { return column + row * ZONE_COLUMNS; }

// Top-left screen pixel of a tile.
int tileX(int column) { return column * TILE_SIZE; }
int tileY(int row) { return ZONE_HEIGHT - (row + 1) * TILE_SIZE; }

class FrameTest : public RenderTest {
protected:
    void SetUp() override {
        RenderTest::SetUp();
        ASSERT_TRUE(loadTestPictures(dir));
        // A standing player out of the way, in the bottom-left open area.
        player.x = 600;
        player.y = 200;
        player.flags = 0;
    }
    Uint8 playerAlpha() {
        Uint8 alpha = 0;
        SDL_GetTextureAlphaMod(player.sprite->texture, &alpha);
        return alpha;
    }
};

TEST(TileFrame, FirstMatchingRuleWins) {
    EXPECT_EQ(tileFrame(TILE_WALL, DIR_NONE, 5, 5), 0);
    EXPECT_EQ(tileFrame(TILE_WALL | TILE_STAR, DIR_UP, 0, 0), 0);
    EXPECT_EQ(tileFrame(TILE_CHECKPOINT, DIR_NONE, 5, 5), 2);
    EXPECT_EQ(tileFrame(TILE_CHECKPOINT_ACTIVE, DIR_NONE, 5, 5), 2);
    EXPECT_EQ(tileFrame(TILE_SPIKE, DIR_NONE, 5, 5), 3);
    EXPECT_EQ(tileFrame(TILE_SPIKE, DIR_UP, 0, 0), 4);
    EXPECT_EQ(tileFrame(TILE_SPIKE, DIR_RIGHT, 5, 5), 5);
    EXPECT_EQ(tileFrame(TILE_SPIKE, DIR_DOWN, 5, 5), 6);
    EXPECT_EQ(tileFrame(TILE_SPIKE, DIR_LEFT, 5, 5), 7);
    // Open border tiles: rows are tested before columns.
    EXPECT_EQ(tileFrame(TILE_EMPTY, DIR_UP, 0, 0), 10);
    EXPECT_EQ(tileFrame(TILE_EMPTY, DIR_DOWN, 15, 11), 8);
    EXPECT_EQ(tileFrame(TILE_EMPTY, DIR_NONE, 0, 11), 8);
    EXPECT_EQ(tileFrame(TILE_STAR, DIR_NONE, 15, 0), 10);
    EXPECT_EQ(tileFrame(TILE_EMPTY, DIR_RIGHT, 0, 6), 11);
    EXPECT_EQ(tileFrame(TILE_EMPTY, DIR_LEFT, 15, 6), 9);
    EXPECT_EQ(tileFrame(TILE_EMPTY, DIR_NONE, 7, 6), -1);
    EXPECT_EQ(tileFrame(TILE_STAR, DIR_NONE, 7, 6), -1);
}

TEST_F(FrameTest, TilesAndRoomStars) {
    room.tileFlags[tileIndex(5, 5)] = TILE_WALL | TILE_STAR;
    room.tileFlags[tileIndex(7, 5)] = TILE_SPIKE;
    room.tileDirection[tileIndex(7, 5)] = DIR_LEFT;
    room.tileFlags[tileIndex(8, 5)] = TILE_SPIKE;  // kept DIR_NONE
    room.tileFlags[tileIndex(9, 5)] = TILE_CHECKPOINT;
    room.tileFlags[tileIndex(10, 5)] = TILE_CHECKPOINT_ACTIVE;
    room.tileFlags[tileIndex(3, 3)] = TILE_STAR;
    drawFrame();

    EXPECT_EQ(paletteAt(tileX(0) + 1, tileY(0) + 1), 10);
    EXPECT_EQ(paletteAt(tileX(15) + 1, tileY(11) + 1), 8);
    EXPECT_EQ(paletteAt(tileX(0) + 1, tileY(6) + 1), 11);
    EXPECT_EQ(paletteAt(tileX(15) + 1, tileY(6) + 1), 9);
    EXPECT_EQ(paletteAt(tileX(4) + 20, tileY(4) + 20), 1);  // background shows through

    // The wall is drawn and the star sits centred on it (24 x 32 at scale 0.5).
    EXPECT_EQ(paletteAt(tileX(5) + 1, tileY(5) + 1), 0);
    EXPECT_EQ(paletteAt(tileX(5) + 7, tileY(5) + 3), 0);
    EXPECT_EQ(paletteAt(tileX(5) + 8, tileY(5) + 4), 20);
    EXPECT_EQ(paletteAt(tileX(5) + 31, tileY(5) + 35), 20);
    EXPECT_EQ(paletteAt(tileX(5) + 32, tileY(5) + 36), 0);
    EXPECT_EQ(paletteAt(tileX(3) + 20, tileY(3) + 20), 20);
    EXPECT_EQ(paletteAt(tileX(3) + 2, tileY(3) + 20), 1);

    EXPECT_EQ(paletteAt(tileX(7) + 20, tileY(5) + 20), 7);
    EXPECT_EQ(paletteAt(tileX(8) + 20, tileY(5) + 20), 3);
    EXPECT_EQ(paletteAt(tileX(9) + 20, tileY(5) + 20), 2);
    EXPECT_EQ(paletteAt(tileX(10) + 20, tileY(5) + 20), 2);
}

TEST_F(FrameTest, SheetFollowsZoneDistance) {
    progress.zoneDistance = 4;
    room.tileFlags[tileIndex(6, 6)] = TILE_WALL;
    drawFrame();
    EXPECT_EQ(paletteAt(300, 100), 25);               // background frame of the far sheet
    EXPECT_EQ(paletteAt(tileX(6) + 5, tileY(6) + 5), 24);

    // A missing sheet: no background and no tiles, the rest still drawn.
    freeSprite(assets.sheets[4]);
    assets.sheets[4] = nullptr;
    player.x = 100;
    drawFrame();
    EXPECT_EQ(paletteAt(300, 100), -1);
    EXPECT_EQ(paletteAt(tileX(6) + 5, tileY(6) + 5), -1);
    EXPECT_EQ(paletteAt(110, 480 - 200 - 16), 12);
}

TEST_F(FrameTest, PlayerPositionRoundsToNearest) {
    player.x = 100.4f;
    player.y = 40;
    player.animFrame = 3;
    drawFrame();
    EXPECT_EQ(paletteAt(100, 408), 15);
    EXPECT_EQ(paletteAt(131, 439), 15);
    EXPECT_NE(paletteAt(99, 408), 15);
    EXPECT_NE(paletteAt(100, 407), 15);
    EXPECT_NE(paletteAt(132, 439), 15);
    EXPECT_NE(paletteAt(131, 440), 15);

    player.x = 100.5f;
    player.facing = -1;  // mirrored, still the same box
    drawFrame();
    EXPECT_EQ(paletteAt(101, 408), 15);
    EXPECT_NE(paletteAt(100, 408), 15);
    EXPECT_EQ(playerAlpha(), 255);
}

TEST_F(FrameTest, PausedPlayerPulsesWithTheClock) {
    flow.paused = 1;
    setClockSource(clockAt0);
    drawFrame();
    EXPECT_EQ(playerAlpha(), 140);
    setClockSource(clockAtPeak);
    drawFrame();
    EXPECT_EQ(playerAlpha(), 240);
    setClockSource(clockAtTrough);
    drawFrame();
    EXPECT_EQ(playerAlpha(), 40);
    flow.paused = 0;
    drawFrame();
    EXPECT_EQ(playerAlpha(), 255);
}

TEST_F(FrameTest, FadeOpacity) {
    SDL_Color background = paletteColour(1);
    const struct {
        int timer;
        int alpha;
    } cases[] = {{60, 0}, {45, 127}, {30, 255}, {0, 0}, {15, 127}, {1, 8}};
    for (const auto& c : cases) {
        game.fadeTimer = c.timer;
        drawFrame();
        int under = 255 - c.alpha;
        EXPECT_TRUE(near(readPixel(300, 100), blend(background.r, under, 0), blend(background.g, under, 0),
                         blend(background.b, under, 0)))
            << "fadeTimer " << c.timer;
    }
    // Full black covers the room, the tiles and the player alike.
    game.fadeTimer = 30;
    player.x = 100;
    drawFrame();
    for (int y = 0; y < 480; y += 37) {
        for (int x = 0; x < 640; x += 41) ASSERT_EQ(paletteAt(x, y), -1) << x << "," << y;
    }
}

TEST_F(FrameTest, JumpPreviewFadesInAfterSixtyIdleUpdatesAndOutFiveTimesFaster) {
    progress.zoneDistance = 1;
    freeSprite(assets.sheets[1]);
    assets.sheets[1] = nullptr;  // black behind the preview
    movement.jumpPreviewRow = 6;
    movement.previewX = 300;
    movement.previewFrame = 5;
    movement.previewFacing = 1;

    movement.idleFrames = 59;
    drawFrame();
    EXPECT_EQ(game.previewAlpha, 0);
    EXPECT_EQ(paletteAt(310, 220), -1);

    movement.idleFrames = 60;
    drawFrame();
    EXPECT_EQ(game.previewAlpha, 1);
    for (int i = 0; i < 200; i++) drawFrame();
    EXPECT_EQ(game.previewAlpha, 128);
    EXPECT_EQ(frame.previewScreenY, 480 - 6 * 40 - 32);
    SDL_Color c = paletteColour(17);
    EXPECT_TRUE(near(readPixel(300, 208), blend(c.r, 128, 0), blend(c.g, 128, 0), blend(c.b, 128, 0)));
    EXPECT_TRUE(near(readPixel(300, 207), 0, 0, 0));
    EXPECT_TRUE(near(readPixel(299, 208), 0, 0, 0));
    EXPECT_EQ(playerAlpha(), 255);  // the player's own alpha comes back

    // Paused: the preview holds.
    flow.paused = 1;
    player.flags = PLAYER_AIRBORNE;
    drawFrame();
    EXPECT_EQ(game.previewAlpha, 128);
    flow.paused = 0;

    for (int i = 0; i < 25; i++) drawFrame();
    EXPECT_EQ(game.previewAlpha, 3);
    drawFrame();
    EXPECT_EQ(game.previewAlpha, 0);
    drawFrame();
    EXPECT_EQ(game.previewAlpha, 0);

    // Idle too briefly on the ground also fades it out.
    player.flags = 0;
    game.previewAlpha = 50;
    movement.idleFrames = 10;
    drawFrame();
    EXPECT_EQ(game.previewAlpha, 45);
}

TEST_F(FrameTest, NoPreviewAtTheCheckpointZone) {
    progress.zoneDistance = 0;
    movement.idleFrames = 100;
    game.previewAlpha = 100;
    movement.previewX = 300;
    movement.jumpPreviewRow = 6;
    movement.previewFrame = 5;
    drawFrame();
    EXPECT_EQ(game.previewAlpha, 0);
    EXPECT_EQ(paletteAt(310, 220), 1);
    progress.zoneDistance = 1;
    drawFrame();
    EXPECT_EQ(game.previewAlpha, 1);  // starts again from nothing
}

TEST_F(FrameTest, SplashPhaseDrawsOnlyTheLogoThenBlack) {
    room.tileFlags[tileIndex(0, 0)] = TILE_WALL;
    player.x = 100;
    game.fadeTimer = 0;

    flow.introFrames = 0;
    drawFrame();
    EXPECT_EQ(paletteAt(270, 215), 23);  // 100 x 50 logo centred
    EXPECT_EQ(paletteAt(369, 264), 23);
    EXPECT_EQ(paletteAt(269, 215), -1);
    EXPECT_EQ(paletteAt(370, 264), -1);
    EXPECT_EQ(paletteAt(5, 5), -1);

    for (int intro : {74, 75, 104}) {
        flow.introFrames = intro;
        drawFrame();
        EXPECT_EQ(paletteAt(300, 240), intro < 75 ? 23 : -1) << intro;
        for (int y = 0; y < 480; y += 29) {
            for (int x = 0; x < 640; x += 31) {
                if (intro < 75 && x >= 270 && x < 370 && y >= 215 && y < 265) continue;
                ASSERT_EQ(paletteAt(x, y), -1) << intro << ": " << x << "," << y;
            }
        }
        EXPECT_EQ(sound.musicStartState, 0);
        EXPECT_EQ(intro, flow.introFrames);  // drawing never advances the intro
    }

    flow.introFrames = 105;
    drawFrame();
    EXPECT_EQ(paletteAt(5, 475), 0);
    EXPECT_EQ(sound.musicStartState, 1);
    sound.musicStartState = 2;
    drawFrame();
    EXPECT_EQ(sound.musicStartState, 2);
}

TEST_F(FrameTest, DrawingAllocatesNothing) {
    if (!KESTRAVEL_COUNT_ALLOCATIONS) GTEST_SKIP() << "allocations are not counted under the address sanitizer";
    std::vector<TestGlyph> glyphs;
    for (int c = ' '; c <= 'Z'; c++) glyphs.push_back({c, 6});
    ASSERT_TRUE(writeFontImage(dir + "/font.png", 1, 30, glyphs));
    assets.font = loadFont(dir + "/font.png");
    ASSERT_NE(assets.font, nullptr);
    for (int i = 0; i < ZONE_TILES; i++) {
        room.tileFlags[i] = (i % 3 == 0 ? TILE_WALL : i % 3 == 1 ? TILE_SPIKE : TILE_EMPTY) | TILE_STAR;
    }
    progress.zoneDistance = 2;
    progress.collectedStarCount = 10;
    game.gameComplete = 1;
    game.timeFrames = 223380;
    game.fadeTimer = 40;
    game.titleFrames = 100;
    movement.idleFrames = 100;
    shell.showFps = 1;
    shell.fpsEstimate = 59.98f;
    ASSERT_TRUE(createRoomCache());
    allocations = 0;
    countingAllocations = true;
    // An explicit call, because an optimiser may drop a new/delete pair.
    void* probe = ::operator new(sizeof(int));  // the counter itself works
    countingAllocations = false;
    ::operator delete(probe);
    ASSERT_EQ(allocations, 1);
    allocations = 0;
    for (int page : {-1, MENU_MAIN, MENU_CONTROLS, MENU_ABOUT}) {
        flow.paused = page >= 0;
        flow.menuPage = page >= 0 ? page : MENU_MAIN;
        countingAllocations = true;
        drawFrame();
        countingAllocations = false;
        EXPECT_EQ(allocations, 0) << "page " << page;
    }
}

// The whole frame as it stands, read back.
std::vector<Uint32> wholeFrame() {
    std::vector<Uint32> pixels(640 * 480);
    SDL_RenderReadPixels(screen.renderer, nullptr, SDL_PIXELFORMAT_ARGB8888, pixels.data(), 640 * 4);
    return pixels;
}

// The frame drawn without a kept room, which is left as it was found.
std::vector<Uint32> frameDrawnStraight() {
    bool kept = frame.roomCache != nullptr;
    freeRoomCache();
    drawFrame();
    std::vector<Uint32> pixels = wholeFrame();
    if (kept) createRoomCache();
    return pixels;
}

TEST_F(FrameTest, KeptRoomLooksLikeTheRoomDrawnStraightAndFollowsEveryChange) {
    for (int column = 0; column < ZONE_COLUMNS; column++) room.tileFlags[tileIndex(column, 0)] = TILE_WALL;
    room.tileFlags[tileIndex(3, 3)] = TILE_SPIKE;
    room.tileDirection[tileIndex(3, 3)] = DIR_LEFT;
    room.tileFlags[tileIndex(5, 1)] = TILE_CHECKPOINT;
    room.tileFlags[tileIndex(8, 4)] = TILE_STAR;
    room.tileFlags[tileIndex(9, 4)] = TILE_WALL | TILE_STAR;
    progress.zoneDistance = 1;
    player.x = 300;
    player.y = 40;
    std::vector<Uint32> straight = frameDrawnStraight();
    ASSERT_TRUE(createRoomCache()) << SDL_GetError();

    drawFrame();
    EXPECT_TRUE(wholeFrame() == straight) << "first frame with the room kept";
    drawFrame();
    EXPECT_TRUE(wholeFrame() == straight) << "the kept room copied again";

    // Every change the game makes to a room shows at once.
    struct Change {
        const char* what;
        void (*apply)();
    };
    const Change changes[] = {
        {"a star taken", [] { room.tileFlags[tileIndex(8, 4)] &= ~TILE_STAR; }},
        {"a checkpoint lit", [] { room.tileFlags[tileIndex(5, 1)] = TILE_CHECKPOINT | TILE_CHECKPOINT_ACTIVE; }},
        {"a spike turned", [] { room.tileDirection[tileIndex(3, 3)] = DIR_UP; }},
        {"another distance", [] { progress.zoneDistance = 0; }},
        {"another zone", [] {
             for (int i = 0; i < ZONE_TILES; i++) room.tileFlags[i] = i % 5 == 0 ? TILE_WALL : TILE_EMPTY;
         }},
    };
    for (const Change& change : changes) {
        change.apply();
        drawFrame();
        std::vector<Uint32> kept = wholeFrame();
        EXPECT_TRUE(kept == frameDrawnStraight()) << change.what;
    }

    // A sheet freed and another loaded, most likely at the same address.
    drawFrame();
    freeSprite(assets.sheets[0]);
    assets.sheets[0] = loadSprite(dir + "/sheet1.png");
    ASSERT_TRUE(setSpriteFrames(assets.sheets[0], 12, 1));
    drawFrame();
    std::vector<Uint32> kept = wholeFrame();
    EXPECT_TRUE(kept == frameDrawnStraight()) << "after the sheet was loaded again";
}

// The frame at whatever size the output has.
std::vector<Uint32> outputFrame() {
    int w = 0;
    int h = 0;
    SDL_GetRendererOutputSize(screen.renderer, &w, &h);
    std::vector<Uint32> pixels(static_cast<size_t>(w) * h);
    SDL_RenderReadPixels(screen.renderer, nullptr, SDL_PIXELFORMAT_ARGB8888, pixels.data(), w * 4);
    return pixels;
}

TEST_F(FrameTest, KeptRoomMatchesTheStraightRoomAtEveryScaleWithTheShippedPictures) {
    const std::string graphics = std::string(KESTRAVEL_SOURCE_DIR) + "/data/graphics/";
    freeAssets();
    for (int i = 0; i < 10; i++) {
        assets.sheets[i] = loadSprite(graphics + "sheet" + std::to_string(i) + ".png");
        ASSERT_TRUE(setSpriteFrames(assets.sheets[i], 12, 1));
    }
    for (int i = 0; i < 3; i++) assets.stars[i] = loadSprite(graphics + "star2" + std::to_string(i) + ".png");
    assets.starScale = 32.0f / float(spriteDrawHeight(assets.stars[2]));
    for (Sprite* star : assets.stars) setSpriteScale(star, assets.starScale, assets.starScale);
    for (int column = 0; column < ZONE_COLUMNS; column++) room.tileFlags[tileIndex(column, 0)] = TILE_WALL;
    room.tileFlags[tileIndex(4, 1)] = TILE_SPIKE;
    room.tileDirection[tileIndex(4, 1)] = DIR_UP;
    room.tileFlags[tileIndex(7, 3)] = TILE_STAR;
    room.tileFlags[tileIndex(2, 1)] = TILE_CHECKPOINT;
    progress.zoneDistance = 3;
    ASSERT_TRUE(createRoomCache());
    const std::pair<int, int> outputs[] = {{640, 480}, {1280, 960}, {1920, 1080}};
    for (const auto& [w, h] : outputs) {
        SCOPED_TRACE(std::to_string(w) + " x " + std::to_string(h));
        SDL_SetWindowSize(screen.window, w, h);
        SDL_RenderSetLogicalSize(screen.renderer, 640, 480);
        int ow = 0;
        int oh = 0;
        SDL_GetRendererOutputSize(screen.renderer, &ow, &oh);
        if (ow != w || oh != h) GTEST_SKIP() << "the offscreen window did not take the size";
        drawFrame();
        std::vector<Uint32> kept = outputFrame();
        freeRoomCache();
        drawFrame();
        std::vector<Uint32> straight = outputFrame();
        ASSERT_TRUE(createRoomCache());
        EXPECT_TRUE(kept == straight);
        // Contents dropped by the driver are noticed without being told by anyone but the display.
        drawFrame();
        SDL_SetRenderTarget(screen.renderer, frame.roomCache);
        SDL_SetRenderDrawColor(screen.renderer, 255, 0, 255, 255);
        SDL_RenderClear(screen.renderer);
        SDL_SetRenderTarget(screen.renderer, nullptr);
        screen.targetResets++;
        drawFrame();
        EXPECT_TRUE(outputFrame() == straight) << "after the render targets were reset";
    }
    SDL_SetWindowSize(screen.window, 640, 480);
    SDL_RenderSetLogicalSize(screen.renderer, 640, 480);
}

TEST_F(FrameTest, NothingMissingStopsTheFrame) {
    freeAssets();
    room.tileFlags[tileIndex(5, 5)] = TILE_WALL | TILE_STAR;
    game.fadeTimer = 40;
    flow.paused = 1;
    drawFrame();
    EXPECT_EQ(sound.musicStartState, 1);
}

}  // namespace
