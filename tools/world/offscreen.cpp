#include "tools/world/offscreen.h"

#include <SDL_image.h>

#include <cstdio>
#include <cstdlib>

#include "render/sprite.h"
#include "shell/display.h"

namespace {

// A tool, not the game: it may choose its own drivers when the caller did not.
void setIfUnset(const char* name, const char* value) {
    if (std::getenv(name)) return;
#ifdef _WIN32
    _putenv_s(name, value);
#else
    setenv(name, value, 1);
#endif
}

}  // namespace

Offscreen::~Offscreen() {
    freeAssets();
    if (frame) SDL_FreeSurface(frame);
    if (target) SDL_DestroyTexture(target);
    if (screen.renderer) SDL_DestroyRenderer(screen.renderer);
    if (screen.window) SDL_DestroyWindow(screen.window);
    screen.renderer = nullptr;
    screen.window = nullptr;
    IMG_Quit();
    SDL_Quit();
}

bool openOffscreen(Offscreen& video, const char* tool) {
    setIfUnset("SDL_VIDEODRIVER", "offscreen");
    setIfUnset("SDL_AUDIODRIVER", "dummy");
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "%s: no video: %s\n", tool, SDL_GetError());
        return false;
    }
    IMG_Init(IMG_INIT_PNG);
    screen.window = SDL_CreateWindow(tool, 0, 0, 640, 480, SDL_WINDOW_HIDDEN);
    if (screen.window) {
        screen.renderer = SDL_CreateRenderer(screen.window, -1, SDL_RENDERER_SOFTWARE | SDL_RENDERER_TARGETTEXTURE);
    }
    if (screen.renderer) {
        video.target = SDL_CreateTexture(screen.renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_TARGET, 640, 480);
    }
    video.frame = SDL_CreateRGBSurfaceWithFormat(0, 640, 480, 32, SDL_PIXELFORMAT_ARGB8888);
    if (!video.target || !video.frame || SDL_SetRenderTarget(screen.renderer, video.target) != 0) {
        std::fprintf(stderr, "%s: cannot draw offscreen: %s\n", tool, SDL_GetError());
        return false;
    }
    screen.logicalWidth = 640;
    screen.logicalHeight = 480;
    screen.windowed = 1;
    SDL_SetRenderDrawBlendMode(screen.renderer, SDL_BLENDMODE_BLEND);
    return true;
}

bool readOffscreen(Offscreen& video, const char* tool) {
    if (SDL_RenderReadPixels(screen.renderer, nullptr, SDL_PIXELFORMAT_ARGB8888, video.frame->pixels,
                             video.frame->pitch) == 0) {
        return true;
    }
    std::fprintf(stderr, "%s: cannot read the picture back: %s\n", tool, SDL_GetError());
    return false;
}
