// kestravel-world map FILE OUT.png [--scale S] [--from ZX ZY] [--boxes]: every zone of a world drawn by
// the game's own room drawing, placed on the zone grid (x to the right, y upwards), into one PNG.
#include <SDL.h>
#include <SDL_image.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "gameplay/state.h"
#include "render/frame.h"
#include "render/sprite.h"
#include "shell/display.h"
#include "shell/platform.h"
#include "tools/world/boxes.h"
#include "tools/world/commands.h"
#include "tools/world/offscreen.h"
#include "world/assets.h"
#include "world/world.h"

namespace {

constexpr int64_t MAP_MAX_SIDE = 32768;
constexpr int64_t MAP_MAX_PIXELS = int64_t(1) << 28;  // 1 GiB of pixels is plenty for a world

int usage() {
    std::fprintf(stderr, "usage: kestravel-world map FILE OUT.png [--scale S] [--from ZX ZY] [--boxes]\n");
    return 2;
}

// Stand-in for a missing tile sheet: flat colours per kind of tile.
void drawPlainRoom() {
    int d = progress.zoneDistance;
    fillRectOpaque(0, 0, ZONE_WIDTH, ZONE_HEIGHT, rgba(20 + 10 * d, 24, 70 - 5 * d, 255));
    for (int row = 0; row < ZONE_ROWS; row++) {
        for (int column = 0; column < ZONE_COLUMNS; column++) {
            int32_t flags = room.tileFlags[column + row * ZONE_COLUMNS];
            int x = column * TILE_SIZE;
            int y = ZONE_HEIGHT - (row + 1) * TILE_SIZE;
            if (flags & TILE_WALL) {
                fillRectOpaque(x, y, TILE_SIZE, TILE_SIZE, rgba(150, 150, 160, 255));
            } else if (flags & TILE_CHECKPOINT_ACTIVE) {
                fillRectOpaque(x + 8, y + 4, 24, 36, rgba(80, 230, 110, 255));
            } else if (flags & TILE_CHECKPOINT) {
                fillRectOpaque(x + 8, y + 4, 24, 36, rgba(40, 130, 70, 255));
            } else if (flags & TILE_SPIKE) {
                fillRectOpaque(x + 4, y + 4, 32, 32, rgba(210, 40, 40, 255));
            }
            if ((flags & TILE_STAR) && !assets.stars[0]) {
                fillRectOpaque(x + 12, y + 12, 16, 16, rgba(250, 220, 40, 255));
            }
        }
    }
    drawRoom();  // with no sheet this leaves only the star pictures
}

// Box-filters the zone picture into its w x h place on the map.
void shrinkInto(const SDL_Surface* zone, SDL_Surface* map, int left, int top, int w, int h) {
    for (int oy = 0; oy < h; oy++) {
        int y0 = int(int64_t(oy) * zone->h / h);
        int y1 = std::max(y0 + 1, int(int64_t(oy + 1) * zone->h / h));
        Uint32* out = reinterpret_cast<Uint32*>(static_cast<Uint8*>(map->pixels) + size_t(top + oy) * map->pitch) + left;
        for (int ox = 0; ox < w; ox++) {
            int x0 = int(int64_t(ox) * zone->w / w);
            int x1 = std::max(x0 + 1, int(int64_t(ox + 1) * zone->w / w));
            uint64_t r = 0, g = 0, b = 0, n = 0;
            for (int y = y0; y < y1; y++) {
                const Uint32* in = reinterpret_cast<const Uint32*>(static_cast<const Uint8*>(zone->pixels) + size_t(y) * zone->pitch);
                for (int x = x0; x < x1; x++) {
                    r += (in[x] >> 16) & 255;
                    g += (in[x] >> 8) & 255;
                    b += in[x] & 255;
                    n++;
                }
            }
            out[ox] = 0xFF000000u | Uint32(r / n) << 16 | Uint32(g / n) << 8 | Uint32(b / n);
        }
    }
}


}  // namespace

int commandMap(int argc, char** argv) {
    if (argc < 2) return usage();
    double scale = 0.25;
    bool from = false;
    int32_t fromX = 0, fromY = 0;
    bool boxes = false;
    for (int i = 2; i < argc; ++i) {
        if (std::strcmp(argv[i], "--scale") == 0 && i + 1 < argc) {
            const char* text = argv[++i];
            char* end = nullptr;
            scale = std::strtod(text, &end);
            if (end == text || *end != '\0' || !(scale > 0.0) || scale > 4.0) {
                std::fprintf(stderr, "kestravel-world: the scale must be a number above 0 and at most 4\n");
                return 2;
            }
        } else if (std::strcmp(argv[i], "--from") == 0 && i + 2 < argc) {
            from = readWholeArgument(argv[i + 1], fromX) && readWholeArgument(argv[i + 2], fromY);
            if (!from) return usage();
            i += 2;
        } else if (std::strcmp(argv[i], "--boxes") == 0) {
            boxes = true;
        } else {
            return usage();
        }
    }
    const char* file = argv[0];
    if (!isWorldReadable("kestravel-world", file)) return 2;
    const std::string out = absolutePath(argv[1]);
    // Without a data folder the zones are drawn plainly.
    Offscreen video;
    if (!openOffscreen(video, "kestravel-world", file)) return 1;

    const std::vector<WorldZone>& zones = world.zones;
    if (zones.empty()) {
        std::fprintf(stderr, "kestravel-world: %s holds no zones\n", file);
        return 2;
    }
    // The start block's checkpoint zone sets every zone's distance, unless --from names one.
    if (from) {
        if (!findZone(fromX, fromY)) {
            std::fprintf(stderr, "kestravel-world: %s holds no zone %d,%d\n", file, fromX, fromY);
            return 2;
        }
        progress.checkpointZoneX = fromX;
        progress.checkpointZoneY = fromY;
    }
    const int32_t startX = progress.currentZoneX, startY = progress.currentZoneY;

    int64_t minX = INT64_MAX, maxX = INT64_MIN, minY = INT64_MAX, maxY = INT64_MIN;
    for (const auto& [x, y, header] : zones) {
        minX = std::min<int64_t>(minX, x);
        maxX = std::max<int64_t>(maxX, x);
        minY = std::min<int64_t>(minY, y);
        maxY = std::max<int64_t>(maxY, y);
    }
    int64_t zoneWidth = std::max<int64_t>(1, std::llround(ZONE_WIDTH * scale));
    int64_t zoneHeight = std::max<int64_t>(1, std::llround(ZONE_HEIGHT * scale));
    int64_t mapWidth = (maxX - minX + 1) * zoneWidth;
    int64_t mapHeight = (maxY - minY + 1) * zoneHeight;
    if (mapWidth > MAP_MAX_SIDE || mapHeight > MAP_MAX_SIDE || mapWidth * mapHeight > MAP_MAX_PIXELS) {
        std::fprintf(stderr, "kestravel-world: a map of %lld x %lld pixels is too large; use a smaller --scale\n",
                     (long long)mapWidth, (long long)mapHeight);
        return 1;
    }
    // Each zone is drawn once, at the map's own scale: a kept room would only get in the way.
    freeRoomCache();
    // Freed before the video shuts SDL down.
    std::unique_ptr<SDL_Surface, void (*)(SDL_Surface*)> map(
        SDL_CreateRGBSurfaceWithFormat(0, int(mapWidth), int(mapHeight), 32, SDL_PIXELFORMAT_ARGB8888), SDL_FreeSurface);
    if (!map) {
        std::fprintf(stderr, "kestravel-world: cannot make a picture of %lld x %lld pixels\n", (long long)mapWidth,
                     (long long)mapHeight);
        return 1;
    }
    SDL_FillRect(map.get(), nullptr, SDL_MapRGB(map->format, 12, 12, 16));
    // Each zone is drawn at twice its size on the map, not at full size, then averaged down:
    // the same look for a fraction of the drawing, which is what a map of many zones costs.
    const double drawScale = std::min(1.0, 2.0 * scale);
    const int drawWidth = std::clamp(int(std::lround(ZONE_WIDTH * drawScale)), 1, ZONE_WIDTH);
    const int drawHeight = std::clamp(int(std::lround(ZONE_HEIGHT * drawScale)), 1, ZONE_HEIGHT);
    SDL_RenderSetScale(screen.renderer, float(drawScale), float(drawScale));
    std::unique_ptr<SDL_Surface, void (*)(SDL_Surface*)> drawn(
        SDL_CreateRGBSurfaceWithFormatFrom(video.frame->pixels, drawWidth, drawHeight, 32, video.frame->pitch,
                                           SDL_PIXELFORMAT_ARGB8888),
        SDL_FreeSurface);
    const SDL_Rect drawnArea = {0, 0, drawWidth, drawHeight};

    for (const auto& [x, y, header] : zones) {
        if (!loadZone(x, y)) continue;
        clearScreen(0);
        if (assets.sheets[progress.zoneDistance]) {
            drawRoom();
        } else {
            drawPlainRoom();
        }
        if (boxes) {
            drawKillZones();
            if (x == startX && y == startY) drawPlayerBox();  // where the game puts the player
        }
        if (!drawn || SDL_RenderReadPixels(screen.renderer, &drawnArea, SDL_PIXELFORMAT_ARGB8888, drawn->pixels,
                                           drawn->pitch) != 0) {
            std::fprintf(stderr, "kestravel-world: cannot read the picture back: %s\n", SDL_GetError());
            return 1;
        }
        shrinkInto(drawn.get(), map.get(), int((x - minX) * zoneWidth), int((maxY - y) * zoneHeight), int(zoneWidth),
                   int(zoneHeight));
    }
    if (IMG_SavePNG(map.get(), out.c_str()) != 0) {
        std::fprintf(stderr, "kestravel-world: cannot write %s: %s\n", out.c_str(), SDL_GetError());
        return 1;
    }
    std::printf("%s: %zu zones, %lld x %lld pixels\n", argv[1], zones.size(), (long long)mapWidth, (long long)mapHeight);
    return 0;
}
