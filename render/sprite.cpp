#include "render/sprite.h"
// stub: to be implemented
Colour rgba(int r, int g, int b, int a) { return Colour(r) + Colour(g) * 256u + Colour(b) * 65536u + Colour(a) * 16777216u; }
Sprite* loadSprite(const std::string&) { return nullptr; }
bool setSpriteFrames(Sprite*, int, int) { return false; }
bool selectFrame(Sprite*, int) { return false; }
void setSpriteScale(Sprite*, float, float) {}
void setSpriteAlpha(Sprite*, int) {}
int spriteDrawWidth(const Sprite*) { return 0; }
int spriteDrawHeight(const Sprite*) { return 0; }
void drawSprite(Sprite*, int, int) {}
void drawSpriteSized(Sprite*, int, int, int, int) {}
void drawSpriteEx(Sprite*, int, int, double, int) {}
void setDrawColour(Colour) {}
void setDrawColourOpaque(Colour) {}
void fillRect(int, int, int, int, Colour) {}
void fillRectOpaque(int, int, int, int, Colour) {}
void clearScreen(Colour) {}
void freeSprite(Sprite*) {}
void freeAssets() {}
