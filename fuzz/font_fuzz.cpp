// The font's glyph table read from a surface of any size, pixel format and content.
// Input: format, width and height (two bytes each), then the bottom row's pixels, then
// the other rows from the top; an indexed format takes its palette from the same bytes.
#include <SDL.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "render/font.h"

namespace {

constexpr Uint32 FORMATS[] = {
    SDL_PIXELFORMAT_ARGB8888, SDL_PIXELFORMAT_ABGR8888, SDL_PIXELFORMAT_RGB24,
    SDL_PIXELFORMAT_RGB565,   SDL_PIXELFORMAT_INDEX8,   SDL_PIXELFORMAT_INDEX1MSB,
    SDL_PIXELFORMAT_INDEX4LSB, SDL_PIXELFORMAT_BGR888,
};
constexpr int MAX_SIDE = 512;

struct Bytes {
    const uint8_t* data;
    size_t size;
    size_t at = 0;
    uint8_t next() { return at < size ? data[at++] : 0; }
};

void fill(SDL_Surface* surface, Bytes& in) {
    if (surface->format->palette) {
        SDL_Palette* palette = surface->format->palette;
        for (int i = 0; i < palette->ncolors; ++i) {
            SDL_Color c{in.next(), in.next(), in.next(), 255};
            SDL_SetPaletteColors(palette, &c, i, 1);
        }
    }
    const int rowBytes = std::min<int>(surface->pitch, (surface->w * surface->format->BitsPerPixel + 7) / 8);
    auto* pixels = static_cast<uint8_t*>(surface->pixels);
    // Bottom row first: that is where the metadata lives.
    for (int n = 0; n < surface->h; ++n) {
        int y = n == 0 ? surface->h - 1 : n - 1;
        uint8_t* row = pixels + size_t(y) * size_t(surface->pitch);
        size_t take = std::min<size_t>(rowBytes, in.size - std::min(in.size, in.at));
        if (take) std::memcpy(row, in.data + in.at, take);
        in.at += take;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Bytes in{data, size};
    Uint32 format = FORMATS[in.next() % (sizeof FORMATS / sizeof FORMATS[0])];
    int width = (in.next() | (in.next() << 8)) % (MAX_SIDE + 1);
    int height = (in.next() | (in.next() << 8)) % (MAX_SIDE + 1);
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, width, height, 0, format);
    if (!surface) return 0;
    if (surface->pixels) fill(surface, in);

    Font font{};
    font.glyphs.push_back(Glyph{1, 2, 3});  // whatever was there before
    if (readFontMetadata(surface, &font)) {
        if (font.lineHeight < 1 || font.lineHeight >= height) __builtin_trap();
        if (font.glyphs.size() > size_t(std::max(0, (width - 2) / 2))) __builtin_trap();
        for (const Glyph& glyph : font.glyphs) {
            if (glyph.x < 0 || glyph.width < 0 || glyph.x >= width) __builtin_trap();
            if (int64_t(glyph.x) + glyph.width > width) __builtin_trap();
        }
    }
    if (readFontMetadata(nullptr, &font) || readFontMetadata(surface, nullptr)) __builtin_trap();
    SDL_FreeSurface(surface);
    return 0;
}
