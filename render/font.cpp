#include "render/font.h"

#include <climits>
#include <cmath>
#include <cstring>
#include <new>

#include "render/sprite.h"
#include "shell/display.h"

// One pixel's colour as a number: red + green * 256 + blue * 65536, alpha ignored.
static int32_t pixelValue(const SDL_Surface* surface, int x, int y) {
    const Uint8* row = static_cast<const Uint8*>(surface->pixels) + size_t(y) * size_t(surface->pitch);
    const Uint8* at = row + size_t(x) * surface->format->BytesPerPixel;
    Uint32 raw = 0;
    switch (surface->format->BytesPerPixel) {
        case 1: raw = *at; break;
        case 2: { Uint16 v; std::memcpy(&v, at, 2); raw = v; break; }
        case 3:
#if SDL_BYTEORDER == SDL_BIG_ENDIAN
            raw = (Uint32(at[0]) << 16) | (Uint32(at[1]) << 8) | at[2];
#else
            raw = at[0] | (Uint32(at[1]) << 8) | (Uint32(at[2]) << 16);
#endif
            break;
        default: std::memcpy(&raw, at, 4); break;
    }
    Uint8 r, g, b;
    SDL_GetRGB(raw, surface->format, &r, &g, &b);
    return int32_t(r) + int32_t(g) * 256 + int32_t(b) * 65536;
}

bool readFontMetadata(SDL_Surface* surface, Font* font) {
    if (!surface || !font || !surface->format) return false;
    int width = surface->w;
    int height = surface->h;
    // The gap and the glyph count need two pixels in the bottom row.
    if (width < 2 || height < 1) return false;

    // Packed formats below a byte per pixel are read through a converted copy.
    SDL_Surface* readable = surface;
    if (surface->format->BytesPerPixel < 1 || surface->format->BitsPerPixel < 8) {
        readable = SDL_ConvertSurfaceFormat(surface, SDL_PIXELFORMAT_ARGB8888, 0);
        if (!readable) return false;
    }
    if (SDL_LockSurface(readable) != 0) {
        if (readable != surface) SDL_FreeSurface(readable);
        return false;
    }
    bool ok = readable->pixels != nullptr;
    int last = height - 1;
    int64_t gap = 0;
    int64_t lineHeight = 0;
    if (ok) {
        gap = pixelValue(readable, 0, last);
        lineHeight = int64_t(height) - (gap + 1);
        ok = lineHeight >= 1;  // a gap that eats the glyph rows leaves nothing to draw
    }
    if (ok) {
        int64_t count = pixelValue(readable, 1, last);
        int64_t room = (width - 2) / 2;  // the metadata row holds 2 + 2N values
        if (count > room) count = room;
        font->lineHeight = int32_t(lineHeight);
        font->glyphs.clear();
        font->glyphs.reserve(size_t(count));
        int64_t x = 0;
        for (int64_t i = 0; i < count && x < width; i++) {
            int32_t code = pixelValue(readable, int(2 + 2 * i), last);
            int64_t glyphWidth = pixelValue(readable, int(3 + 2 * i), last);
            // A glyph reaching past the right edge is cut at the edge.
            int64_t shown = glyphWidth < width - x ? glyphWidth : width - x;
            font->glyphs.push_back(Glyph{code, int32_t(x), int32_t(shown)});
            x += glyphWidth + gap;
        }
    }
    SDL_UnlockSurface(readable);
    if (readable != surface) SDL_FreeSurface(readable);
    return ok;
}

Font* loadFont(const std::string& path) {
    Font* font = new (std::nothrow) Font{};
    if (!font) return nullptr;
    font->sprite = loadSprite(path, true);
    if (!font->sprite || !readFontMetadata(font->sprite->surface, font)) {
        freeFont(font);
        return nullptr;
    }
    // The glyph table is read; the texture is all that is drawn from here on.
    SDL_FreeSurface(font->sprite->surface);
    font->sprite->surface = nullptr;
    font->sprite->source.y = 0;
    font->sprite->source.h = font->lineHeight;
    return font;
}

void setFontAlpha(Font* font, int alpha) {
    if (!font || !font->sprite) return;
    setSpriteAlpha(font->sprite, alpha);
}

// Cuts toward zero, kept inside int so wild positions cannot overflow.
static int truncated(float v) {
    if (!(v > float(INT_MIN))) return INT_MIN;  // NaN lands here too
    if (v >= float(INT_MAX)) return INT_MAX;
    return int(v);
}

// Next UTF-16 code unit of UTF-8 text; a character above U+FFFF yields its two surrogates in turn.
namespace {
struct CodeUnits {
    std::string_view text;
    size_t at = 0;
    int32_t pendingLow = -1;

    // A stray or cut-off byte stands for U+FFFD and is passed over alone.
    bool replacement(int32_t& unit) {
        at++;
        unit = 0xFFFD;
        return true;
    }

    bool next(int32_t& unit) {
        if (pendingLow >= 0) {
            unit = pendingLow;
            pendingLow = -1;
            return true;
        }
        if (at >= text.size()) return false;
        unsigned char lead = static_cast<unsigned char>(text[at]);
        if (lead < 0x80) {
            at++;
            unit = lead;
            return true;
        }
        int extra;
        int32_t point;
        if ((lead & 0xE0) == 0xC0) {
            extra = 1;
            point = lead & 0x1F;
        } else if ((lead & 0xF0) == 0xE0) {
            extra = 2;
            point = lead & 0x0F;
        } else if ((lead & 0xF8) == 0xF0) {
            extra = 3;
            point = lead & 0x07;
        } else {
            return replacement(unit);
        }
        if (at + size_t(extra) >= text.size()) return replacement(unit);
        for (int k = 1; k <= extra; k++) {
            unsigned char follow = static_cast<unsigned char>(text[at + size_t(k)]);
            if ((follow & 0xC0) != 0x80) return replacement(unit);
            point = (point << 6) | (follow & 0x3F);
        }
        if (point > 0x10FFFF) return replacement(unit);
        at += size_t(extra) + 1;
        if (point > 0xFFFF) {
            point -= 0x10000;
            unit = 0xD800 + (point >> 10);
            pendingLow = 0xDC00 + (point & 0x3FF);
            return true;
        }
        unit = point;
        return true;
    }
};
}  // namespace

static const Glyph* findGlyph(const Font* font, int32_t code) {
    for (const Glyph& glyph : font->glyphs) {
        if (glyph.code == code) return &glyph;
    }
    return nullptr;
}

void drawText(Font* font, float x, float y, std::string_view text, float scale, bool centreX, bool centreY) {
    static SDL_Rect target;
    if (!font) return;
    int32_t unit;
    if (centreX) {
        int64_t total = 0;
        CodeUnits units{text};
        while (units.next(unit)) {
            if (const Glyph* glyph = findGlyph(font, unit)) total += glyph->width;
        }
        x = x - float(total) * 0.5f * scale;
    }
    if (centreY) y = y - float(font->lineHeight) * 0.5f * scale;
    Sprite* sprite = font->sprite;
    if (!sprite || !screen.renderer) return;
    target.y = truncated(y);
    target.h = truncated(float(font->lineHeight) * scale);
    CodeUnits units{text};
    while (units.next(unit)) {
        const Glyph* glyph = findGlyph(font, unit);
        if (!glyph) continue;  // unknown characters take no room
        sprite->source.x = glyph->x;
        sprite->source.w = glyph->width;
        target.x = truncated(x);
        target.w = truncated(float(glyph->width) * scale);
        SDL_RenderCopy(screen.renderer, sprite->texture, &sprite->source, &target);
        x = x + float(glyph->width) * scale;
    }
}

void freeFont(Font* font) {
    if (!font) return;
    freeSprite(font->sprite);
    font->sprite = nullptr;
    font->glyphs.clear();
    delete font;
}
