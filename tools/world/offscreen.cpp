#include "tools/world/offscreen.h"

#include <cstdio>

#include "render/sprite.h"
#include "shell/display.h"
#include "shell/shell.h"

Offscreen::~Offscreen() {
    freeAssets();
    if (frame) SDL_FreeSurface(frame);
    if (target) SDL_DestroyTexture(target);
    shutdownVideo();
}

bool openOffscreen(Offscreen& video, const char* tool, const std::string& worldFile, bool intro) {
    GameStart start;
    start.display = GAME_OFFSCREEN;
    start.worldFile = worldFile;
    start.skipIntro = !intro;
    const char* failure = nullptr;
    if (!startGame(start, failure)) {
        std::fprintf(stderr, "%s: %s\n", tool, failure);
        return false;
    }
    if (screen.renderer) {
        video.target = SDL_CreateTexture(screen.renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_TARGET,
                                         screen.logicalWidth, screen.logicalHeight);
    }
    video.frame = SDL_CreateRGBSurfaceWithFormat(0, screen.logicalWidth, screen.logicalHeight, 32,
                                                 SDL_PIXELFORMAT_ARGB8888);
    if (!video.target || !video.frame || SDL_SetRenderTarget(screen.renderer, video.target) != 0) {
        std::fprintf(stderr, "%s: cannot draw offscreen: %s\n", tool, SDL_GetError());
        return false;
    }
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
