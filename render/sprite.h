#pragma once
// Sprites cut into frame grids, colours, fills and the frame clear.
#include <SDL.h>
#include <cstdint>
#include <string>

using Colour = uint32_t;  // red in the lowest byte, alpha in the highest

struct Sprite {
    SDL_Surface* surface;   // decoded image, kept only when asked for (the font reads it); else null
    SDL_Texture* texture;   // on the game's renderer
    int32_t width;          // texture size
    int32_t height;
    int32_t columns;        // frame grid
    int32_t rows;
    int32_t frameCount;     // columns * rows
    int32_t frame;          // selected frame
    SDL_Rect source;        // cell of the selected frame
    float scaleX;           // drawing scale
    float scaleY;
    int32_t drawWidth;      // size when drawn at its own size
    int32_t drawHeight;
};

Colour rgba(int r, int g, int b, int a);
// A PNG from a regular file, refused unheard of when its header claims a size no picture here has.
SDL_Surface* loadPicture(const std::string& path);
bool pictureSizeAcceptable(SDL_RWops* file);  // reads the header and seeks back
// The pixels are dropped once the texture exists unless keepPixels asks for them.
Sprite* loadSprite(const std::string& path, bool keepPixels = false);
bool setSpriteFrames(Sprite* sprite, int columns, int rows);
bool selectFrame(Sprite* sprite, int index);
void setSpriteScale(Sprite* sprite, float scaleX, float scaleY);
void setSpriteAlpha(Sprite* sprite, int alpha);
int spriteDrawWidth(const Sprite* sprite);
int spriteDrawHeight(const Sprite* sprite);
void drawSprite(Sprite* sprite, int x, int y);
void drawSpriteSized(Sprite* sprite, int x, int y, int w, int h);
void drawSpriteEx(Sprite* sprite, int x, int y, double angle, int flip);
void setDrawColour(Colour colour);
void setDrawColourOpaque(Colour colour);
void fillRect(int x, int y, int w, int h, Colour colour);
void fillRectOpaque(int x, int y, int w, int h, Colour colour);
void clearScreen(Colour colour);
void freeSprite(Sprite* sprite);
void freeAssets();
