// kestravel-world: the level designer's tool, reading worlds through the game's own code.
#include <cstdio>
#include <cstring>

#include <SDL_main.h>  // on Windows SDL's entry point hands main its arguments in UTF-8

#include "tools/world/commands.h"

static int usage() {
    std::fprintf(stderr,
                 "usage: kestravel-world zone FILE X Y\n"
                 "       kestravel-world check FILE\n"
                 "       kestravel-world run FILE [--last] [--header] [--at ZX ZY X Y] [--checkpoint ZX ZY [C R]]\n"
                 "                               [--stars N ROUTE] < SCRIPT\n"
                 "       kestravel-world map FILE OUT.png [--scale S] [--from ZX ZY] [--boxes]\n"
                 "       kestravel-world route FILE\n"
                 "       kestravel-world measure FILE [--route SCRIPT]\n"
                 "       kestravel-world play FILE [--at ZX ZY X Y] [--checkpoint ZX ZY [C R]] [--stars N ROUTE]\n");
    return 2;
}

int main(int argc, char** argv) {
    if (argc < 2) return usage();
    const char* name = argv[1];
    if (std::strcmp(name, "zone") == 0) return commandZone(argc - 2, argv + 2);
    if (std::strcmp(name, "check") == 0) return commandCheck(argc - 2, argv + 2);
    if (std::strcmp(name, "run") == 0) return commandRun(argc - 2, argv + 2);
    if (std::strcmp(name, "map") == 0) return commandMap(argc - 2, argv + 2);
    if (std::strcmp(name, "route") == 0) return commandRoute(argc - 2, argv + 2);
    if (std::strcmp(name, "measure") == 0) return commandMeasure(argc - 2, argv + 2);
    if (std::strcmp(name, "play") == 0) return commandPlay(argc - 2, argv + 2);
    return usage();
}
