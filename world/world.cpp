#include "world/world.h"

#include <cstdlib>

#include "gameplay/state.h"
#include "shell/platform.h"
#include "world/textfile.h"

WorldState world;

namespace {

constexpr float JUMP_SPEEDS[10] = {0.0f, 7.0f, 10.0f, 11.5f, 13.1f, 14.7f, 16.0f, 17.1f, 18.4f, 19.5f};

char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Compares without building a lower-cased copy: loadZone scans every line.
bool equalsLowered(const std::string& line, const std::string& lowered) {
    if (line.size() != lowered.size()) return false;
    for (size_t i = 0; i < line.size(); ++i)
        if (lowerAscii(line[i]) != lowered[i]) return false;
    return true;
}

std::string upperAscii(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

const std::string& lineAt(size_t index) {
    static const std::string empty;
    return index < world.lines.size() ? world.lines[index] : empty;
}

// Zone coordinates come from the file unchecked; step in unsigned so INT_MAX + 1 wraps.
int32_t wrapAdd(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}

bool testPath(const std::string& path) { return pathExists(path); }

void readDirectionLine(const std::string& line) {
    std::vector<std::string> fields;
    splitString(line.substr(4), ",", false, fields);
    fields.resize(3);
    int32_t column = readNumber(fields[0]);
    int32_t row = readNumber(fields[1]);
    if (column < 0 || column >= ZONE_COLUMNS || row < 0 || row >= ZONE_ROWS) return;
    std::string word = upperAscii(fields[2]);
    int32_t dir;
    if (word == "UP") dir = DIR_UP;
    else if (word == "DOWN") dir = DIR_DOWN;
    else if (word == "LEFT") dir = DIR_LEFT;
    else if (word == "RIGHT") dir = DIR_RIGHT;
    else return;
    world.tileDirection[column + row * ZONE_COLUMNS] = dir;
}

void applyDefaultDirections() {
    const int32_t* flags = world.tileFlags;
    for (int row = 0; row < ZONE_ROWS; ++row) {
        for (int column = 0; column < ZONE_COLUMNS; ++column) {
            int index = column + row * ZONE_COLUMNS;
            if (world.tileDirection[index] != DIR_NONE) continue;
            int32_t dir = DIR_NONE;
            if (row == 0) dir = DIR_UP;
            else if (row == ZONE_ROWS - 1) dir = DIR_DOWN;
            else if (column == 0) dir = DIR_RIGHT;
            else if (column == ZONE_COLUMNS - 1) dir = DIR_LEFT;
            else if (flags[index - ZONE_COLUMNS] & TILE_WALL) dir = DIR_UP;
            else if (flags[index + ZONE_COLUMNS] & TILE_WALL) dir = DIR_DOWN;
            else if (flags[index - 1] & TILE_WALL) dir = DIR_RIGHT;
            else if (flags[index + 1] & TILE_WALL) dir = DIR_LEFT;
            world.tileDirection[index] = dir;
        }
    }
}

void placeInTile(float column, float row) {
    player.x = column * TILE_SIZE + (TILE_SIZE - player.width) / 2;
    player.y = row * TILE_SIZE + (TILE_SIZE - player.height) / 2;
}

}  // namespace

void resetWorldState() { world = WorldState{}; }

bool findDataFolder(const std::string& relativePath) {
    std::string path = relativePath;
    for (char& c : path)
        if (c == '/' || c == '\\') c = pathSeparator();
    std::string remembered = currentDirectory();
    if (testPath(path)) return true;
    if (changeDirectory("..") && testPath(path)) return true;
    std::string exeFolder = executableFolder();
    // Without a known executable folder its parent cannot be reached either.
    if (!exeFolder.empty() && changeDirectory(exeFolder)) {
        if (testPath(path)) return true;
        if (changeDirectory("..") && testPath(path)) return true;
    }
    changeDirectory(remembered);
    return false;
}

int32_t loadWorldText(const std::string& text) {
    return splitString(text, "", false, world.lines);
}

int32_t loadWorldLinesFrom(const std::string& path) { return loadWorldText(readTextFile(path)); }

int32_t loadWorldLines() { return loadWorldLinesFrom(WORLD_FILE); }

int32_t tileIdentity(int32_t zoneX, int32_t zoneY, int32_t column, int32_t row) {
    uint32_t id = ((static_cast<uint32_t>(zoneX) & 0xFFu) << 24) |
                  ((static_cast<uint32_t>(zoneY) & 0xFFu) << 16) |
                  ((static_cast<uint32_t>(column) & 0xFFu) << 8) |
                  (static_cast<uint32_t>(row) & 0xFFu);
    return static_cast<int32_t>(id);
}

bool isStarCollected(int32_t zoneX, int32_t zoneY, int32_t column, int32_t row) {
    int32_t id = tileIdentity(zoneX, zoneY, column, row);
    int32_t count = world.collectedStarCount;
    if (count > WORLD_STAR_SLOTS) count = WORLD_STAR_SLOTS;
    for (int32_t i = 0; i < count; ++i)
        if (world.collectedStars[i] == id) return true;
    return false;
}

bool loadZone(int32_t x, int32_t y) {
    const std::string header = "zone:" + std::to_string(x) + "," + std::to_string(y);
    size_t count = world.lines.size();
    size_t h = 0;
    while (h < count && !equalsLowered(world.lines[h], header)) ++h;
    if (h == count) return false;

    for (int row = 0; row < ZONE_ROWS; ++row) {
        const std::string& line = lineAt(h + 12 - row);
        for (int column = 0; column < ZONE_COLUMNS; ++column) {
            int index = column + row * ZONE_COLUMNS;
            world.tileDirection[index] = DIR_NONE;
            char c = static_cast<size_t>(column) < line.size() ? line[column] : '\0';
            int32_t flag = TILE_EMPTY;
            if (c == 'w' || c == 'W') flag = TILE_WALL;
            else if (c == '@')
                flag = tileIdentity(x, y, column, row) == world.checkpointIdentity ? TILE_CHECKPOINT_ACTIVE
                                                                                  : TILE_CHECKPOINT;
            else if (c == '^') flag = TILE_SPIKE;
            else if (c == '$') flag = isStarCollected(x, y, column, row) ? TILE_EMPTY : TILE_STAR;
            world.tileFlags[index] = flag;
        }
    }

    for (size_t k = h + 13; k < count && !world.lines[k].empty(); ++k) {
        const std::string& line = world.lines[k];
        if (line.size() >= 4 && equalsLowered(line.substr(0, 4), "dir:")) readDirectionLine(line);
    }

    world.currentZoneX = x;
    world.currentZoneY = y;
    applyDefaultDirections();

    int64_t distance = std::llabs(static_cast<int64_t>(world.checkpointZoneX) - x) +
                       std::llabs(static_cast<int64_t>(world.checkpointZoneY) - y);
    world.zoneDistance = distance >= 10 ? 9 : static_cast<int32_t>(distance);
    return true;
}

void changeZone(int32_t dx, int32_t dy) {
    player.x -= dx * 640.0f;
    player.y -= dy * 480.0f;
    loadZone(wrapAdd(world.currentZoneX, dx), wrapAdd(world.currentZoneY, dy));
}

void resetToStart() {
    for (float& g : world.gravityTable) g = 0.5f;
    for (int i = 0; i < 10; ++i) world.jumpSpeedTable[i] = JUMP_SPEEDS[i];

    player.width = 32.0f;
    player.height = 32.0f;
    player.vx = 0.0f;
    player.vy = 0.0f;
    player.flags = PLAYER_AIRBORNE;
    player.facing = 1;
    player.animFrame = 0;
    player.animTime = 0.0f;

    size_t count = world.lines.size();
    for (size_t s = 0; s < count; ++s) {
        if (world.lines[s] != "start:") continue;
        world.currentZoneX = readNumber(lineAt(s + 1));
        world.currentZoneY = readNumber(lineAt(s + 2));
        world.checkpointZoneX = readNumber(lineAt(s + 3));
        world.checkpointZoneY = readNumber(lineAt(s + 4));
        // Float arithmetic: a wild column from the file must not overflow an int.
        placeInTile(static_cast<float>(readNumber(lineAt(s + 5))), static_cast<float>(readNumber(lineAt(s + 6))));
        break;
    }

    game.timeFrames = 0;
    game.jumpCount = 0;
    game.checkCount = 0;
    game.deathCount = 0;
    world.collectedStarCount = 0;
    game.starPopupTimer = 0;
    game.titleFrames = 0;
    game.fadeTimer = 30;
    game.playerDead = 0;
    game.gameComplete = 0;
    world.checkpointIdentity = 0;

    loadZone(world.currentZoneX, world.currentZoneY);
}

void respawnAtCheckpoint() {
    game.playerDead = 0;
    game.previewAlpha = 0;
    if (world.checkpointZoneX != world.currentZoneX || world.checkpointZoneY != world.currentZoneY)
        loadZone(world.checkpointZoneX, world.checkpointZoneY);
    player.vx = 0.0f;
    player.vy = 0.0f;
    player.flags |= PLAYER_AIRBORNE;
    for (int index = 0; index < ZONE_TILES; ++index) {
        if (world.tileFlags[index] == TILE_CHECKPOINT_ACTIVE) {
            placeInTile(static_cast<float>(index % ZONE_COLUMNS), static_cast<float>(index / ZONE_COLUMNS));
            break;
        }
    }
}
