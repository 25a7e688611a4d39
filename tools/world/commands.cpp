#include "tools/world/commands.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "shell/platform.h"
#include "shell/shell.h"
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
