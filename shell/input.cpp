#include "shell/input.h"
#include "shell/display.h"
// stub: to be implemented
InputState input;
void resetInputState() {}
void updateInput() {}
int pollEvent() { return 0; }
bool keyDown(int scancode) { return screen.keyState && scancode >= 0 && scancode < 512 && screen.keyState[scancode]; }
bool keyPushed(int scancode) { return keyDown(scancode) && !screen.previousKeyState[scancode]; }
bool ctrlDown() { return keyDown(SDL_SCANCODE_LCTRL) || keyDown(SDL_SCANCODE_RCTRL); }
bool altDown() { return keyDown(SDL_SCANCODE_LALT) || keyDown(SDL_SCANCODE_RALT); }
bool padButton(int) { return false; }
int16_t padAxis(int) { return 0; }
bool quitRequested() { return false; }
void updateController() {}
void loadControllerMappings() {}
