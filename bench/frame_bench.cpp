// A whole frame drawn and presented with the shipped assets on the offscreen renderer, opened
// the way the game opens its screen, against a frame that is only cleared and presented.
#include <benchmark/benchmark.h>

#include <SDL.h>
#include <SDL_image.h>

#include <cstdlib>
#include <string>

#include "gameplay/flow.h"
#include "gameplay/replay.h"
#include "gameplay/sound.h"
#include "gameplay/state.h"
#include "render/frame.h"
#include "render/sprite.h"
#include "shell/display.h"
#include "shell/platform.h"
#include "shell/shell.h"
#include "world/assets.h"
#include "world/world.h"

namespace {

// The game's screen on the named SDL render driver, with the shipped assets loaded onto it.
bool openGame(const char* driver) {
    static std::string current;
    static bool ready = false;
    if (ready && current == driver) return true;
    if (ready) {
        freeAssets();
        shutdownVideo();
    }
    ready = false;
    SDL_SetHint(SDL_HINT_RENDER_DRIVER, driver);
    if (!changeDirectory(KESTRAVEL_SOURCE_DIR)) return false;
    GameStart start;
    start.display = GAME_OFFSCREEN;
    const char* failure = nullptr;
    if (!startGame(start, failure)) return false;
    SDL_RendererInfo info{};
    if (SDL_GetRendererInfo(screen.renderer, &info) != 0 || std::string(info.name) != driver) return false;
    current = driver;
    ready = true;
    return true;
}

// Reading one pixel back waits until the frame is really drawn: Mesa defers its work otherwise.
void finishFrame() {
    uint32_t pixel = 0;
    SDL_Rect one{0, 0, 1, 1};
    SDL_RenderReadPixels(screen.renderer, &one, SDL_PIXELFORMAT_ARGB8888, &pixel, 4);
    benchmark::DoNotOptimize(pixel);
}

// The start room after the intro, the player walking right through it.
void drawFrameAndPresent(benchmark::State& state, const char* driver) {
    if (!openGame(driver)) {
        state.SkipWithError("no such offscreen renderer");
        return;
    }
    uint8_t keys[REPLAY_KEYS] = {};
    for (auto _ : state) {
        state.PauseTiming();
        keys[SDL_SCANCODE_RIGHT] = 1;
        runHeadlessFrame(keys);
        if (player.x > 500) resetToStart();
        state.ResumeTiming();
        drawFrame();
        presentFrame();
        finishFrame();
    }
}

void clearAndPresent(benchmark::State& state, const char* driver) {
    if (!openGame(driver)) {
        state.SkipWithError("no such offscreen renderer");
        return;
    }
    for (auto _ : state) {
        clearScreen(0);
        presentFrame();
        finishFrame();
    }
}
// One renderer after the other, each warmed up first: Mesa compiles its shaders on first use.
BENCHMARK_CAPTURE(drawFrameAndPresent, software, "software")->Unit(benchmark::kMicrosecond)->MinWarmUpTime(0.5);
BENCHMARK_CAPTURE(clearAndPresent, software, "software")->Unit(benchmark::kMicrosecond)->MinWarmUpTime(0.5);
BENCHMARK_CAPTURE(drawFrameAndPresent, opengl, "opengl")->Unit(benchmark::kMicrosecond)->MinWarmUpTime(0.5);
BENCHMARK_CAPTURE(clearAndPresent, opengl, "opengl")->Unit(benchmark::kMicrosecond)->MinWarmUpTime(0.5);

}  // namespace
