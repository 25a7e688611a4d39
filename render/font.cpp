#include "render/font.h"
// stub: to be implemented
Font* loadFont(const std::string&) { return nullptr; }
bool readFontMetadata(SDL_Surface*, Font*) { return false; }
void setFontAlpha(Font*, int) {}
void drawText(Font*, float, float, const std::string&, float, bool, bool) {}
void freeFont(Font*) {}
