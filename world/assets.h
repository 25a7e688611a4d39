#pragma once
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

void loadAssets();
void initWorld();
