// kestravel-world run FILE [--last]: plays a key script against a world without a window.
#include <SDL.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "gameplay/flow.h"
#include "gameplay/replay.h"
#include "gameplay/sound.h"
#include "gameplay/state.h"
#include "gameplay/movement.h"
#include "shell/shell.h"
#include "tools/world/commands.h"
#include "world/world.h"

namespace {

const char SCRIPT_LETTERS[] = "LRJUDPCBM";

struct ScriptStep {
    long frames;
    uint16_t keys;  // bit i: SCRIPT_LETTERS[i] held
};

// Letters in either case.
int scancodeForLetter(char letter) {
    switch (std::toupper(static_cast<unsigned char>(letter))) {
    case 'L': return SDL_SCANCODE_LEFT;
    case 'R': return SDL_SCANCODE_RIGHT;
    case 'J': return SDL_SCANCODE_SPACE;
    case 'U': return SDL_SCANCODE_UP;
    case 'D': return SDL_SCANCODE_DOWN;
    case 'P': return SDL_SCANCODE_ESCAPE;
    case 'C': return SDL_SCANCODE_RETURN;
    case 'B': return SDL_SCANCODE_BACKSPACE;
    case 'M': return SDL_SCANCODE_M;
    default: return -1;
    }
}

bool isBlank(const std::string& s) {
    return s.find_first_not_of(" \t\r\n") == std::string::npos;
}

// "COUNT KEYS"; false with a message naming the line when it is not.
bool parseLine(const std::string& line, int number, ScriptStep& step) {
    const char* p = line.c_str();
    while (*p == ' ' || *p == '\t') ++p;
    char* end = nullptr;
    errno = 0;
    long count = std::strtol(p, &end, 10);
    if (end == p || errno == ERANGE || count <= 0 || count > 2000000000L ||
        (*end != ' ' && *end != '\t')) {
        std::fprintf(stderr, "kestravel-world run: line %d: expected a positive frame count and keys\n",
                     number);
        return false;
    }
    p = end;
    while (*p == ' ' || *p == '\t') ++p;
    const char* keysStart = p;
    while (*p && *p != ' ' && *p != '\t' && *p != '\r' && *p != '\n') ++p;
    std::string keys(keysStart, p);
    while (*p == ' ' || *p == '\t' || *p == '\r' || *p == '\n') ++p;
    if (keys.empty() || *p != '\0') {
        std::fprintf(stderr, "kestravel-world run: line %d: expected a positive frame count and keys\n",
                     number);
        return false;
    }
    step.frames = count;
    step.keys = 0;
    if (keys == "-") return true;
    for (char letter : keys) {
        const char* found = std::strchr(SCRIPT_LETTERS, std::toupper(static_cast<unsigned char>(letter)));
        if (letter == '\0' || !found) {
            std::fprintf(stderr, "kestravel-world run: line %d: unknown key '%c' (use L R J U D P C B M or -)\n",
                         number, letter);
            return false;
        }
        step.keys |= static_cast<uint16_t>(1u << (found - SCRIPT_LETTERS));
    }
    return true;
}

bool readScript(std::FILE* in, std::vector<ScriptStep>& steps) {
    std::string line;
    int number = 0;
    int c;
    bool more = true;
    while (more) {
        line.clear();
        while ((c = std::fgetc(in)) != EOF && c != '\n') line.push_back(static_cast<char>(c));
        more = c != EOF;
        if (!more && line.empty()) break;
        ++number;
        if (isBlank(line)) continue;
        size_t first = line.find_first_not_of(" \t");
        if (line[first] == '#') continue;
        ScriptStep step;
        if (!parseLine(line, number, step)) return false;
        steps.push_back(step);
    }
    return true;
}

void printFields(long frame) {
    std::printf("%ld %d %d %.9g %.9g %.9g %.9g %d %d %d %d %d %d %d %d %d %d %d %d %d %d\n", frame,
                world.currentZoneX, world.currentZoneY, player.x, player.y, player.vx, player.vy,
                player.flags, movement.airFrames, player.facing, player.animFrame, game.playerDead,
                game.fadeTimer, world.zoneDistance, flow.paused, game.deathCount, game.jumpCount,
                game.checkCount, world.collectedStarCount, game.gameComplete, game.timeFrames);
}

}  // namespace

int commandRun(int argc, char** argv) {
    if (argc < 1 || argc > 2 || (argc == 2 && std::strcmp(argv[1], "--last") != 0)) {
        std::fprintf(stderr, "usage: kestravel-world run FILE [--last] < SCRIPT\n");
        return 2;
    }
    const char* path = argv[0];
    bool lastOnly = argc == 2;

    if (!isWorldReadable("kestravel-world run", path)) return 2;

    std::vector<ScriptStep> steps;
    if (!readScript(stdin, steps)) return 2;

    resetWorldState();
    resetGameState();
    resetSoundState();
    startHeadlessGame();
    loadWorldLinesFrom(path);
    resetToStart();

    long frame = 0;
    uint8_t keys[REPLAY_KEYS];
    for (const ScriptStep& step : steps) {
        std::memset(keys, 0, sizeof keys);
        for (int bit = 0; SCRIPT_LETTERS[bit]; ++bit)
            if (step.keys & (1u << bit)) keys[scancodeForLetter(SCRIPT_LETTERS[bit])] = 1;
        for (long i = 0; i < step.frames; ++i) {
            runHeadlessFrame(keys);
            ++frame;
            bool quit = shell.quitGame != 0;
            if (!lastOnly) printFields(frame);
            if (quit) {
                if (lastOnly) printFields(frame);
                return 0;
            }
        }
    }
    if (lastOnly && frame > 0) printFields(frame);
    return 0;
}
