#include "world/world.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "gameplay/state.h"
#include "shell/platform.h"
#include "shell/shell.h"
#include "world/textfile.h"

WorldState world;
RoomState room;
ProgressState progress;

namespace {

constexpr float JUMP_SPEEDS[10] = {0.0f, 7.0f, 10.0f, 11.5f, 13.1f, 14.7f, 16.0f, 17.1f, 18.4f, 19.5f};

char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool equalsLowered(std::string_view text, std::string_view lowered) {
    if (text.size() != lowered.size()) return false;
    for (size_t i = 0; i < text.size(); ++i)
        if (lowerAscii(text[i]) != lowered[i]) return false;
    return true;
}

std::string_view lineAt(size_t index) { return index < world.lines.size() ? world.lines[index] : std::string_view(); }

// Zone coordinates come from the file unchecked; step in unsigned so INT_MAX + 1 wraps.
int32_t wrapAdd(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}

bool testPath(const std::string& path) { return pathExists(path); }

uint32_t zoneHash(int32_t x, int32_t y, size_t slotCount) {
    uint64_t key = (static_cast<uint64_t>(static_cast<uint32_t>(x)) << 32) | static_cast<uint32_t>(y);
    return static_cast<uint32_t>((key * 0x9E3779B97F4A7C15ull) >> 32) & static_cast<uint32_t>(slotCount - 1);
}

// Slot of zone (x, y) in the table, or of the free slot where it would go.
uint32_t zoneSlot(int32_t x, int32_t y) {
    size_t mask = world.zoneSlots.size() - 1;
    uint32_t slot = zoneHash(x, y, world.zoneSlots.size());
    while (uint32_t held = world.zoneSlots[slot]) {
        const WorldZone& zone = world.zones[held - 1];
        if (zone.x == x && zone.y == y) break;
        slot = static_cast<uint32_t>((slot + 1) & mask);
    }
    return slot;
}

// Half full at most, so a probe ends soon.
void growZoneSlots() {
    world.zoneSlots.assign(world.zoneSlots.size() * 2, 0);
    for (size_t i = 0; i < world.zones.size(); ++i)
        world.zoneSlots[zoneSlot(world.zones[i].x, world.zones[i].y)] = static_cast<uint32_t>(i + 1);
}

// Headers to blocks, once per world: the first block of a zone wins, as a scan from the top would find it.
void indexWorld() {
    world.zones.clear();
    world.zoneSlots.assign(16, 0);
    world.startLine = -1;
    for (size_t i = 0; i < world.lines.size(); ++i) {
        std::string_view line = world.lines[i];
        int32_t x, y;
        if (parseZoneHeader(line, x, y)) {
            uint32_t slot = zoneSlot(x, y);
            if (world.zoneSlots[slot]) continue;
            world.zones.push_back({x, y, static_cast<uint32_t>(i)});
            world.zoneSlots[slot] = static_cast<uint32_t>(world.zones.size());
            if (world.zones.size() * 2 > world.zoneSlots.size()) growZoneSlots();
        } else if (world.startLine < 0 && line == "start:") {
            world.startLine = static_cast<int32_t>(i);
        }
    }
    world.zones.shrink_to_fit();
}

void applyDefaultDirections() {
    const int32_t* flags = room.tileFlags;
    for (int row = 0; row < ZONE_ROWS; ++row) {
        for (int column = 0; column < ZONE_COLUMNS; ++column) {
            int index = column + row * ZONE_COLUMNS;
            if (room.tileDirection[index] != DIR_NONE) continue;
            int32_t dir = DIR_NONE;
            if (row == 0) dir = DIR_UP;
            else if (row == ZONE_ROWS - 1) dir = DIR_DOWN;
            else if (column == 0) dir = DIR_RIGHT;
            else if (column == ZONE_COLUMNS - 1) dir = DIR_LEFT;
            else if (flags[index - ZONE_COLUMNS] & TILE_WALL) dir = DIR_UP;
            else if (flags[index + ZONE_COLUMNS] & TILE_WALL) dir = DIR_DOWN;
            else if (flags[index - 1] & TILE_WALL) dir = DIR_RIGHT;
            else if (flags[index + 1] & TILE_WALL) dir = DIR_LEFT;
            room.tileDirection[index] = dir;
        }
    }
}


}  // namespace

bool readPlainNumber(std::string_view text, int32_t& value) {
    bool negative = !text.empty() && text[0] == '-';
    std::string_view digits = text.substr(negative ? 1 : 0);
    if (digits.empty() || digits.size() > 10 || (digits[0] == '0' && (digits.size() > 1 || negative))) return false;
    int64_t parsed = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return false;
        parsed = parsed * 10 + (c - '0');
    }
    if (negative) parsed = -parsed;
    if (parsed < INT32_MIN || parsed > INT32_MAX) return false;
    value = static_cast<int32_t>(parsed);
    return true;
}

void resetWorldState() {
    world = WorldState{};
    resetProgressState();
}

void resetProgressState() {
    room = RoomState{};
    progress = ProgressState{};
}

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

bool isWorldFileSound(const std::string& path, std::string& problem) {
    if (!pathExists(path)) {
        problem = "no such file";
        return false;
    }
    if (!isRegularFile(path)) {
        problem = "not a regular file";
        return false;
    }
    if (!isFileWithin(path, WORLD_MAX_BYTES)) {
        problem = fileSize(path) < 0 ? "its size cannot be read"
                                     : "larger than " + std::to_string(WORLD_MAX_BYTES >> 20) +
                                           " MiB, the most a world file may hold";
        return false;
    }
    return true;
}

int32_t loadWorldText(std::string text) {
    unifyLineBreaks(text);
    // Line starts are 32-bit; text this long never comes from a world file within the bound.
    if (text.size() >= UINT32_MAX) text.clear();
    if (!text.empty() && text.back() != '\n') text += '\n';
    WorldLines& lines = world.lines;
    lines.text = std::move(text);
    size_t count = 0;
    for (char c : lines.text) count += c == '\n';
    lines.starts.clear();
    lines.starts.reserve(count + 1);
    lines.starts.push_back(0);
    for (size_t at = 0; (at = lines.text.find('\n', at)) != std::string::npos;)
        lines.starts.push_back(static_cast<uint32_t>(++at));
    indexWorld();
    return static_cast<int32_t>(lines.size());
}

int32_t loadWorldLinesFrom(const std::string& path) {
    std::string text;
    readTextFile(path, WORLD_MAX_BYTES, text);
    return loadWorldText(std::move(text));
}

int32_t loadWorldLines() {
    std::string problem;
    // A world past the bound cannot be read; the game ends as it does when the world is gone.
    if (!isWorldFileSound(WORLD_FILE, problem)) fatalExit("Game data not found!");
    return loadWorldLinesFrom(WORLD_FILE);
}

bool parseZoneHeader(std::string_view line, int32_t& x, int32_t& y) {
    if (line.size() < 5 || !equalsLowered(line.substr(0, 5), "zone:")) return false;
    std::string_view body = line.substr(5);
    size_t comma = body.find(',');
    return comma != std::string_view::npos && readPlainNumber(body.substr(0, comma), x) &&
           readPlainNumber(body.substr(comma + 1), y);
}

const WorldZone* findZone(int32_t x, int32_t y) {
    if (world.zoneSlots.empty()) return nullptr;
    uint32_t held = world.zoneSlots[zoneSlot(x, y)];
    return held ? &world.zones[held - 1] : nullptr;
}

std::string_view zoneRowLine(const WorldZone& zone, int32_t row) {
    return lineAt(static_cast<size_t>(zone.header) + ZONE_ROWS - row);
}

void readRowLine(std::string_view line, uint32_t columns[ZONE_COLUMNS]) {
    size_t at = 0;
    for (int column = 0; column < ZONE_COLUMNS; ++column)
        columns[column] = at < line.size() ? nextCharacter(line, at) : 0;
}

int32_t tileOfCharacter(uint32_t character) {
    switch (character) {
    case 'w':
    case 'W': return TILE_WALL;
    case '@': return TILE_CHECKPOINT;
    case '^': return TILE_SPIKE;
    case '$': return TILE_STAR;
    default: return TILE_EMPTY;
    }
}

size_t directionSectionEnd(const WorldZone& zone) {
    size_t end = static_cast<size_t>(zone.header) + ZONE_ROWS + 1;
    while (end < world.lines.size() && !world.lines[end].empty()) ++end;
    return end;
}

bool isDirectionLine(std::string_view line) { return line.size() >= 4 && equalsLowered(line.substr(0, 4), "dir:"); }

DirectionLine readDirectionLine(std::string_view line) {
    std::string_view rest = line.substr(std::min<size_t>(4, line.size()));
    std::string_view fields[3];
    DirectionLine read{0, 0, DIR_NONE, 1, false, {}};
    for (int k = 0;; ++k) {
        size_t comma = rest.find(',');
        if (k < 3) fields[k] = rest.substr(0, comma);
        if (comma == std::string_view::npos) break;
        rest = rest.substr(comma + 1);
        ++read.fields;
    }
    bool columnOverflowed, rowOverflowed;
    read.column = readNumber(fields[0], &columnOverflowed);
    read.row = readNumber(fields[1], &rowOverflowed);
    read.overflowed = columnOverflowed || rowOverflowed;
    read.word = fields[2];
    const std::string_view words[] = {"up", "right", "down", "left"};  // by DIR_ value
    for (int32_t dir = DIR_UP; dir <= DIR_LEFT; ++dir)
        if (equalsLowered(fields[2], words[dir])) read.direction = dir;
    return read;
}

int32_t tileIdentity(int32_t zoneX, int32_t zoneY, int32_t column, int32_t row) {
    uint32_t id = ((static_cast<uint32_t>(zoneX) & 0xFFu) << 24) |
                  ((static_cast<uint32_t>(zoneY) & 0xFFu) << 16) |
                  ((static_cast<uint32_t>(column) & 0xFFu) << 8) |
                  (static_cast<uint32_t>(row) & 0xFFu);
    return static_cast<int32_t>(id);
}

TilePlace tilePlace(int32_t identity) {
    const uint32_t id = static_cast<uint32_t>(identity);
    return {static_cast<int32_t>(id >> 24), static_cast<int32_t>((id >> 16) & 0xFFu),
            static_cast<int32_t>((id >> 8) & 0xFFu), static_cast<int32_t>(id & 0xFFu)};
}

bool tileAt(float x, float y, int32_t& column, int32_t& row) {
    const float c = std::floor(x / TILE_SIZE);
    const float r = std::floor(y / TILE_SIZE);
    // Compared as floats first: out-of-range (or NaN) values must not reach the int cast.
    if (!(c >= 0.0f && c < static_cast<float>(ZONE_COLUMNS))) return false;
    if (!(r >= 0.0f && r < static_cast<float>(ZONE_ROWS))) return false;
    column = static_cast<int32_t>(c);
    row = static_cast<int32_t>(r);
    return true;
}

bool isStarCollected(int32_t zoneX, int32_t zoneY, int32_t column, int32_t row) {
    return hasCollectedStar(progress, tileIdentity(zoneX, zoneY, column, row));
}

bool hasCollectedStar(const ProgressState& saved, int32_t identity) {
    int32_t count = saved.collectedStarCount;
    if (count > WORLD_STAR_SLOTS) count = WORLD_STAR_SLOTS;
    for (int32_t i = 0; i < count; ++i)
        if (saved.collectedStars[i] == identity) return true;
    return false;
}

bool loadZone(int32_t x, int32_t y) {
    const WorldZone* zone = findZone(x, y);
    if (!zone) return false;

    for (int row = 0; row < ZONE_ROWS; ++row) {
        uint32_t characters[ZONE_COLUMNS];
        readRowLine(zoneRowLine(*zone, row), characters);
        for (int column = 0; column < ZONE_COLUMNS; ++column) {
            int index = column + row * ZONE_COLUMNS;
            room.tileDirection[index] = DIR_NONE;
            int32_t flag = tileOfCharacter(characters[column]);
            if (flag == TILE_CHECKPOINT && tileIdentity(x, y, column, row) == progress.checkpointIdentity)
                flag = TILE_CHECKPOINT_ACTIVE;
            else if (flag == TILE_STAR && isStarCollected(x, y, column, row))
                flag = TILE_EMPTY;
            room.tileFlags[index] = flag;
        }
    }

    size_t end = directionSectionEnd(*zone);
    for (size_t k = static_cast<size_t>(zone->header) + ZONE_ROWS + 1; k < end; ++k) {
        std::string_view line = world.lines[k];
        if (!isDirectionLine(line)) continue;
        DirectionLine read = readDirectionLine(line);
        if (read.direction == DIR_NONE || read.column < 0 || read.column >= ZONE_COLUMNS || read.row < 0 ||
            read.row >= ZONE_ROWS)
            continue;
        room.tileDirection[read.column + read.row * ZONE_COLUMNS] = read.direction;
    }

    progress.currentZoneX = x;
    progress.currentZoneY = y;
    applyDefaultDirections();

    int64_t distance = std::llabs(static_cast<int64_t>(progress.checkpointZoneX) - x) +
                       std::llabs(static_cast<int64_t>(progress.checkpointZoneY) - y);
    progress.zoneDistance = distance >= 10 ? 9 : static_cast<int32_t>(distance);
    return true;
}

bool readStartBlock(StartBlock& start) {
    if (world.startLine < 0) return false;
    const size_t s = static_cast<size_t>(world.startLine);
    start = {readNumber(lineAt(s + 1)), readNumber(lineAt(s + 2)), readNumber(lineAt(s + 3)),
             readNumber(lineAt(s + 4)), readNumber(lineAt(s + 5)), readNumber(lineAt(s + 6))};
    return true;
}

void placeInTile(float column, float row) {
    player.x = column * TILE_SIZE + (TILE_SIZE - player.width) / 2;
    player.y = row * TILE_SIZE + (TILE_SIZE - player.height) / 2;
}

void changeZone(int32_t dx, int32_t dy) {
    player.x -= dx * static_cast<float>(ZONE_WIDTH);
    player.y -= dy * static_cast<float>(ZONE_HEIGHT);
    loadZone(wrapAdd(progress.currentZoneX, dx), wrapAdd(progress.currentZoneY, dy));
}

void resetToStart() {
    for (float& g : world.gravityTable) g = 0.5f;
    for (int i = 0; i < 10; ++i) world.jumpSpeedTable[i] = JUMP_SPEEDS[i];

    resetPlayer();

    StartBlock start;
    if (readStartBlock(start)) {
        progress.currentZoneX = start.zoneX;
        progress.currentZoneY = start.zoneY;
        progress.checkpointZoneX = start.checkpointX;
        progress.checkpointZoneY = start.checkpointY;
        // Float arithmetic: a wild column from the file must not overflow an int.
        placeInTile(static_cast<float>(start.column), static_cast<float>(start.row));
    }

    game.timeFrames = 0;
    game.jumpCount = 0;
    game.checkCount = 0;
    game.deathCount = 0;
    progress.collectedStarCount = 0;
    game.starPopupTimer = 0;
    game.titleFrames = 0;
    game.fadeTimer = 30;
    game.playerDead = 0;
    game.gameComplete = 0;
    progress.checkpointIdentity = 0;

    loadZone(progress.currentZoneX, progress.currentZoneY);
}

void respawnAtCheckpoint() {
    game.playerDead = 0;
    game.previewAlpha = 0;
    if (progress.checkpointZoneX != progress.currentZoneX || progress.checkpointZoneY != progress.currentZoneY)
        loadZone(progress.checkpointZoneX, progress.checkpointZoneY);
    player.vx = 0.0f;
    player.vy = 0.0f;
    player.flags |= PLAYER_AIRBORNE;
    for (int index = 0; index < ZONE_TILES; ++index) {
        if (room.tileFlags[index] == TILE_CHECKPOINT_ACTIVE) {
            placeInTile(static_cast<float>(index % ZONE_COLUMNS), static_cast<float>(index / ZONE_COLUMNS));
            break;
        }
    }
}
