#pragma once
// The world file, the current zone's tiles, moving between zones, respawn and restart.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

constexpr int ZONE_COLUMNS = 16;
constexpr int ZONE_ROWS = 12;
constexpr int ZONE_TILES = ZONE_COLUMNS * ZONE_ROWS;
constexpr int TILE_SIZE = 40;
constexpr int ZONE_WIDTH = ZONE_COLUMNS * TILE_SIZE;   // 640: a zone fills the logical screen
constexpr int ZONE_HEIGHT = ZONE_ROWS * TILE_SIZE;     // 480
constexpr int WORLD_STAR_SLOTS = 10;   // stars of a world; the tenth completes the game

constexpr int32_t TILE_EMPTY = 0;
constexpr int32_t TILE_WALL = 1;
constexpr int32_t TILE_CHECKPOINT = 2;
constexpr int32_t TILE_CHECKPOINT_ACTIVE = 4;
constexpr int32_t TILE_SPIKE = 16;
constexpr int32_t TILE_STAR = 64;

constexpr int32_t DIR_NONE = -1;
constexpr int32_t DIR_UP = 0;
constexpr int32_t DIR_RIGHT = 1;
constexpr int32_t DIR_DOWN = 2;
constexpr int32_t DIR_LEFT = 3;

constexpr const char* WORLD_FILE = "data/game/world1.txt";
// Past this a world file counts as unreadable; a full 256 x 256 grid of zones takes about 20 MB.
constexpr uint64_t WORLD_MAX_BYTES = uint64_t(64) << 20;

// The world file's lines in one block of text: a few bytes per line however many there are.
struct WorldLines {
    std::string text;              // every line followed by one LF
    std::vector<uint32_t> starts;  // where each line begins in text, then text's size

    size_t size() const { return starts.empty() ? 0 : starts.size() - 1; }
    bool empty() const { return size() == 0; }
    std::string_view operator[](size_t i) const {
        return std::string_view(text).substr(starts[i], starts[i + 1] - starts[i] - 1);
    }
    struct Iterator {
        const WorldLines* lines;
        size_t index;
        std::string_view operator*() const { return (*lines)[index]; }
        Iterator& operator++() {
            ++index;
            return *this;
        }
        bool operator!=(const Iterator& other) const { return index != other.index; }
    };
    Iterator begin() const { return {this, 0}; }
    Iterator end() const { return {this, size()}; }
};

// A zone block the game loads: the first block under each zone's header.
struct WorldZone {
    int32_t x, y;     // zone coordinates
    uint32_t header;  // index of the header line in the world lines
};

// The world file and its index, and the tables the game moves by: kept for the whole program.
struct WorldState {
    WorldLines lines;                  // the world file
    std::vector<WorldZone> zones;      // each zone's first block, in file order
    std::vector<uint32_t> zoneSlots;   // hash table over zones: index + 1, 0 when free
    int32_t startLine = -1;            // index of the first "start:" line, -1 if none
    float gravityTable[10] = {};       // by zone distance, filled by resetToStart
    float jumpSpeedTable[10] = {};     // by zone distance, filled by resetToStart
};
extern WorldState world;

// The zone being played: its tiles, rebuilt in place by loadZone from the world and the progress.
struct RoomState {
    int32_t tileFlags[ZONE_TILES];      // index = column + row * 16, row 0 at the bottom
    int32_t tileDirection[ZONE_TILES];  // way each tile's spike points, DIR_NONE if none
};
extern RoomState room;

// Where the run stands; with the gameplay records it is all a saved game holds, the room being
// rebuilt from it.
struct ProgressState {
    int32_t currentZoneX = 0, currentZoneY = 0;        // zone held in the room
    int32_t checkpointZoneX = 0, checkpointZoneY = 0;  // zone of the current checkpoint
    int32_t checkpointIdentity = -1;                   // tileIdentity of the current checkpoint; -1 until the first reset
    int32_t collectedStars[WORLD_STAR_SLOTS] = {};     // identities of stars picked up, in order
    int32_t collectedStarCount = 0;                    // entries used in collectedStars
    int32_t zoneDistance = 0;                          // 0..9 zone steps from the checkpoint zone
};
extern ProgressState progress;

void resetWorldState();                          // program-start values of all three (checkpoint identity -1)
void resetProgressState();                       // the room's and the progress's alone: the world stays
bool findDataFolder(const std::string& relativePath);
// False, with what is wrong in problem, unless path is a regular file of at most WORLD_MAX_BYTES.
bool isWorldFileSound(const std::string& path, std::string& problem);
int32_t loadWorldLines();                        // reads WORLD_FILE; ends the game if it is not sound
// Tools and tests name the file; one that cannot be read, or grew past the bound, is an empty world.
int32_t loadWorldLinesFrom(const std::string& path);
int32_t loadWorldText(std::string text);         // decoded text already in memory

// The only way std::to_string writes an int32: "-" for a negative value, no "+", no leading zeros.
bool readPlainNumber(std::string_view text, int32_t& value);

// The zone format, read the same way by the game and by kestravel-world.
// Coordinates of a line that heads a zone block: "zone:" in any case, x "," y in plain decimal.
bool parseZoneHeader(std::string_view line, int32_t& x, int32_t& y);
const WorldZone* findZone(int32_t x, int32_t y);  // null if the world has no such zone
// Row line of the block (row 0 at the bottom); "" past the end of the world.
std::string_view zoneRowLine(const WorldZone& zone, int32_t row);
// The tile characters of a row line by column, 0 where the line is too short. A character is a
// code point, not a byte; the rest of the line is never looked at.
void readRowLine(std::string_view line, uint32_t columns[ZONE_COLUMNS]);
// TILE_WALL, TILE_CHECKPOINT, TILE_SPIKE, TILE_STAR or TILE_EMPTY, before stars and checkpoints are known.
int32_t tileOfCharacter(uint32_t character);
// One past the last line of the direction section: the empty line that ends the block, or the end.
size_t directionSectionEnd(const WorldZone& zone);
bool isDirectionLine(std::string_view line);     // "dir:" in any case
struct DirectionLine {
    int32_t column, row;    // as read, not yet checked against the zone
    int32_t direction;      // DIR_NONE for a word that is not UP, DOWN, LEFT or RIGHT
    int32_t fields;         // comma-separated fields after "dir:"; the game reads the first three
    bool overflowed;        // a number meant more than an int32 holds, and wrapped
    std::string_view word;  // the third field as written
};
DirectionLine readDirectionLine(std::string_view line);
int32_t tileIdentity(int32_t zoneX, int32_t zoneY, int32_t column, int32_t row);
// One tile of the world, as a tile identity names it.
struct TilePlace {
    int32_t zoneX, zoneY, column, row;
};
TilePlace tilePlace(int32_t identity);  // zones 0..255: what an identity keeps of them
// Grid cell of a zone point; false when it lies outside the zone (a point on 640 or 480 does).
bool tileAt(float x, float y, int32_t& column, int32_t& row);
bool isStarCollected(int32_t zoneX, int32_t zoneY, int32_t column, int32_t row);
// The same question of any progress, such as a saved one.
bool hasCollectedStar(const ProgressState& progress, int32_t identity);
// The six numbers of the first start block: the start zone, the checkpoint zone and the start tile.
struct StartBlock {
    int32_t zoneX, zoneY, checkpointX, checkpointY, column, row;
};
bool readStartBlock(StartBlock& start);  // false, and nothing read, without a start block
void placeInTile(float column, float row);  // the player centred in that tile of the current zone
bool loadZone(int32_t x, int32_t y);
void changeZone(int32_t dx, int32_t dy);
void resetToStart();
void respawnAtCheckpoint();
