#include "launcher/launch.h"

// On Windows SDL's own entry point runs first and hands main its arguments in UTF-8.
#include <SDL_main.h>

int main(int argc, char** argv) {
    std::vector<std::string> arguments(argv + 1, argv + argc);
    return launchProgram(LAUNCH_TARGET, false, arguments) == LAUNCH_STARTED ? 0 : 1;
}
