#include "render/frame.h"

#include <cmath>
#include <cstring>

#include "gameplay/flow.h"
#include "gameplay/movement.h"
#include "gameplay/sound.h"
#include "gameplay/state.h"
#include "render/screens.h"
#include "render/sprite.h"
#include "shell/display.h"
#include "shell/platform.h"
#include "world/assets.h"
#include "world/manifest.h"
#include "world/world.h"

FrameState frame;

static int nearest(double v) { return int(std::lround(v)); }

int tileFrame(int32_t flags, int32_t direction, int column, int row) {
    if (flags & TILE_WALL) return SHEET_WALL;
    if (flags & TILE_CHECKPOINT_ACTIVE) return SHEET_CHECKPOINT;
    if (flags & TILE_CHECKPOINT) return SHEET_CHECKPOINT;
    if (flags & TILE_SPIKE) return SHEET_SPIKE + direction;
    // Open tiles on the border show the way out: the row tests win over the column tests.
    if (row == 0) return SHEET_EDGE + DIR_DOWN;
    if (row == ZONE_ROWS - 1) return SHEET_EDGE + DIR_UP;
    if (column == 0) return SHEET_EDGE + DIR_LEFT;
    if (column == ZONE_COLUMNS - 1) return SHEET_EDGE + DIR_RIGHT;
    return -1;
}

static Sprite* currentSheet() {
    int distance = progress.zoneDistance;
    if (distance < 0) distance = 0;
    if (distance > 9) distance = 9;
    return assets.sheets[distance];
}

// The zone is drawn where it fills the screen: zone y up from its bottom, screen y down from its top.
static_assert(ZONE_WIDTH == SCREEN_WIDTH && ZONE_HEIGHT == SCREEN_HEIGHT);

static void drawRoomStraight(Sprite* sheet) {
    if (sheet) {
        selectFrame(sheet, SHEET_BACKGROUND);
        drawSpriteSized(sheet, 0, 0, SCREEN_WIDTH, SCREEN_HEIGHT);
    }

    Sprite* star = assets.stars[0];
    double halfWidth = spriteDrawWidth(star) / 2.0;
    double halfHeight = spriteDrawHeight(star) / 2.0;
    int index = 0;
    for (int row = 0; row < ZONE_ROWS; row++) {
        for (int column = 0; column < ZONE_COLUMNS; column++, index++) {
            int32_t flags = room.tileFlags[index];
            int chosen = tileFrame(flags, room.tileDirection[index], column, row);
            if (chosen >= 0 && sheet) {
                selectFrame(sheet, chosen);
                drawSprite(sheet, column * TILE_SIZE, ZONE_HEIGHT - (row + 1) * TILE_SIZE);
            }
            if (flags & TILE_STAR) {
                setSpriteAlpha(star, 255);
                drawSprite(star, nearest((column + 0.5) * TILE_SIZE - halfWidth),
                           nearest(ZONE_HEIGHT - (row + 0.5) * TILE_SIZE - halfHeight));
            }
        }
    }
}

// The kept room is drawn at the renderer's own scale, so a copy is pixel for pixel what drawing
// straight would give at any zoom or in fullscreen.
static void roomCacheSize(float* scaleX, float* scaleY, int* width, int* height) {
    SDL_RenderGetScale(screen.renderer, scaleX, scaleY);
    if (!(*scaleX > 0.0f) || !(*scaleY > 0.0f)) *scaleX = *scaleY = 1.0f;
    *width = static_cast<int>(std::lround(SCREEN_WIDTH * double(*scaleX)));
    *height = static_cast<int>(std::lround(SCREEN_HEIGHT * double(*scaleY)));
    if (*width < 1) *width = 1;
    if (*height < 1) *height = 1;
}

static bool roomCacheMatches(const Sprite* sheet, float scaleX, float scaleY) {
    const Sprite* star = assets.stars[0];
    return frame.roomCacheValid && frame.cachedSheet == sheet && frame.cachedStar == star &&
           frame.cachedScaleX == scaleX && frame.cachedScaleY == scaleY &&
           frame.cachedTargetResets == screen.targetResets &&
           frame.cachedStarWidth == spriteDrawWidth(star) && frame.cachedStarHeight == spriteDrawHeight(star) &&
           std::memcmp(frame.cachedFlags, room.tileFlags, sizeof frame.cachedFlags) == 0 &&
           std::memcmp(frame.cachedDirections, room.tileDirection, sizeof frame.cachedDirections) == 0;
}

static bool resizeRoomCache(int width, int height) {
    if (frame.roomCache && frame.roomCacheWidth == width && frame.roomCacheHeight == height) return true;
    if (frame.roomCache) SDL_DestroyTexture(frame.roomCache);
    frame.roomCacheValid = 0;
    frame.roomCache =
        SDL_CreateTexture(screen.renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_TARGET, width, height);
    if (!frame.roomCache) return false;
    frame.roomCacheWidth = width;
    frame.roomCacheHeight = height;
    // The background is opaque, so the copy replaces what lies below, as drawing it straight did.
    SDL_SetTextureBlendMode(frame.roomCache, SDL_BLENDMODE_NONE);
    return true;
}

static bool redrawRoomCache(Sprite* sheet, float scaleX, float scaleY) {
    SDL_Texture* previous = SDL_GetRenderTarget(screen.renderer);
    if (SDL_SetRenderTarget(screen.renderer, frame.roomCache) != 0) return false;
    // A target starts at scale 1; leaving it restores the window's scale.
    SDL_RenderSetScale(screen.renderer, scaleX, scaleY);
    // The black the frame was cleared to, below a background that may let it through.
    setDrawColourOpaque(rgba(0, 0, 0, 255));
    SDL_RenderClear(screen.renderer);
    drawRoomStraight(sheet);
    SDL_SetRenderTarget(screen.renderer, previous);
    const Sprite* star = assets.stars[0];
    frame.cachedSheet = sheet;
    frame.cachedStar = star;
    frame.cachedStarWidth = spriteDrawWidth(star);
    frame.cachedStarHeight = spriteDrawHeight(star);
    frame.cachedScaleX = scaleX;
    frame.cachedScaleY = scaleY;
    frame.cachedTargetResets = screen.targetResets;
    std::memcpy(frame.cachedFlags, room.tileFlags, sizeof frame.cachedFlags);
    std::memcpy(frame.cachedDirections, room.tileDirection, sizeof frame.cachedDirections);
    frame.roomCacheValid = 1;
    return true;
}

void drawRoom() {
    Sprite* sheet = currentSheet();
    // Without a sheet the room is only stars over what is already there: nothing to keep.
    if (!frame.roomCache || !sheet || !screen.renderer) {
        drawRoomStraight(sheet);
        return;
    }
    float scaleX = 1.0f;
    float scaleY = 1.0f;
    int width = 0;
    int height = 0;
    roomCacheSize(&scaleX, &scaleY, &width, &height);
    if (!resizeRoomCache(width, height) ||
        (!roomCacheMatches(sheet, scaleX, scaleY) && !redrawRoomCache(sheet, scaleX, scaleY))) {
        frame.roomCacheValid = 0;
        drawRoomStraight(sheet);
        return;
    }
    SDL_Rect whole = {0, 0, SCREEN_WIDTH, SCREEN_HEIGHT};
    SDL_RenderCopy(screen.renderer, frame.roomCache, nullptr, &whole);
}

bool createRoomCache() {
    freeRoomCache();
    if (!screen.renderer) return false;
    SDL_RendererInfo info;
    if (SDL_GetRendererInfo(screen.renderer, &info) != 0 || !(info.flags & SDL_RENDERER_TARGETTEXTURE)) return false;
    float scaleX = 1.0f;
    float scaleY = 1.0f;
    int width = 0;
    int height = 0;
    roomCacheSize(&scaleX, &scaleY, &width, &height);
    return resizeRoomCache(width, height);
}

void freeRoomCache() {
    if (frame.roomCache) SDL_DestroyTexture(frame.roomCache);
    frame.roomCache = nullptr;
    frame.roomCacheWidth = 0;
    frame.roomCacheHeight = 0;
    invalidateRoomCache();
}

void invalidateRoomCache() { frame.roomCacheValid = 0; }

static void drawPlayer() {
    Sprite* sprite = player.sprite;
    selectFrame(sprite, player.animFrame);
    int alpha = 255;
    if (flow.paused) {
        // Pulses between 40 and 240 while the game waits in the menu.
        alpha = nearest(100.0 * std::sin(double(clockMs()) / 600.0) + 140.0);
    }
    setSpriteAlpha(sprite, alpha);
    drawSpriteEx(sprite, nearest(player.x), nearest(double(ZONE_HEIGHT) - player.y - player.height), 0.0,
                 player.facing == 1 ? 0 : 1);
}

static void drawJumpPreview() {
    if (progress.zoneDistance < 1) {
        game.previewAlpha = 0;
        return;
    }
    if (!flow.paused) {
        if ((player.flags & PLAYER_AIRBORNE) || movement.idleFrames < 60) {
            if (game.previewAlpha > 0) game.previewAlpha = game.previewAlpha > 5 ? game.previewAlpha - 5 : 0;
        } else if (game.previewAlpha < 128) {
            game.previewAlpha++;
        }
    }
    if (game.previewAlpha <= 0) return;
    Sprite* sprite = player.sprite;
    frame.previewScreenY = nearest(ZONE_HEIGHT - double(movement.jumpPreviewRow) * TILE_SIZE - player.height);
    setSpriteAlpha(sprite, game.previewAlpha);
    selectFrame(sprite, movement.previewFrame);
    drawSpriteEx(sprite, movement.previewX, frame.previewScreenY, 0.0, movement.previewFacing == 1 ? 0 : 1);
    setSpriteAlpha(sprite, 255);
}

static void drawFade() {
    if (game.fadeTimer <= 0) return;
    double f = game.fadeTimer > 30 ? 1.0 - (game.fadeTimer - 30) / 30.0 : game.fadeTimer / 30.0;
    int alpha = int(f * 255.0);
    if (alpha < 0) alpha = 0;  // a timer beyond 60 would otherwise wrap into the colour
    if (alpha > 255) alpha = 255;
    fillRect(0, 0, SCREEN_WIDTH, SCREEN_HEIGHT, rgba(0, 0, 0, alpha));
}

void drawFrame() {
    if (flow.introFrames < INTRO_FRAMES) {
        clearScreen(0);
        drawSplash();
        return;
    }
    clearScreen(0);
    drawRoom();
    drawPlayer();
    drawJumpPreview();
    drawStarRow();
    drawCompletionStats();
    drawFade();
    drawTitle();
    drawPauseMenu();
    drawFps();
    // The music waits for the first drawn frame of the running game.
    if (sound.musicStartState == 0) sound.musicStartState = 1;
}
