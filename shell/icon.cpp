#include "shell/display.h"

#include "render/sprite.h"

namespace {
// X11 carries the icon in one window property, and a 256 x 256 one exceeds the request size
// limit: SDL then sets an empty icon without an error. Window icons are drawn small anyway.
constexpr int ICON_MAX_SIZE = 128;

// Halves a 32-bit RGBA picture with a 2 x 2 box filter weighted by alpha, so transparent
// pixels do not darken the edges.
SDL_Surface* halved(SDL_Surface* rgba) {
    const int w = rgba->w / 2;
    const int h = rgba->h / 2;
    if (w < 1 || h < 1) return nullptr;
    SDL_Surface* half = SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, SDL_PIXELFORMAT_RGBA32);
    if (!half) return nullptr;
    const auto* from = static_cast<const uint8_t*>(rgba->pixels);
    auto* to = static_cast<uint8_t*>(half->pixels);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            unsigned sum[3] = {0, 0, 0};
            unsigned alpha = 0;
            for (int dy = 0; dy < 2; ++dy) {
                for (int dx = 0; dx < 2; ++dx) {
                    const uint8_t* p = from + static_cast<size_t>(2 * y + dy) * rgba->pitch + (2 * x + dx) * 4;
                    for (int c = 0; c < 3; ++c) sum[c] += p[c] * p[3];
                    alpha += p[3];
                }
            }
            uint8_t* q = to + static_cast<size_t>(y) * half->pitch + x * 4;
            for (int c = 0; c < 3; ++c) q[c] = static_cast<uint8_t>(alpha ? sum[c] / alpha : 0);
            q[3] = static_cast<uint8_t>(alpha / 4);
        }
    }
    return half;
}
}  // namespace

void applyWindowIcon(const std::string& path) {
    if (!screen.window || path.empty()) return;
    SDL_Surface* loaded = loadPicture(path);
    if (!loaded) return;
    SDL_Surface* icon = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_RGBA32, 0);
    SDL_FreeSurface(loaded);
    while (icon && (icon->w > ICON_MAX_SIZE || icon->h > ICON_MAX_SIZE)) {
        SDL_Surface* smaller = halved(icon);
        if (!smaller) break;
        SDL_FreeSurface(icon);
        icon = smaller;
    }
    // SDL copies the pixels, so the surface can go right away.
    if (icon) SDL_SetWindowIcon(screen.window, icon);
    SDL_FreeSurface(icon);
}
