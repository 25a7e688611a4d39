// kestravel-world zone FILE X Y: the grid the game builds for one zone, as one line of JSON.
#include <cstdio>
#include <string>

#include "gameplay/state.h"
#include "tools/world/commands.h"
#include "world/world.h"

namespace {

void appendArray(std::string& out, const int32_t* values) {
    out += '[';
    for (int i = 0; i < ZONE_TILES; ++i) {
        if (i) out += ", ";
        out += std::to_string(values[i]);
    }
    out += ']';
}

}  // namespace

int commandZone(int argc, char** argv) {
    int32_t x = 0, y = 0;
    if (argc != 3 || !readWholeArgument(argv[1], x) || !readWholeArgument(argv[2], y)) {
        std::fprintf(stderr, "usage: kestravel-world zone FILE X Y\n");
        return 2;
    }
    if (!isWorldReadable("kestravel-world", argv[0])) return 2;
    startWorldGame(argv[0]);
    bool found = loadZone(x, y);

    std::string out = "{\"found\": ";
    out += found ? "true" : "false";
    out += ", \"zone\": [" + std::to_string(progress.currentZoneX) + ", " + std::to_string(progress.currentZoneY) + "]";
    out += ", \"distance\": " + std::to_string(progress.zoneDistance);
    out += ", \"flags\": ";
    appendArray(out, room.tileFlags);
    out += ", \"dirs\": ";
    appendArray(out, room.tileDirection);
    out += "}\n";
    std::fputs(out.c_str(), stdout);
    return 0;
}
