#include "shell/shell.h"

// On Windows SDL's own entry point runs first and hands main its arguments in UTF-8.
#include <SDL_main.h>

int main(int, char**) { return runGame(); }
