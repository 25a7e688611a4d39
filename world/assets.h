#pragma once
#include <string>

#include "world/world.h"
// Every picture, sound and the font, loaded once at start-up.
struct Sprite;
struct Font;

struct AssetState {
    Sprite* sheets[10];      // tile sheet per zone distance
    Sprite* splashLogo;      // start-up logo
    Sprite* stars[3];        // room star, empty slot, filled slot
    Sprite* narrowKeys;      // key icons of the controls page
    Sprite* wideKeys;        // wide key icons of the controls page
    Font* font;              // the one bitmap font
    float starScale;         // drawing scale shared by the three star sprites
};
extern AssetState assets;

// The world is read from worldFile, or left as it is when that is empty; the game ends when the
// file is missing or too large.
void loadAssets(const std::string& worldFile = WORLD_FILE);
void initWorld();
