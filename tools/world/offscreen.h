#pragma once
// A hidden 640x480 window whose renderer draws into a texture the tools read back.
#include <SDL.h>

struct Offscreen {
    SDL_Texture* target = nullptr;  // what the game's drawing goes into
    SDL_Surface* frame = nullptr;   // the last frame read back
    ~Offscreen();                   // frees the assets, the window and SDL too
};

// Sets up `screen` as the game would, drawing offscreen; reports failures on stderr as `tool`.
bool openOffscreen(Offscreen& video, const char* tool);
bool readOffscreen(Offscreen& video, const char* tool);
