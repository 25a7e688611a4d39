// The least a program in the game's place can do: the same SDL start, window, logical size,
// renderer and 14 ms frame cap, a frame that is only cleared and presented, Ctrl+W or closing
// the window to quit. The benchmark script runs it beside the game to compare costs.
#include <SDL.h>
#include <SDL_image.h>

#include "render/sprite.h"
#include "shell/display.h"
#include "shell/input.h"
#include "shell/shell.h"

int main(int, char**) {
    resetInputState();
    resetShellState();
    if (!initSdl(SDL_INIT_VIDEO | SDL_INIT_JOYSTICK | SDL_INIT_GAMECONTROLLER, IMG_INIT_PNG)) return 1;
    if (!openScreen(640, 480, 1, "Kestravel baseline", 1.0f)) {
        shutdownVideo();
        return 1;
    }
    for (;;) {
        updateInput();
        bool quit = keyPushed(SDL_SCANCODE_W) && ctrlDown();
        clearScreen(0);
        waitForFrameCap();
        presentFrame();
        if (quit || quitRequested()) break;
    }
    shutdownVideo();
    return 0;
}
