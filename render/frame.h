#pragma once
// Drawing one whole frame: room, player, preview, fades, then the screens.
#include <SDL.h>

#include <cstdint>

#include "world/world.h"

struct Sprite;

struct FrameState {
    int32_t previewScreenY;                   // screen y of the jump preview when last drawn
    SDL_Texture* roomCache;                   // the room as last drawn; null draws it straight
    int32_t roomCacheWidth;                   // its size in output pixels: 640 x 480 times the scale
    int32_t roomCacheHeight;
    float cachedScaleX;                       // renderer scale it was drawn at
    float cachedScaleY;
    int32_t cachedTargetResets;               // screen.targetResets when it was drawn
    int32_t roomCacheValid;                   // 0 until drawn, after a change of sprites or lost targets
    const Sprite* cachedSheet;                // tile sheet the kept room was drawn with
    const Sprite* cachedStar;                 // room star picture it was drawn with
    int32_t cachedStarWidth;                  // that star's drawn size
    int32_t cachedStarHeight;
    int32_t cachedFlags[ZONE_TILES];          // the zone's tiles as drawn
    int32_t cachedDirections[ZONE_TILES];     // their spike directions as drawn
};
extern FrameState frame;

void drawFrame();
int tileFrame(int32_t flags, int32_t direction, int column, int row);  // -1 for none
// Background, tiles and room stars of the current zone with the sheet of its distance.
void drawRoom();
// The room changes only when a tile does, so it is drawn once into a texture and copied after.
bool createRoomCache();   // needs the renderer; false leaves the room drawn straight
void freeRoomCache();
void invalidateRoomCache();
