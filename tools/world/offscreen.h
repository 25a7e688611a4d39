#pragma once
// The game started offscreen on a world, its frames drawn into a texture of the tools' own to be
// read back; the video shuts down when this goes.
#include <SDL.h>

#include <string>

struct Offscreen {
    SDL_Texture* target = nullptr;  // what the game's drawing goes into
    SDL_Surface* frame = nullptr;   // the last frame read back
    ~Offscreen();                   // frees the assets, the screen and SDL too
};

// False, said on stderr as `tool`, when the game cannot start offscreen or draw into a texture.
// Pictures the data folder does not have are left out, as the game leaves them.
// With intro, the game begins at the first frame of the logo, as the program does.
bool openOffscreen(Offscreen& video, const char* tool, const std::string& worldFile, bool intro = false);
bool readOffscreen(Offscreen& video, const char* tool);
