#pragma once
// Drawing tests: an offscreen renderer, images made on the fly, pixels read back.
#include <SDL.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "render/sprite.h"

namespace rendertest {

// Opens (once per process) a hidden 640x480 window with a software renderer on the
// offscreen video driver and puts it into `screen` the way the game's display does.
bool openRenderer();

// A fresh empty folder under the system's temporary folder.
std::string makeTempDir();

// Opaque colour number `index` (0..47) of a palette whose entries differ clearly.
SDL_Color paletteColour(int index);
Colour paletteRgba(int index);

// PNG of columns x rows cells, cell n painted paletteColour(firstColour + n).
bool writeCellSheet(const std::string& path, int columns, int rows, int cellWidth, int cellHeight, int firstColour);
bool writeFlatImage(const std::string& path, int width, int height, SDL_Color colour);

struct TestGlyph {
    int code;
    int width;
};
// A font image: the glyphs side by side with `gap` pixels between them, each glyph
// painted `glyphColour` or, when that is null, paletteColour(i); bottom row holds the
// metadata. `declaredCount` < 0 writes the real glyph count.
bool writeFontImage(const std::string& path, int gap, int height, const std::vector<TestGlyph>& glyphs,
                    const SDL_Color* glyphColour = nullptr, int extraWidth = 0, int declaredCount = -1);
// Any image whose bottom row starts with `values` (value = r + g*256 + b*65536); the rest opaque white.
bool writeMetadataImage(const std::string& path, int width, int height, const std::vector<int>& values);
// An RGBA32 surface in memory with the same content as writeMetadataImage.
SDL_Surface* makeMetadataSurface(int width, int height, const std::vector<int>& values);

// Pixel of the current frame in logical coordinates.
SDL_Color readPixel(int x, int y);
// Index of the palette colour at (x, y) (within a few steps), -1 for black, -2 for anything else.
int paletteAt(int x, int y);
// True when every channel is within `tolerance`.
bool near(SDL_Color pixel, int r, int g, int b, int tolerance = 3);
// Channel value after drawing `source` with `alpha` over `under`.
int blend(int source, int alpha, int under);

// The game's pictures made flat: sheets[0] cells in colours 0..11, sheets[1..9] in 24..35,
// player frames (32 x 32) 12..19, stars 20, 21, 22 (48 x 64, star scale 0.5 so 24 x 32),
// splash logo 23 (100 x 50), narrow keys (24 x 24) 36..46, wide keys (48 x 24) 30..35.
bool loadTestPictures(const std::string& dir);

// Puts every value drawing reads back to its program-start state and empties the asset slots.
void resetDrawingState();

// The drawing tests' fixture: the renderer open, drawing's values at their start, and a fresh
// folder for the pictures a test makes; afterwards all of it is put back and the folder removed.
class RenderTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    std::string dir;
};

}  // namespace rendertest
