#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "tests/support/world_support.h"
#include "world/world.h"

namespace {

using Lines = std::vector<std::string>;

const std::string TOOL = std::string(KESTRAVEL_BIN_DIR) + "/kestravel-world";

Lines concat(std::initializer_list<Lines> parts) {
    Lines out;
    for (const Lines& part : parts) out.insert(out.end(), part.begin(), part.end());
    return out;
}

Lines tenStarsRows() {
    Lines rows(12, "                ");
    rows[10] = "   $$$$$$$$$$   ";
    rows[11] = "wwwwwwwwwwwwwwww";
    return rows;
}

// A clean two-zone world, with the given lines appended.
Lines cleanWorld(const Lines& extra = {}) {
    Lines floor(12, "                ");
    floor[11] = "wwwwwwwwwwwwwwww";
    floor[10] = "     ^          ";
    return concat({startBlock(0, 0, 0, 0, 1, 1), zoneBlock(0, 0, tenStarsRows()),
                   zoneBlock(1, 0, floor, {"dir:5,1,left", ""}), extra});
}

class WorldTool : public ::testing::Test {
protected:
    void SetUp() override {
        folder = makeTempFolder("kestravel-tool");
        ASSERT_FALSE(folder.empty());
    }
    void TearDown() override { removeTree(folder); }
    std::string write(const Lines& lines, const std::string& name = "w.txt") {
        std::string path = folder + "/" + name;
        writeBytes(path, joinLines(lines));
        return path;
    }
    int run(const std::string& args) { return runCommand(TOOL + " " + args + " 2>/dev/null", out); }
    bool has(const std::string& text) const { return out.find(text) != std::string::npos; }
    std::string folder;
    std::string out;
};

std::string jsonArray(const std::string& json, const std::string& key) {
    size_t at = json.find("\"" + key + "\": [");
    if (at == std::string::npos) return "";
    size_t open = json.find('[', at);
    return json.substr(open, json.find(']', open) - open + 1);
}

int countValues(const std::string& array) {
    if (array.size() < 3) return 0;
    int commas = 0;
    for (char c : array) commas += c == ',';
    return commas + 1;
}

}  // namespace

TEST_F(WorldTool, ZonePrintsTheBuiltGrid) {
    std::string path = write(cleanWorld());
    ASSERT_EQ(run("zone " + path + " 1 0"), 0);
    EXPECT_EQ(out.back(), '\n');
    EXPECT_EQ(out.find('\n'), out.size() - 1);  // one line
    EXPECT_EQ(out.rfind("{\"found\": true, \"zone\": [1, 0], \"distance\": 1, \"flags\": [1, 1, ", 0), 0u) << out;
    std::string flags = jsonArray(out, "flags");
    std::string dirs = jsonArray(out, "dirs");
    EXPECT_EQ(countValues(flags), 192);
    EXPECT_EQ(countValues(dirs), 192);
    // Tile (5, 1) is index 21: a spike pointing left by its direction line.
    EXPECT_EQ(flags.substr(1, 3 * 22).substr(3 * 21, 2), "16");
    EXPECT_EQ(dirs.rfind("[0, 0, ", 0), 0u);
    EXPECT_NE(dirs.find(" 3, "), std::string::npos);
    EXPECT_EQ(out.substr(out.size() - 3), "]}\n");
}

TEST_F(WorldTool, ZoneNotFoundReportsTheStartZone) {
    std::string path = write(cleanWorld());
    ASSERT_EQ(run("zone " + path + " 4 4"), 0);
    EXPECT_EQ(out.rfind("{\"found\": false, \"zone\": [0, 0], \"distance\": 0, ", 0), 0u) << out;
}

TEST_F(WorldTool, ZoneOnAFileItCannotOpen) {
    EXPECT_EQ(run("zone " + folder + "/missing.txt 0 0"), 2);
    EXPECT_EQ(out, "");
    EXPECT_EQ(run("zone " + folder + " 0 0"), 2);
    EXPECT_EQ(run("zone " + write(cleanWorld()) + " x 0"), 2);
    EXPECT_EQ(run("zone " + write(cleanWorld())), 2);
}

TEST_F(WorldTool, ZoneOnAnUnreadableMarkIsAnEmptyWorld) {
    std::string path = folder + "/be.txt";
    writeBytes(path, std::string("\xFE\xFF\0z", 4));
    ASSERT_EQ(run("zone " + path + " 0 0"), 0);
    EXPECT_EQ(out.rfind("{\"found\": false, \"zone\": [0, 0], \"distance\": 0, \"flags\": [0, 0, ", 0), 0u);
}

TEST_F(WorldTool, CheckCleanWorld) {
    EXPECT_EQ(run("check " + write(cleanWorld())), 0) << out;
    EXPECT_EQ(out, folder + "/w.txt: 0 errors, 0 warnings\n");
}

TEST_F(WorldTool, EveryCommandRefusesWhatIsNoWorldFile) {
    std::string fifo = folder + "/fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    std::string huge = write({});
    std::filesystem::resize_file(huge, WORLD_MAX_BYTES + 1);
    for (const std::string& path : {std::string("/dev/zero"), fifo, huge}) {
        EXPECT_EQ(run("zone " + path + " 0 0"), 2) << path;
        EXPECT_EQ(run("run " + path + " </dev/null"), 2) << path;
        EXPECT_EQ(run("map " + path + " " + folder + "/map.png"), 2) << path;
        EXPECT_EQ(run("route " + path), 2) << path;
        EXPECT_EQ(run("check " + path), 1) << path;
        EXPECT_TRUE(has("0: error: cannot read " + path + ": " +
                        (path == huge ? "larger than 64 MiB" : "not a regular file")))
            << out;
    }
}

TEST_F(WorldTool, CheckFileLevelErrors) {
    EXPECT_EQ(run("check " + folder + "/missing.txt"), 1);
    EXPECT_TRUE(has("0: error: cannot read")) << out;
    std::string path = folder + "/be.txt";
    writeBytes(path, std::string("\xFE\xFF\0z", 4));
    EXPECT_EQ(run("check " + path), 1);
    EXPECT_TRUE(has("1: error: unknown byte-order mark")) << out;
    EXPECT_TRUE(has("1 error, 0 warnings")) << out;
}

TEST_F(WorldTool, CheckStartBlock) {
    Lines noStart = cleanWorld();
    noStart.erase(noStart.begin(), noStart.begin() + 8);
    EXPECT_EQ(run("check " + write(noStart)), 1);
    EXPECT_TRUE(has("0: error: no start block")) << out;

    Lines elsewhere = cleanWorld();
    elsewhere[1] = "7";
    EXPECT_EQ(run("check " + write(elsewhere)), 1);
    EXPECT_TRUE(has("1: error: start zone 7,0 is not in the file")) << out;
}

TEST_F(WorldTool, CheckHeadersThatNameNoZone) {
    for (const char* header : {"zone: 1,1", "zone:01,1", "zone:1,1 ", "zone:+1,1", "Zone:1,1x"}) {
        Lines world = cleanWorld(zoneBlock(0, 0, {}));
        world[world.size() - 14] = header;
        EXPECT_EQ(run("check " + write(world)), 1) << header;
        EXPECT_TRUE(has(std::to_string(world.size() - 13) + ": error: \"" + header +
                        "\" looks like a zone header but names no zone"))
            << out;
    }
}

TEST_F(WorldTool, CheckDuplicateAndShortBlocks) {
    Lines world = cleanWorld(zoneBlock(1, 0, {}));
    EXPECT_EQ(run("check " + write(world)), 1);
    EXPECT_TRUE(has("38: error: zone 1,0 already begins at line 23; this block is never loaded")) << out;

    Lines shortBlock = cleanWorld({"zone:2,0", "w", "w"});
    EXPECT_EQ(run("check " + write(shortBlock)), 1);
    EXPECT_TRUE(has("38: error: zone 2,0 has 2 row lines before the end of the file; it needs 12")) << out;

    Lines cut = cleanWorld({"zone:2,0", "w", "zone:3,0", "w"});
    EXPECT_EQ(run("check " + write(cut)), 1);
    EXPECT_TRUE(has("38: error: zone 2,0 has 1 row lines before line 40; it needs 12")) << out;
}

TEST_F(WorldTool, CheckRowLines) {
    Lines world = cleanWorld();
    world[10] = "    x.        ww  ";  // first row line of zone 0,0
    EXPECT_EQ(run("check " + write(world)), 0) << out;
    EXPECT_TRUE(has("11: warning: row line has 18 characters; only the first 16 count")) << out;
    EXPECT_TRUE(has("11: warning: unknown tile characters \"x\", \".\" read as empty tiles")) << out;
}

TEST_F(WorldTool, CheckDirectionLines) {
    Lines world = cleanWorld();
    world.insert(world.end() - 1, {"dir:16,0,UP", "dir:0,12,UP", "dir:5,1,north", "dir:4,1,DOWN", "dir:5,1"});
    EXPECT_EQ(run("check " + write(world)), 1);
    EXPECT_TRUE(has("37: error: direction for column 16, row 0 is outside the zone")) << out;
    EXPECT_TRUE(has("38: error: direction for column 0, row 12 is outside the zone")) << out;
    EXPECT_TRUE(has("39: error: unknown direction \"north\"")) << out;
    EXPECT_TRUE(has("40: warning: direction for column 4, row 1, which holds no spike")) << out;
    EXPECT_TRUE(has("41: error: direction line needs")) << out;
}

TEST_F(WorldTool, CheckReportsWhatTheLenientReadingDrops) {
    Lines world = cleanWorld();
    world.insert(world.begin() + 21, "wwwwwwwwwwwwwwww");  // a 13th row line for zone 0,0
    world[36] = "dir:4294967301,1,left";                    // wraps to the spike in column 5
    EXPECT_EQ(run("check " + write(world)), 1);
    EXPECT_TRUE(has("22: error: zone 0,0: only 12 row lines are read")) << out;
    EXPECT_TRUE(has("37: warning: a number too large for 32 bits wraps around: this line reads as column 5, row 1"))
        << out;
    EXPECT_FALSE(has("holds no spike")) << out;
}

TEST_F(WorldTool, CheckCountsCharactersNotBytes) {
    Lines world = cleanWorld();
    world[33] = "\xC3\xA9    ^          w";  // row 1 of zone 1,0: its spike stays in column 5
    EXPECT_EQ(run("check " + write(world)), 0) << out;
    EXPECT_TRUE(has("34: warning: row line has 17 characters; only the first 16 count")) << out;
    EXPECT_TRUE(has("34: warning: unknown tile characters \"U+00E9\" read as empty tiles")) << out;
    EXPECT_FALSE(has("holds no spike")) << out;
}

TEST_F(WorldTool, CheckBlockThatSwallowsTheNext) {
    Lines world = cleanWorld();
    world.pop_back();  // zone 1,0 loses its empty line
    Lines next(12, "                ");
    next[11] = "wwwwwwwwwwwwwwww";
    world = concat({world, zoneBlock(2, 0, next, {"dir:3,3,UP", ""})});
    EXPECT_EQ(run("check " + write(world)), 1);
    EXPECT_TRUE(has("23: error: zone 1,0 has no empty line after it: it runs on into line 37")) << out;
}

TEST_F(WorldTool, CheckBlanksDoNotEndABlock) {
    Lines world = cleanWorld();
    world.insert(world.end() - 1, "   ");
    EXPECT_EQ(run("check " + write(world)), 0);
    EXPECT_TRUE(has("37: warning: a line of blanks does not end a block")) << out;
}

TEST_F(WorldTool, CheckStarCount) {
    Lines more = cleanWorld();
    more[18] = "$";  // an eleventh star in row 2 of zone 0,0
    EXPECT_EQ(run("check " + write(more)), 1);
    EXPECT_TRUE(has("0: error: the world holds 11 stars")) << out;
    Lines fewer = cleanWorld();
    fewer[19] = "         $      ";  // the row of ten stars
    EXPECT_EQ(run("check " + write(fewer)), 0);
    EXPECT_TRUE(has("0: warning: the world holds 1 star;")) << out;
}

TEST_F(WorldTool, CheckZoneRangeAndIsolation) {
    EXPECT_EQ(run("check " + write(cleanWorld(zoneBlock(256, 0, {})))), 0);
    EXPECT_TRUE(has("38: warning: zone 256,0 lies outside 0..255")) << out;
    EXPECT_TRUE(has("38: warning: no other zone borders zone 256,0")) << out;
    EXPECT_EQ(run("check " + write(cleanWorld(zoneBlock(-1, 0, {})))), 0);
    EXPECT_FALSE(has("borders zone -1,0")) << out;
}

TEST_F(WorldTool, ShippedWorldChecksClean) {
    std::string path = std::string(KESTRAVEL_SOURCE_DIR) + "/data/game/world1.txt";
    EXPECT_EQ(run("check " + path), 0) << out;
    EXPECT_TRUE(has(": 0 errors, 0 warnings\n")) << out;
}
