#pragma once
// The game's frames drawn into a texture of the tools' own, to be read back. The game is started
// with GAME_OFFSCREEN first; the video shuts down when this goes.
#include <SDL.h>

struct Offscreen {
    SDL_Texture* target = nullptr;  // what the game's drawing goes into
    SDL_Surface* frame = nullptr;   // the last frame read back
    ~Offscreen();                   // frees the assets, the screen and SDL too
};

// False, said on stderr as `tool`, when the game has no renderer or it cannot draw into a texture.
bool openOffscreen(Offscreen& video, const char* tool);
bool readOffscreen(Offscreen& video, const char* tool);
