// The frame the game would show after a key script, drawn offscreen into a PNG.
#include "tools/world/picture.h"

#include <SDL.h>
#include <SDL_image.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "gameplay/replay.h"
#include "gameplay/sound.h"
#include "gameplay/state.h"
#include "render/frame.h"
#include "render/sprite.h"
#include "shell/display.h"
#include "world/assets.h"
#include "world/world.h"

namespace {

struct Offscreen {
    SDL_Texture* target = nullptr;
    SDL_Surface* picture = nullptr;
    ~Offscreen() {
        freeAssets();
        if (picture) SDL_FreeSurface(picture);
        if (target) SDL_DestroyTexture(target);
        if (screen.renderer) SDL_DestroyRenderer(screen.renderer);
        if (screen.window) SDL_DestroyWindow(screen.window);
        screen.renderer = nullptr;
        screen.window = nullptr;
        IMG_Quit();
        SDL_Quit();
    }
};

void setIfUnset(const char* name, const char* value) {
    if (std::getenv(name)) return;
#ifdef _WIN32
    _putenv_s(name, value);
#else
    setenv(name, value, 1);
#endif
}

}  // namespace

bool savePicture(const std::string& worldPath, const std::vector<RouteStep>& script, const std::string& outPath) {
    std::error_code error;
    std::filesystem::path worldFile = std::filesystem::absolute(worldPath, error);
    if (error) worldFile = worldPath;
    std::filesystem::path out = std::filesystem::absolute(outPath, error);
    if (error) out = outPath;
    std::filesystem::path here = std::filesystem::current_path(error);

    setIfUnset("SDL_VIDEODRIVER", "offscreen");
    setIfUnset("SDL_AUDIODRIVER", "dummy");
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "kestravel-world route: no video: %s\n", SDL_GetError());
        return false;
    }
    IMG_Init(IMG_INIT_PNG);
    Offscreen video;
    screen.window = SDL_CreateWindow("kestravel-world route", 0, 0, 640, 480, SDL_WINDOW_HIDDEN);
    if (screen.window)
        screen.renderer = SDL_CreateRenderer(screen.window, -1, SDL_RENDERER_SOFTWARE | SDL_RENDERER_TARGETTEXTURE);
    if (screen.renderer)
        video.target = SDL_CreateTexture(screen.renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_TARGET, 640, 480);
    video.picture = SDL_CreateRGBSurfaceWithFormat(0, 640, 480, 32, SDL_PIXELFORMAT_ARGB8888);
    if (!video.target || !video.picture || SDL_SetRenderTarget(screen.renderer, video.target) != 0) {
        std::fprintf(stderr, "kestravel-world route: cannot draw offscreen: %s\n", SDL_GetError());
        return false;
    }
    screen.logicalWidth = 640;
    screen.logicalHeight = 480;
    screen.windowed = 1;
    SDL_SetRenderDrawBlendMode(screen.renderer, SDL_BLENDMODE_BLEND);

    // The pictures, the font and the shipped world come from the data folder; then the world asked for.
    if (!findDataFolder(WORLD_FILE)) {
        std::fprintf(stderr, "kestravel-world route: no data folder with the pictures from here\n");
        return false;
    }
    loadAssets();
    if (!here.empty()) std::filesystem::current_path(here, error);

    Sprite* cloak = player.sprite;  // the resets below forget it
    resetWorldState();
    resetGameState();
    resetSoundState();
    startHeadlessGame();
    if (loadWorldLinesFrom(worldFile.string()) <= 0) {
        std::fprintf(stderr, "kestravel-world route: cannot read %s\n", worldFile.string().c_str());
        return false;
    }
    resetToStart();
    player.sprite = cloak;
    // Every frame is drawn: the caption, the flying star and the preview move only while drawn.
    drawFrame();
    for (const RouteStep& step : script)
        for (int32_t f = 0; f < step.frames; ++f) {
            stepGame(step.keys);
            drawFrame();
        }
    if (SDL_RenderReadPixels(screen.renderer, nullptr, SDL_PIXELFORMAT_ARGB8888, video.picture->pixels,
                             video.picture->pitch) != 0) {
        std::fprintf(stderr, "kestravel-world route: cannot read the picture back: %s\n", SDL_GetError());
        return false;
    }
    if (IMG_SavePNG(video.picture, out.string().c_str()) != 0) {
        std::fprintf(stderr, "kestravel-world route: cannot write %s: %s\n", out.string().c_str(), SDL_GetError());
        return false;
    }
    return true;
}
