#include "tests/support/render_support.h"

#include <SDL_image.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "gameplay/flow.h"
#include "gameplay/hazards.h"
#include "gameplay/movement.h"
#include "gameplay/sound.h"
#include "gameplay/state.h"
#include "shell/display.h"
#include "shell/platform.h"
#include "shell/shell.h"
#include "world/assets.h"
#include "world/world.h"

namespace rendertest {

bool openRenderer() {
    static bool opened = false;
    if (opened) return screen.renderer != nullptr;
    opened = true;
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    SDL_SetHint(SDL_HINT_RENDER_DRIVER, "software");
    return initSdl(SDL_INIT_VIDEO, IMG_INIT_PNG) &&
           openScreen(SCREEN_WIDTH, SCREEN_HEIGHT, 1, WINDOW_TITLE, 1.0f) != nullptr;
}

std::string makeTempDir() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/kestravel-render-XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (!mkdtemp(buffer.data())) return "";
    return std::string(buffer.data());
}

SDL_Color paletteColour(int index) {
    Uint8 r = Uint8(15 + 10 * (index % 24));
    Uint8 g = Uint8(250 - 10 * (index % 24));
    Uint8 b = Uint8((index / 24) % 2 == 0 ? 40 : 200);
    return SDL_Color{r, g, b, 255};
}

Colour paletteRgba(int index) {
    SDL_Color c = paletteColour(index);
    return rgba(c.r, c.g, c.b, 255);
}

static SDL_Surface* newSurface(int width, int height) {
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, SDL_PIXELFORMAT_RGBA32);
    if (surface) SDL_FillRect(surface, nullptr, SDL_MapRGBA(surface->format, 0, 0, 0, 0));
    return surface;
}

static void paint(SDL_Surface* surface, int x, int y, int w, int h, SDL_Color colour) {
    SDL_Rect area{x, y, w, h};
    SDL_FillRect(surface, &area, SDL_MapRGBA(surface->format, colour.r, colour.g, colour.b, colour.a));
}

static void putValue(SDL_Surface* surface, int x, int y, int value) {
    SDL_Color colour{Uint8(value & 255), Uint8((value >> 8) & 255), Uint8((value >> 16) & 255), 255};
    paint(surface, x, y, 1, 1, colour);
}

static bool save(SDL_Surface* surface, const std::string& path) {
    if (!surface) return false;
    bool ok = IMG_SavePNG(surface, path.c_str()) == 0;
    SDL_FreeSurface(surface);
    return ok;
}

bool writeCellSheet(const std::string& path, int columns, int rows, int cellWidth, int cellHeight, int firstColour) {
    SDL_Surface* surface = newSurface(columns * cellWidth, rows * cellHeight);
    if (!surface) return false;
    for (int row = 0; row < rows; row++) {
        for (int column = 0; column < columns; column++) {
            paint(surface, column * cellWidth, row * cellHeight, cellWidth, cellHeight,
                  paletteColour(firstColour + row * columns + column));
        }
    }
    return save(surface, path);
}

bool writeFlatImage(const std::string& path, int width, int height, SDL_Color colour) {
    SDL_Surface* surface = newSurface(width, height);
    if (!surface) return false;
    paint(surface, 0, 0, width, height, colour);
    return save(surface, path);
}

bool writeFontImage(const std::string& path, int gap, int height, const std::vector<TestGlyph>& glyphs,
                    const SDL_Color* glyphColour, int extraWidth, int declaredCount) {
    int stripWidth = 0;
    for (const TestGlyph& glyph : glyphs) stripWidth += glyph.width + gap;
    int width = std::max(stripWidth, 2 + 2 * int(glyphs.size())) + extraWidth;
    SDL_Surface* surface = newSurface(width, height);
    if (!surface) return false;
    int lineHeight = height - gap - 1;
    int x = 0;
    for (size_t i = 0; i < glyphs.size(); i++) {
        paint(surface, x, 0, glyphs[i].width, lineHeight, glyphColour ? *glyphColour : paletteColour(int(i)));
        x += glyphs[i].width + gap;
    }
    putValue(surface, 0, height - 1, gap);
    putValue(surface, 1, height - 1, declaredCount < 0 ? int(glyphs.size()) : declaredCount);
    for (size_t i = 0; i < glyphs.size(); i++) {
        putValue(surface, int(2 + 2 * i), height - 1, glyphs[i].code);
        putValue(surface, int(3 + 2 * i), height - 1, glyphs[i].width);
    }
    return save(surface, path);
}

SDL_Surface* makeMetadataSurface(int width, int height, const std::vector<int>& values) {
    SDL_Surface* surface = newSurface(width, height);
    if (!surface) return nullptr;
    paint(surface, 0, 0, width, height, SDL_Color{255, 255, 255, 255});
    for (size_t i = 0; i < values.size() && int(i) < width; i++) putValue(surface, int(i), height - 1, values[i]);
    return surface;
}

bool writeMetadataImage(const std::string& path, int width, int height, const std::vector<int>& values) {
    return save(makeMetadataSurface(width, height, values), path);
}

SDL_Color readPixel(int x, int y) {
    Uint32 pixel = 0;
    SDL_Rect area{x, y, 1, 1};
    SDL_RenderReadPixels(screen.renderer, &area, SDL_PIXELFORMAT_ARGB8888, &pixel, 4);
    return SDL_Color{Uint8(pixel >> 16), Uint8(pixel >> 8), Uint8(pixel), Uint8(pixel >> 24)};
}

bool near(SDL_Color pixel, int r, int g, int b, int tolerance) {
    return std::abs(pixel.r - r) <= tolerance && std::abs(pixel.g - g) <= tolerance && std::abs(pixel.b - b) <= tolerance;
}

int paletteAt(int x, int y) {
    SDL_Color pixel = readPixel(x, y);
    if (near(pixel, 0, 0, 0, 2)) return -1;
    for (int i = 0; i < 48; i++) {
        SDL_Color c = paletteColour(i);
        if (near(pixel, c.r, c.g, c.b, 3)) return i;
    }
    return -2;
}

int blend(int source, int alpha, int under) { return (source * alpha + under * (255 - alpha)) / 255; }

bool loadTestPictures(const std::string& dir) {
    bool ok = writeCellSheet(dir + "/sheet0.png", 12, 1, 40, 40, 0) &&
              writeCellSheet(dir + "/sheet1.png", 12, 1, 40, 40, 24) &&
              writeCellSheet(dir + "/player.png", 8, 1, 32, 32, 12) &&
              writeFlatImage(dir + "/star0.png", 48, 64, paletteColour(20)) &&
              writeFlatImage(dir + "/star1.png", 48, 64, paletteColour(21)) &&
              writeFlatImage(dir + "/star2.png", 48, 64, paletteColour(22)) &&
              writeFlatImage(dir + "/logo.png", 100, 50, paletteColour(23)) &&
              writeCellSheet(dir + "/narrow.png", 11, 1, 24, 24, 36) &&
              writeCellSheet(dir + "/wide.png", 6, 1, 48, 24, 30);
    if (!ok) return false;
    for (int i = 0; i < 10; i++) {
        assets.sheets[i] = loadSprite(dir + (i == 0 ? "/sheet0.png" : "/sheet1.png"));
        if (!setSpriteFrames(assets.sheets[i], 12, 1)) return false;
    }
    player.sprite = loadSprite(dir + "/player.png");
    if (!setSpriteFrames(player.sprite, 8, 1)) return false;
    for (int i = 0; i < 3; i++) assets.stars[i] = loadSprite(dir + "/star" + std::to_string(i) + ".png");
    assets.starScale = 32.0f / float(spriteDrawHeight(assets.stars[2]));
    for (Sprite* star : assets.stars) setSpriteScale(star, assets.starScale, assets.starScale);
    assets.splashLogo = loadSprite(dir + "/logo.png");
    assets.narrowKeys = loadSprite(dir + "/narrow.png");
    assets.wideKeys = loadSprite(dir + "/wide.png");
    return assets.stars[2] && assets.splashLogo && setSpriteFrames(assets.narrowKeys, 11, 1) &&
           setSpriteFrames(assets.wideKeys, 6, 1);
}

void resetDrawingState() {
    freeAssets();
    assets = AssetState{};
    setClockSource(nullptr);
    resetWorldState();
    resetPlayRecords();
    // Then a frame of play: no spikes pointing anywhere, the player's own size, the logo over.
    for (int i = 0; i < ZONE_TILES; i++) room.tileDirection[i] = DIR_NONE;
    resetPlayer();
    player.flags = 0;
    flow.introFrames = INTRO_FRAMES;
    screen.windowed = 1;
    screen.lastInputDevice = 0;
}

void RenderTest::SetUp() {
    ASSERT_TRUE(openRenderer()) << SDL_GetError();
    resetDrawingState();
    dir = makeTempDir();
    ASSERT_FALSE(dir.empty());
}

void RenderTest::TearDown() {
    resetDrawingState();
    if (!dir.empty()) std::filesystem::remove_all(dir);
}

}  // namespace rendertest
