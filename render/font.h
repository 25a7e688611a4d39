#pragma once
// The proportional bitmap font whose glyph table sits in the image's bottom row.
#include <SDL.h>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct Sprite;

struct Glyph {
    int32_t code;    // UTF-16 code unit
    int32_t x;       // left edge in the image
    int32_t width;   // pixels
};

struct Font {
    Sprite* sprite;              // the font image
    int32_t lineHeight;          // glyph rows 0 .. lineHeight - 1
    std::vector<Glyph> glyphs;   // in image order; first match wins
};

Font* loadFont(const std::string& path);
// Reads the glyph table from a decoded image; false when it describes nothing usable.
bool readFontMetadata(SDL_Surface* surface, Font* font);
void setFontAlpha(Font* font, int alpha);
// text is UTF-8; each UTF-16 code unit of it picks a glyph.
void drawText(Font* font, float x, float y, std::string_view text, float scale, bool centreX, bool centreY);
void freeFont(Font* font);
