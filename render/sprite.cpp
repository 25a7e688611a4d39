#include "render/sprite.h"

#include <SDL_image.h>

#include <cmath>
#include <new>

#include "gameplay/sound.h"
#include "gameplay/state.h"
#include "render/frame.h"
#include "render/font.h"
#include "shell/display.h"
#include "shell/platform.h"
#include "world/assets.h"

Colour rgba(int r, int g, int b, int a) { return Colour(r) + Colour(g) * 256u + Colour(b) * 65536u + Colour(a) * 16777216u; }

namespace {
// Far above any picture the game draws; a larger one is a mistake or an attack, not art.
constexpr uint32_t PICTURE_MAX_SIDE = 8192;
constexpr uint64_t PICTURE_MAX_PIXELS = 64ull * 1024 * 1024;

uint32_t bigEndian32(const uint8_t* bytes) {
    return (uint32_t(bytes[0]) << 24) | (uint32_t(bytes[1]) << 16) | (uint32_t(bytes[2]) << 8) | uint32_t(bytes[3]);
}
}  // namespace

bool pictureSizeAcceptable(SDL_RWops* file) {
    // Signature, then the IHDR chunk: length, type, width, height.
    uint8_t header[24];
    const Sint64 start = SDL_RWtell(file);
    const bool read = SDL_RWread(file, header, 1, sizeof header) == sizeof header;
    if (start < 0 || SDL_RWseek(file, start, RW_SEEK_SET) < 0 || !read) return false;
    static const uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (SDL_memcmp(header, signature, sizeof signature) != 0 || SDL_memcmp(header + 12, "IHDR", 4) != 0) return false;
    const uint32_t width = bigEndian32(header + 16);
    const uint32_t height = bigEndian32(header + 20);
    return width >= 1 && height >= 1 && width <= PICTURE_MAX_SIDE && height <= PICTURE_MAX_SIDE &&
           uint64_t(width) * height <= PICTURE_MAX_PIXELS;
}

SDL_Surface* loadPicture(const std::string& path) {
    // Anything but a plain file (a FIFO, a device) could block or never end.
    if (path.empty() || !isRegularFile(path)) return nullptr;
    SDL_RWops* file = SDL_RWFromFile(path.c_str(), "rb");
    if (!file) return nullptr;
    if (!pictureSizeAcceptable(file)) {
        SDL_RWclose(file);
        return nullptr;
    }
    return IMG_Load_RW(file, 1);
}

Sprite* loadSprite(const std::string& path, bool keepPixels) {
    // Checked before anything else so a missing renderer never costs a disk read.
    if (path.empty() || !screen.renderer) return nullptr;
    Sprite* sprite = new (std::nothrow) Sprite{};
    if (!sprite) return nullptr;
    sprite->surface = loadPicture(path);
    if (!sprite->surface) {
        delete sprite;
        return nullptr;
    }
    sprite->texture = SDL_CreateTextureFromSurface(screen.renderer, sprite->surface);
    if (!keepPixels || !sprite->texture) {
        SDL_FreeSurface(sprite->surface);
        sprite->surface = nullptr;
    }
    if (!sprite->texture) {
        delete sprite;
        return nullptr;
    }
    SDL_QueryTexture(sprite->texture, nullptr, nullptr, &sprite->width, &sprite->height);
    sprite->scaleX = 1.0f;
    sprite->scaleY = 1.0f;
    setSpriteFrames(sprite, 1, 1);
    return sprite;
}

bool setSpriteFrames(Sprite* sprite, int columns, int rows) {
    if (!sprite || columns < 1 || rows < 1) return false;
    if (sprite->width % columns != 0 || sprite->height % rows != 0) return false;
    sprite->columns = columns;
    sprite->rows = rows;
    sprite->frameCount = columns * rows;
    sprite->source.w = sprite->width / columns;
    sprite->source.h = sprite->height / rows;
    // Nearest here, while setSpriteScale truncates: both are relied on.
    sprite->drawWidth = int32_t(std::lround(double(sprite->scaleX) * sprite->source.w));
    sprite->drawHeight = int32_t(std::lround(double(sprite->scaleY) * sprite->source.h));
    selectFrame(sprite, 0);
    return true;
}

bool selectFrame(Sprite* sprite, int index) {
    if (!sprite || index < 0 || index >= sprite->frameCount) return false;
    int row = index / sprite->columns;
    int column = index - row * sprite->columns;
    sprite->source.x = sprite->source.w * column;
    sprite->source.y = sprite->source.h * row;
    sprite->frame = index;
    return true;
}

void setSpriteScale(Sprite* sprite, float scaleX, float scaleY) {
    if (!sprite) return;
    sprite->scaleX = scaleX > 0.0f ? scaleX : 1.0f;
    sprite->drawWidth = int32_t(float(sprite->source.w) * sprite->scaleX);
    // A missing vertical scale follows the horizontal one, not 1.0.
    sprite->scaleY = scaleY > 0.0f ? scaleY : sprite->scaleX;
    sprite->drawHeight = int32_t(float(sprite->source.h) * sprite->scaleY);
}

void setSpriteAlpha(Sprite* sprite, int alpha) {
    if (!sprite || !sprite->texture) return;
    if (alpha < 0) alpha = 0;
    if (alpha > 255) alpha = 255;
    SDL_SetTextureAlphaMod(sprite->texture, Uint8(alpha));
}

int spriteDrawWidth(const Sprite* sprite) { return sprite ? sprite->drawWidth : 0; }
int spriteDrawHeight(const Sprite* sprite) { return sprite ? sprite->drawHeight : 0; }

void drawSprite(Sprite* sprite, int x, int y) {
    static SDL_Rect target;
    if (!sprite || !screen.renderer) return;
    target = {x, y, sprite->drawWidth, sprite->drawHeight};
    SDL_RenderCopy(screen.renderer, sprite->texture, &sprite->source, &target);
}

void drawSpriteSized(Sprite* sprite, int x, int y, int w, int h) {
    static SDL_Rect target;
    if (!sprite || !screen.renderer) return;
    target = {x, y, w, h};
    SDL_RenderCopy(screen.renderer, sprite->texture, &sprite->source, &target);
}

void drawSpriteEx(Sprite* sprite, int x, int y, double angle, int flip) {
    static SDL_Rect target;
    if (!sprite || !screen.renderer) return;
    target = {x, y, sprite->drawWidth, sprite->drawHeight};
    SDL_RenderCopyEx(screen.renderer, sprite->texture, &sprite->source, &target, angle, nullptr,
                     SDL_RendererFlip(flip));
}

void setDrawColour(Colour colour) {
    if (!screen.renderer) return;
    SDL_SetRenderDrawColor(screen.renderer, Uint8(colour), Uint8(colour >> 8), Uint8(colour >> 16), Uint8(colour >> 24));
}

void setDrawColourOpaque(Colour colour) {
    if (!screen.renderer) return;
    SDL_SetRenderDrawColor(screen.renderer, Uint8(colour), Uint8(colour >> 8), Uint8(colour >> 16), 255);
}

void fillRect(int x, int y, int w, int h, Colour colour) {
    if (!screen.renderer) return;
    setDrawColour(colour);
    const SDL_Rect area = {x, y, w, h};
    SDL_RenderFillRect(screen.renderer, &area);
}

void fillRectOpaque(int x, int y, int w, int h, Colour colour) { fillRect(x, y, w, h, colour | 0xFF000000u); }

void clearScreen(Colour colour) {
    if (!screen.renderer) return;
    if (screen.windowed) {
        setDrawColourOpaque(colour);
        SDL_RenderClear(screen.renderer);
        return;
    }
    // Fullscreen: the letterbox bars stay black whatever the colour.
    setDrawColourOpaque(0);
    SDL_RenderClear(screen.renderer);
    fillRectOpaque(0, 0, screen.logicalWidth, screen.logicalHeight, colour);
}

void freeSprite(Sprite* sprite) {
    if (!sprite) return;
    // A new sprite may come at the same address: the kept room must not be taken for it.
    invalidateRoomCache();
    if (sprite->texture) SDL_DestroyTexture(sprite->texture);
    if (sprite->surface) SDL_FreeSurface(sprite->surface);
    delete sprite;
}

static void release(Sprite*& sprite) {
    freeSprite(sprite);
    sprite = nullptr;
}

void freeAssets() {
    freeRoomCache();
    for (Sprite*& sheet : assets.sheets) release(sheet);
    for (Sprite*& star : assets.stars) release(star);
    release(player.sprite);
    release(assets.splashLogo);
    for (int slot = 0; slot < SOUND_SLOTS; slot++) {
        if (isSoundLoaded(slot)) freeSound(slot);
    }
    freeFont(assets.font);
    assets.font = nullptr;
    release(assets.narrowKeys);
    release(assets.wideKeys);
}
