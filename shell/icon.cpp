#include "shell/display.h"

#include <SDL_image.h>

void applyWindowIcon(const std::string& path) {
    if (!screen.window || path.empty()) return;
    SDL_Surface* icon = IMG_Load(path.c_str());
    if (!icon) return;
    // SDL copies the pixels, so the surface can go right away.
    SDL_SetWindowIcon(screen.window, icon);
    SDL_FreeSurface(icon);
}
