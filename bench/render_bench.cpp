// Cost of drawing whole frames on the offscreen software renderer with the shipped pictures:
// a crowded room (every tile a wall or spike with a star), and the same under the pause menu.
#include <benchmark/benchmark.h>

#include <SDL.h>
#include <SDL_image.h>

#include <cstdlib>

#include "gameplay/flow.h"
#include "gameplay/state.h"
#include "render/font.h"
#include "render/frame.h"
#include "render/sprite.h"
#include "shell/display.h"
#include "world/assets.h"
#include "world/world.h"

namespace {

bool setUp() {
    static bool ready = false;
    if (ready) return true;
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    if (SDL_Init(SDL_INIT_VIDEO) != 0) return false;
    IMG_Init(IMG_INIT_PNG);
    screen.window = SDL_CreateWindow("bench", 0, 0, 640, 480, SDL_WINDOW_HIDDEN);
    if (!screen.window) return false;
    screen.renderer = SDL_CreateRenderer(screen.window, -1, SDL_RENDERER_SOFTWARE);
    if (!screen.renderer) return false;
    screen.logicalWidth = 640;
    screen.logicalHeight = 480;
    screen.windowed = 1;
    SDL_RenderSetLogicalSize(screen.renderer, 640, 480);
    SDL_SetRenderDrawBlendMode(screen.renderer, SDL_BLENDMODE_BLEND);
    std::string data = std::string(KESTRAVEL_SOURCE_DIR) + "/data/";
    for (int i = 0; i < 10; i++) {
        assets.sheets[i] = loadSprite(data + "graphics/sheet" + std::to_string(i) + ".png");
        setSpriteFrames(assets.sheets[i], 12, 1);
    }
    for (int i = 0; i < 3; i++) assets.stars[i] = loadSprite(data + "graphics/star2" + std::to_string(i) + ".png");
    int height = spriteDrawHeight(assets.stars[2]);
    float scale = height > 0 ? 32.0f / float(height) : 1.0f;
    for (Sprite* star : assets.stars) setSpriteScale(star, scale, scale);
    player.sprite = loadSprite(data + "graphics/cloak.png");
    setSpriteFrames(player.sprite, 8, 1);
    player.height = 32;
    player.x = 300;
    player.y = 40;
    assets.font = loadFont(data + "fonts/open96.png");
    assets.narrowKeys = loadSprite(data + "graphics/narrow.png");
    setSpriteFrames(assets.narrowKeys, 11, 1);
    assets.wideKeys = loadSprite(data + "graphics/wide.png");
    setSpriteFrames(assets.wideKeys, 6, 1);
    for (int i = 0; i < ZONE_TILES; i++) {
        room.tileFlags[i] = (i % 2 ? TILE_WALL : TILE_SPIKE) | TILE_STAR;
        room.tileDirection[i] = i % 4 - 1;
    }
    progress.zoneDistance = 3;
    flow.introFrames = INTRO_FRAMES;
    ready = true;
    return true;
}

void crowdedRoom(benchmark::State& state) {
    if (!setUp()) {
        state.SkipWithError("no offscreen renderer");
        return;
    }
    flow.paused = 0;
    for (auto _ : state) {
        game.titleFrames = 200;
        drawFrame();
    }
}
BENCHMARK(crowdedRoom)->Unit(benchmark::kMicrosecond);

void controlsPage(benchmark::State& state) {
    if (!setUp()) {
        state.SkipWithError("no offscreen renderer");
        return;
    }
    flow.paused = 1;
    flow.menuPage = MENU_CONTROLS;
    for (auto _ : state) drawFrame();
    flow.paused = 0;
}
BENCHMARK(controlsPage)->Unit(benchmark::kMicrosecond);

}  // namespace
