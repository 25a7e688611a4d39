// kestravel-world: the level designer's tool, reading worlds through the game's own code.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <SDL_main.h>  // on Windows SDL's entry point hands main its arguments in UTF-8

#include "gameplay/replay.h"
#include "gameplay/sound.h"
#include "gameplay/state.h"
#include "shell/platform.h"
#include "shell/shell.h"
#include "tools/world/commands.h"
#include "world/world.h"

bool isWorldReadable(const char* who, const char* path) {
    std::string problem;
    if (!isWorldFileSound(path, problem)) {
        std::fprintf(stderr, "%s: cannot read %s: %s\n", who, path, problem.c_str());
        return false;
    }
    FILE* file = openFile(path, "rb");
    if (!file) {
        std::fprintf(stderr, "%s: cannot open %s\n", who, path);
        return false;
    }
    std::fclose(file);
    return true;
}

void startWorldGame(const char* path) {
    GameStart start;
    start.worldFile = path;
    const char* failure = nullptr;
    startGame(start, failure);  // headless on a named world: nothing that can fail
}

bool readWholeArgument(const char* text, int32_t& value) {
    if (!text || !*text) return false;
    char* end = nullptr;
    errno = 0;
    long long parsed = std::strtoll(text, &end, 10);
    if (errno != 0 || *end != '\0' || parsed < INT32_MIN || parsed > INT32_MAX) return false;
    value = static_cast<int32_t>(parsed);
    return true;
}

static int usage() {
    std::fprintf(stderr,
                 "usage: kestravel-world zone FILE X Y\n"
                 "       kestravel-world check FILE\n"
                 "       kestravel-world run FILE [--last] [--header] [--at ZX ZY X Y] [--checkpoint ZX ZY [C R]]\n"
                 "                               [--stars N ROUTE] < SCRIPT\n"
                 "       kestravel-world map FILE OUT.png [--scale S] [--from ZX ZY] [--boxes]\n"
                 "       kestravel-world route FILE\n"
                 "       kestravel-world measure FILE [--route SCRIPT]\n");
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
    return usage();
}
