// The shipped world and its route: the shape of the map, the first lesson, and a key script
// that takes all ten stars through the real update; the route finder on small worlds.
#include <gtest/gtest.h>

#include <SDL.h>
#include <SDL_image.h>
#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "gameplay/movement.h"
#include "gameplay/replay.h"
#include "gameplay/sound.h"
#include "gameplay/state.h"
#include "shell/shell.h"
#include "tests/support/gameplay_support.h"
#include "world/world.h"

namespace {

const std::string SOURCE = KESTRAVEL_SOURCE_DIR;
const std::string WORLD = SOURCE + "/data/game/world1.txt";
const std::string ROUTE = SOURCE + "/data/game/world1.route";
const std::string TOOL = std::string(KESTRAVEL_BIN_DIR) + "/kestravel-world";
// Six minutes of play; the committed route needs about 19,250 frames.
constexpr long ROUTE_FRAME_LIMIT = 21600;

std::string readText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

bool playShippedWorld() {
    GameStart start;
    start.worldFile = WORLD;
    const char* failure = nullptr;
    return startGame(start, failure) && !world.lines.empty();
}

// Zone coordinates of every block header, in file order.
std::vector<std::pair<int, int>> shippedZones() {
    std::vector<std::pair<int, int>> zones;
    for (const WorldZone& zone : world.zones) zones.emplace_back(zone.x, zone.y);
    return zones;
}

bool toolBuilt() {
    struct stat info;
    return stat(TOOL.c_str(), &info) == 0;
}

// Fields of the last line the run command prints for this world and script.
std::vector<std::string> lastRunLine(const std::string& worldPath, const std::string& scriptPath) {
    std::string out;
    runShell("'" + TOOL + "' run '" + worldPath + "' --last < '" + scriptPath + "'", out);
    std::istringstream in(out);
    std::vector<std::string> fields;
    std::string field;
    while (in >> field) fields.push_back(field);
    return fields;
}

}  // namespace

TEST(ShippedWorld, RouteScriptTakesAllTenStarsAndSeesEveryDistance) {
    ASSERT_TRUE(playShippedWorld());
    KeyScript script;
    std::string error;
    ASSERT_TRUE(readKeyScript(readText(ROUTE), script, error)) << ROUTE << ": " << error;
    ASSERT_FALSE(script.steps.empty());

    std::set<int32_t> distances;
    long completedAt = -1;
    playKeyScript(script.steps, [&](long frame) {
        distances.insert(progress.zoneDistance);
        if (game.gameComplete && completedAt < 0) completedAt = frame;
        return true;
    });
    EXPECT_EQ(progress.collectedStarCount, 10);
    EXPECT_EQ(game.gameComplete, 1);
    EXPECT_EQ(game.deathCount, 0) << "a route that dies is not one a player should copy";
    ASSERT_GT(completedAt, 0);
    EXPECT_LE(completedAt, ROUTE_FRAME_LIMIT);
    // Every tile sheet shows up on the way.
    for (int32_t d = 0; d <= 9; ++d) EXPECT_TRUE(distances.count(d)) << "distance " << d << " never seen";
    // Ten different stars, each picked up once.
    std::set<int32_t> stars(progress.collectedStars, progress.collectedStars + 10);
    EXPECT_EQ(stars.size(), 10u);
}

TEST(ShippedWorld, RunCommandAgreesWithTheRoute) {
    ASSERT_TRUE(toolBuilt()) << TOOL << " is not built";
    std::vector<std::string> last = lastRunLine(WORLD, ROUTE);
    ASSERT_EQ(last.size(), 21u);
    EXPECT_EQ(last[18], "10");  // stars
    EXPECT_EQ(last[19], "1");   // complete
    EXPECT_LE(std::stol(last[0]), ROUTE_FRAME_LIMIT + 200);

    // The designer's numbers for the record; the replay above is what is held to.
    std::string measures;
    EXPECT_EQ(runShell("'" + TOOL + "' measure '" + WORLD + "' --route '" + ROUTE + "'", measures), 0);
    std::printf("%s", measures.c_str());
    EXPECT_NE(measures.find("route stars 10, complete 1, deaths 0"), std::string::npos) << measures;
}

TEST(ShippedWorld, RouteForgivesAHandsTiming) {
    ASSERT_TRUE(toolBuilt()) << TOOL << " is not built";
    // Every stage replayed with its lines a frame or two off still ends well often enough, and
    // every jump the route needs can be pressed over at least three frames of walking.
    std::string out;
    EXPECT_EQ(runShell("'" + TOOL + "' route '" + WORLD + "' --slack '" + ROUTE + "' 2>&1", out), 0) << out;
    EXPECT_NE(out.find("narrow 0  ok"), std::string::npos) << out;
}

TEST(ShippedWorld, StartsOnItsCheckpointWhereNoJumpWorks) {
    ASSERT_TRUE(playShippedWorld());
    ASSERT_TRUE(settle());
    EXPECT_EQ(progress.currentZoneX, progress.checkpointZoneX);
    EXPECT_EQ(progress.currentZoneY, progress.checkpointZoneY);
    EXPECT_EQ(progress.zoneDistance, 0);
    EXPECT_EQ(game.checkCount, 1);
    int column = static_cast<int>((player.x + 16) / 40), row = static_cast<int>((player.y + 16) / 40);
    EXPECT_EQ(tileAt(column, row), TILE_CHECKPOINT_ACTIVE);

    float ground = player.y;
    frame({SDL_SCANCODE_SPACE});
    frames(20);
    EXPECT_EQ(game.jumpCount, 0);
    EXPECT_EQ(player.y, ground);

    // One zone away the jump comes back.
    int32_t startX = progress.currentZoneX;
    for (int i = 0; i < 600 && progress.currentZoneX == startX; ++i) frame({SDL_SCANCODE_RIGHT});
    ASSERT_EQ(progress.currentZoneX, startX + 1);
    EXPECT_EQ(progress.zoneDistance, 1);
    ASSERT_TRUE(settle());
    frames(5);
    frame({SDL_SCANCODE_SPACE});
    EXPECT_EQ(game.jumpCount, 1);
    EXPECT_GT(player.vy, 0.0f);
}

TEST(ShippedWorld, FortyConnectedZonesWithWalledOuterEdgesAndTenStars) {
    ASSERT_TRUE(playShippedWorld());
    std::vector<std::pair<int, int>> zones = shippedZones();
    std::set<std::pair<int, int>> known(zones.begin(), zones.end());
    EXPECT_GE(known.size(), 40u);
    EXPECT_EQ(known.size(), zones.size()) << "a zone header repeats";

    // One piece on the zone grid.
    std::set<std::pair<int, int>> reached = {{progress.currentZoneX, progress.currentZoneY}};
    std::vector<std::pair<int, int>> open(reached.begin(), reached.end());
    const int steps[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
    while (!open.empty()) {
        auto zone = open.back();
        open.pop_back();
        for (const auto& d : steps) {
            std::pair<int, int> next = {zone.first + d[0], zone.second + d[1]};
            if (known.count(next) && reached.insert(next).second) open.push_back(next);
        }
    }
    EXPECT_EQ(reached.size(), known.size());

    // Walking off towards a missing zone would wrap round: those edges are walls.
    int stars = 0;
    for (const auto& zone : zones) {
        SCOPED_TRACE("zone " + std::to_string(zone.first) + "," + std::to_string(zone.second));
        ASSERT_TRUE(loadZone(zone.first, zone.second));
        for (int32_t flag : room.tileFlags) stars += flag == TILE_STAR;
        for (int i = 0; i < 16; ++i) {
            if (!known.count({zone.first, zone.second + 1})) {
                EXPECT_EQ(tileAt(i, 11), TILE_WALL) << "top " << i;
            }
            if (!known.count({zone.first, zone.second - 1})) {
                EXPECT_EQ(tileAt(i, 0), TILE_WALL) << "bottom " << i;
            }
        }
        for (int i = 0; i < 12; ++i) {
            if (!known.count({zone.first + 1, zone.second})) {
                EXPECT_EQ(tileAt(15, i), TILE_WALL) << "right " << i;
            }
            if (!known.count({zone.first - 1, zone.second})) {
                EXPECT_EQ(tileAt(0, i), TILE_WALL) << "left " << i;
            }
        }
    }
    EXPECT_EQ(stars, 10);
}

TEST(ShippedWorld, SpikesPointAllFourWaysAndDirectionLinesAreUsed) {
    ASSERT_TRUE(playShippedWorld());
    std::map<int32_t, int> byDirection;
    for (const auto& zone : shippedZones()) {
        ASSERT_TRUE(loadZone(zone.first, zone.second));
        for (int i = 0; i < ZONE_TILES; ++i)
            if (room.tileFlags[i] == TILE_SPIKE) {
                EXPECT_NE(room.tileDirection[i], DIR_NONE) << "a spike without a wall in zone " << zone.first
                                                            << "," << zone.second;
                byDirection[room.tileDirection[i]] += 1;
            }
    }
    EXPECT_GT(byDirection[DIR_UP], 0);
    EXPECT_GT(byDirection[DIR_DOWN], 0);
    EXPECT_GT(byDirection[DIR_LEFT], 0);
    EXPECT_GT(byDirection[DIR_RIGHT], 0);
    int directionLines = 0;
    for (std::string_view line : world.lines) directionLines += line.compare(0, 4, "dir:") == 0;
    EXPECT_GT(directionLines, 0);
}

TEST(ShippedWorld, CheckReportsNothing) {
    ASSERT_TRUE(toolBuilt()) << TOOL << " is not built";
    std::string out;
    EXPECT_EQ(runShell("'" + TOOL + "' check '" + WORLD + "'", out), 0);
    EXPECT_NE(out.find("0 errors, 0 warnings"), std::string::npos) << out;
}

namespace {

// Start on a checkpoint; a star one step up a zone away, another two steps up two zones away.
std::string stepsWorld() {
    return zoneText(0, 0, {"w", "w", "w  @", FLOOR_ROW}) +
           zoneText(1, 0, {"", "         $", "         w", FLOOR_ROW}) +
           zoneText(2, 0, {"          $    w", "          w    w", "          w    w", FLOOR_ROW}) +
           startText(0, 0, 0, 0, 3, 1);
}

int route(const std::string& worldPath, const std::string& extra, std::string& script) {
    return runShell("'" + TOOL + "' route '" + worldPath + "'" + extra + " 2>/dev/null", script);
}

}  // namespace

TEST(RouteCommand, FindsAScriptThatTheRunCommandReplaysToTheLastStar) {
    ASSERT_TRUE(toolBuilt()) << TOOL << " is not built";
    std::string worldPath = writeTempFile("steps.txt", stepsWorld());
    std::string script;
    ASSERT_EQ(route(worldPath, "", script), 0);
    EXPECT_NE(script.find("# replayed:"), std::string::npos);
    std::string scriptPath = writeTempFile("steps.route", script);
    std::vector<std::string> last = lastRunLine(worldPath, scriptPath);
    ASSERT_EQ(last.size(), 21u);
    EXPECT_EQ(last[18], "2");
    EXPECT_EQ(last[15], "0");  // no deaths on the way
}

TEST(RouteCommand, KeepAvoidsACheckpointThatWouldWeakenTheJump) {
    ASSERT_TRUE(toolBuilt()) << TOOL << " is not built";
    // A checkpoint lies on the floor of the zone before the high step: touching it leaves distance 1
    // there, too little for two rows.
    std::string text = zoneText(0, 0, {"w", "w", "w  @", FLOOR_ROW}) +
                       zoneText(1, 0, {"", "", "       @", FLOOR_ROW}) +
                       zoneText(2, 0, {"          $    w", "          w    w", "          w    w", FLOOR_ROW}) +
                       startText(0, 0, 0, 0, 3, 1);
    std::string worldPath = writeTempFile("keep.txt", text);
    std::string planPath = writeTempFile("keep.plan", "# the far star, no other checkpoint\nstar 2 0 keep\n");
    std::string script;
    ASSERT_EQ(route(worldPath, " --plan '" + planPath + "'", script), 0);
    std::string scriptPath = writeTempFile("keep.route", script);
    std::vector<std::string> last = lastRunLine(worldPath, scriptPath);
    ASSERT_EQ(last.size(), 21u);
    EXPECT_EQ(last[18], "1");
    EXPECT_EQ(last[17], "1");  // only the start's checkpoint
}

TEST(RouteCommand, ReportsAStarNoJumpReaches) {
    ASSERT_TRUE(toolBuilt()) << TOOL << " is not built";
    // The checkpoint's own zone: no jump, and the star sits on a step.
    std::string text = zoneText(0, 0, {"w              w", "w      $       w", "w      w       w", "w  @           w",
                                       FLOOR_ROW}) +
                       startText(0, 0, 0, 0, 3, 1);
    std::string worldPath = writeTempFile("stuck.txt", text);
    std::string out;
    int status = runShell("'" + TOOL + "' route '" + worldPath + "' --max-nodes 20000 2>&1 >/dev/null", out);
    EXPECT_EQ(status, 1);
    EXPECT_NE(out.find("no way found"), std::string::npos) << out;
}

TEST(RouteCommand, RejectsBadArgumentsAndPlans) {
    ASSERT_TRUE(toolBuilt()) << TOOL << " is not built";
    std::string worldPath = writeTempFile("steps.txt", stepsWorld());
    std::string out;
    EXPECT_EQ(runShell("'" + TOOL + "' route 2>/dev/null", out), 2);
    EXPECT_EQ(runShell("'" + TOOL + "' route '" + worldPath + "' --weight 2>/dev/null", out), 2);
    EXPECT_EQ(runShell("'" + TOOL + "' route /nonexistent/world.txt 2>/dev/null", out), 2);
    std::string planPath = writeTempFile("bad.plan", "star 1 0\nfly to the moon\n");
    EXPECT_EQ(runShell("'" + TOOL + "' route '" + worldPath + "' --plan '" + planPath + "' 2>/dev/null", out), 2);
    std::string scriptPath = writeTempFile("bad.route", "10 Q\n");
    EXPECT_EQ(runShell("'" + TOOL + "' route '" + worldPath + "' --from '" + scriptPath + "' 2>/dev/null", out), 2);
    std::string noStars = writeTempFile("empty.txt", zoneText(0, 0, {FLOOR_ROW}) + startText(0, 0, 0, 0, 3, 1));
    EXPECT_EQ(runShell("'" + TOOL + "' route '" + noStars + "' 2>/dev/null", out), 1);
}

TEST(RouteCommand, ShippedPlanStillLeadsToEveryStar) {
    ASSERT_TRUE(toolBuilt()) << TOOL << " is not built";
    std::string script;
    ASSERT_EQ(route(WORLD, " --plan '" + SOURCE + "/data/game/world1.plan' --no-deaths --robust", script), 0);
    EXPECT_NE(script.find("10 stars, complete 1"), std::string::npos);
}

TEST(RouteCommand, SoftLocksFindsAPitAtDistanceZero) {
    ASSERT_TRUE(toolBuilt()) << TOOL << " is not built";
    // The checkpoint's zone has a pit one row deep and nothing that kills: at distance 0,
    // whoever drops in stays.
    std::string text = zoneText(0, 0, {"w              w", "w               ", "w         @     ",
                                       "wwww  wwwwwwwwww", FLOOR_ROW}) +
                       zoneText(1, 0, {"               w", "     @         w", FLOOR_ROW, FLOOR_ROW}) +
                       startText(0, 0, 0, 0, 10, 2);
    std::string worldPath = writeTempFile("pit.txt", text);
    std::string out;
    EXPECT_EQ(runShell("'" + TOOL + "' route '" + worldPath + "' --soft-locks", out), 1);
    EXPECT_NE(out.find("checkpoint 0,0 (10,2)"), std::string::npos) << out;
    EXPECT_NE(out.find("stuck in zone 0,0"), std::string::npos) << out;

    // A spike in the pit lets the player die and start again: no longer stuck.
    std::string spiked = zoneText(0, 0, {"w              w", "w               ", "w         @     ",
                                         "wwww ^wwwwwwwwww", FLOOR_ROW}) +
                         zoneText(1, 0, {"               w", "     @         w", FLOOR_ROW, FLOOR_ROW}) +
                         startText(0, 0, 0, 0, 10, 2);
    worldPath = writeTempFile("spiked.txt", spiked);
    EXPECT_EQ(runShell("'" + TOOL + "' route '" + worldPath + "' --soft-locks", out), 0) << out;
    EXPECT_EQ(out.find("stuck in"), std::string::npos) << out;
}

TEST(RouteCommand, SoftLocksNamesACheckpointThatOnlyADeathLeaves) {
    ASSERT_TRUE(toolBuilt()) << TOOL << " is not built";
    // A closed room with a spike: never stuck, but nothing besides a death leads anywhere.
    std::string text = zoneText(0, 0, {"wwwwwwwwwwwwwwww", "w              w", "w  @      ^    w", FLOOR_ROW}) +
                       startText(0, 0, 0, 0, 3, 1);
    std::string worldPath = writeTempFile("room.txt", text);
    std::string out;
    EXPECT_EQ(runShell("'" + TOOL + "' route '" + worldPath + "' --soft-locks", out), 1);
    EXPECT_NE(out.find("only a death leads on"), std::string::npos) << out;
}

TEST(ShippedWorld, NoCheckpointLeavesThePlayerStuck) {
    ASSERT_TRUE(toolBuilt()) << TOOL << " is not built";
    std::string out;
    EXPECT_EQ(runShell("'" + TOOL + "' route '" + WORLD + "' --soft-locks", out), 0) << out;
    EXPECT_EQ(out.find("stuck in"), std::string::npos) << out;
    EXPECT_EQ(out.find("cut short"), std::string::npos) << out;

    // No single checkpoint leaves every star in reach: all ten ask for a route.
    std::istringstream lines(out);
    std::string line, checkpoint;
    std::map<std::string, std::set<std::string>> reach;
    while (std::getline(lines, line)) {
        if (line.compare(0, 11, "checkpoint ") == 0) checkpoint = line.substr(11, line.find(':') - 11);
        const std::string label = "  stars in reach:";
        if (line.compare(0, label.size(), label) != 0) continue;
        std::istringstream zones(line.substr(label.size()));
        std::string zone;
        reach[checkpoint];  // a trap lantern reaches "none"
        while (zones >> zone)
            if (zone != "none") reach[checkpoint].insert(zone);
    }
    ASSERT_EQ(reach.size(), 9u) << out;
    std::set<std::string> all;
    for (const auto& [where, zones] : reach) {
        EXPECT_LT(zones.size(), 10u) << where;
        all.insert(zones.begin(), zones.end());
    }
    EXPECT_EQ(all.size(), 10u) << out;
}

TEST(RouteCommand, PictureDrawsTheFrameAfterTheScript) {
    ASSERT_TRUE(toolBuilt()) << TOOL << " is not built";
    std::string worldPath = writeTempFile("steps.txt", stepsWorld());
    std::string scriptPath = writeTempFile("walk.route", "# walk into the next zone\n200 R\n");
    std::string picture = writeTempFile("walk.png", "");
    std::string out;
    // The pictures are found from the current folder, as the game finds its data.
    ASSERT_EQ(runShell("cd '" + SOURCE + "' && '" + TOOL + "' route '" + worldPath + "' --from '" + scriptPath +
                           "' --frames 150 --picture '" + picture + "'",
                       out),
              0);
    std::string png = readText(picture);
    ASSERT_GT(png.size(), 24u);
    EXPECT_EQ(png.substr(1, 3), "PNG");
    auto be32 = [&](size_t at) {
        return (unsigned(uint8_t(png[at])) << 24) | (unsigned(uint8_t(png[at + 1])) << 16) |
               (unsigned(uint8_t(png[at + 2])) << 8) | unsigned(uint8_t(png[at + 3]));
    };
    EXPECT_EQ(be32(16), 640u);
    EXPECT_EQ(be32(20), 480u);
    std::string boxed = writeTempFile("boxed.png", "");
    ASSERT_EQ(runShell("cd '" + SOURCE + "' && '" + TOOL + "' route '" + worldPath + "' --from '" + scriptPath +
                           "' --frames 150 --picture '" + boxed + "' --boxes",
                       out),
              0);
    EXPECT_NE(readText(boxed), png) << "the player's box is drawn over the frame";

    EXPECT_EQ(runShell("'" + TOOL + "' route '" + worldPath + "' --picture '" + picture + "' 2>/dev/null", out), 2)
        << "a picture needs a script";

    // A folder with pictures serves without a world file of its own: here, tile sheets of one colour.
    const std::string folder = std::filesystem::path(picture).parent_path() / "pictures only";
    std::filesystem::create_directories(folder + "/data/graphics");
    SDL_Surface* flat = SDL_CreateRGBSurfaceWithFormat(0, 480, 40, 32, SDL_PIXELFORMAT_RGBA32);
    ASSERT_NE(flat, nullptr);
    SDL_FillRect(flat, nullptr, SDL_MapRGBA(flat->format, 255, 0, 255, 255));
    for (int d = 0; d < 10; ++d)
        ASSERT_EQ(IMG_SavePNG(flat, (folder + "/data/graphics/sheet" + std::to_string(d) + ".png").c_str()), 0);
    SDL_FreeSurface(flat);
    ASSERT_EQ(runShell("cd '" + folder + "' && '" + TOOL + "' route '" + worldPath + "' --from '" + scriptPath +
                           "' --frames 40 --picture '" + picture + "'",
                       out),
              0);
    SDL_Surface* loaded = IMG_Load(picture.c_str());
    ASSERT_NE(loaded, nullptr);
    SDL_Surface* drawn = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_RGBA32, 0);
    SDL_FreeSurface(loaded);
    ASSERT_NE(drawn, nullptr);
    int magenta = 0;
    for (int i = 0; i < drawn->w * drawn->h; ++i) {
        const uint8_t* p = static_cast<const uint8_t*>(drawn->pixels) + 4 * i;
        magenta += p[0] == 255 && p[1] == 0 && p[2] == 255;
    }
    EXPECT_GT(magenta, drawn->w * drawn->h / 2) << "the pictures of the current folder";
    SDL_FreeSurface(drawn);
    std::filesystem::remove_all(folder);
}

TEST(RouteCommand, StarsOnlyCountInBlocksTheGameLoads) {
    ASSERT_TRUE(toolBuilt()) << TOOL << " is not built";
    // A header with a blank after the colon names no zone, so its star is not wanted; a second
    // block with the same header is never loaded either.
    std::string text = zoneText(0, 0, {"w", "w", "w  @", FLOOR_ROW}) +
                       zoneText(1, 0, {"", "         $", "         w", FLOOR_ROW}) +
                       "zone: 2,0\n\n\n\n\n\n\n\n\n\n$\n\n" + FLOOR_ROW + "\n\n" +
                       zoneText(1, 0, {"$", "", "", FLOOR_ROW}) + startText(0, 0, 0, 0, 3, 1);
    std::string worldPath = writeTempFile("ghosts.txt", text);
    std::string script;
    ASSERT_EQ(route(worldPath, "", script), 0);
    EXPECT_NE(script.find("# replayed:"), std::string::npos);
    EXPECT_NE(script.find(" 1 stars, complete 0"), std::string::npos) << script;
    // Script letters in either case, as the run command reads them.
    std::string scriptPath = writeTempFile("lower.route", "20 r\n3 rj\n");
    std::string picture = writeTempFile("lower.png", "");
    std::string out;
    EXPECT_EQ(runShell("cd '" + SOURCE + "' && '" + TOOL + "' route '" + worldPath + "' --from '" + scriptPath +
                           "' --picture '" + picture + "'",
                       out),
              0);
}

TEST(RouteCommand, SlackHoldsOnAWalkAndNarrowsToTheLipOfAWidePit) {
    ASSERT_TRUE(toolBuilt()) << TOOL << " is not built";
    // One zone from the checkpoint a jump spans about 81 px: a three-tile pit of spikes is cleared only
    // from the last pixels of the ledge and the grace frames after it. Two tiles three zones out are easy.
    auto slack = [](int distance, const std::string& pit, int approach, std::string& out) {
        std::string far(9 - pit.size(), 'w');
        std::string text = zoneText(9, 0, {"w $          $ w", "wwwwwww" + std::string(pit.size(), ' ') + far,
                                           "wwwwwww" + pit + far}) +
                           startText(9, 0, 9 - distance, 0, 1, 2);
        std::string worldPath = writeTempFile("pit.txt", text);
        std::string script = "# star 9 0: walk\n20 R\n# star 9 0: the pit\n" + std::to_string(approach) +
                             " R\n4 RJ\n200 R\n";
        std::string scriptPath = writeTempFile("pit.route", script);
        return runShell("'" + TOOL + "' route '" + worldPath + "' --slack '" + scriptPath + "' 2>&1", out);
    };
    auto row = [](const std::string& out, const std::string& head) {
        size_t at = out.find("\n" + head);
        std::istringstream in(at == std::string::npos ? "" : out.substr(at + 1, out.find('\n', at + 1) - at - 1));
        std::vector<std::string> fields;
        for (std::string field; in >> field;) fields.push_back(field);
        return fields;
    };
    std::string out;
    EXPECT_EQ(slack(1, "^^^", 65, out), 1) << out;
    std::vector<std::string> walk = row(out, "    1 "), pit = row(out, "    2 ");
    ASSERT_GE(walk.size(), 8u) << out;
    EXPECT_EQ(walk[3], "100.0");
    EXPECT_EQ(walk[4], "100.0");
    ASSERT_GE(pit.size(), 8u) << out;
    EXPECT_LT(std::stod(pit[3]), 80.0);
    EXPECT_EQ(pit[6], "1");  // the leap is needed: without it the spikes kill
    EXPECT_LE(std::stoi(pit[7]), 6);
    EXPECT_NE(out.find("narrow\n"), std::string::npos) << out;
    EXPECT_NE(out.find("narrow 1  short"), std::string::npos) << out;

    EXPECT_EQ(slack(3, "^^", 50, out), 0) << out;
    EXPECT_NE(out.find("j1 100.0  j2 100.0"), std::string::npos) << out;
    EXPECT_EQ(out.find("narrow\n"), std::string::npos) << out;

    // A script without stage marks has no goals to hold.
    std::string worldPath = writeTempFile("steps.txt", stepsWorld());
    std::string bare = writeTempFile("bare.route", "# just walking\n20 R\n");
    EXPECT_EQ(runShell("'" + TOOL + "' route '" + worldPath + "' --slack '" + bare + "' 2>/dev/null", out), 2);
}

TEST(RouteCommand, NoDeathsRefusesTheRespawnAsAWayIn) {
    ASSERT_TRUE(toolBuilt()) << TOOL << " is not built";
    // The checkpoint's zone has no lantern, so a death puts the player where it died, but in that
    // closed room with the star: the only way in is through the spike.
    std::string text = zoneText(0, 0, {"wwwwwwwwwwwwwwww", "w              w", "w      $       w", FLOOR_ROW}) +
                       zoneText(1, 0, {"wwwwwwwwwwwwwwww", "w              w", "w       ^      w", FLOOR_ROW}) +
                       startText(1, 0, 0, 0, 3, 1);
    std::string worldPath = writeTempFile("closed.txt", text);
    std::string script;
    ASSERT_EQ(route(worldPath, "", script), 0);
    EXPECT_NE(script.find("1 stars, complete 0, deaths 1"), std::string::npos) << script;
    EXPECT_EQ(route(worldPath, " --no-deaths --max-nodes 20000", script), 1);
    EXPECT_EQ(route(worldPath, " --robust --max-nodes 20000", script), 1) << "a robust route never dies either";
}

TEST(MeasureCommand, CountsZonesSparseRoomsLanternsAndARoute) {
    ASSERT_TRUE(toolBuilt()) << TOOL << " is not built";
    std::string worldPath = writeTempFile("steps.txt", stepsWorld());
    std::string out;
    ASSERT_EQ(runShell("'" + TOOL + "' measure '" + worldPath + "'", out), 0) << out;
    // Interior tiles: the lantern; a star on its step; a star on a two-high step.
    EXPECT_NE(out.find("zones 3\nmedian interior tiles 2 of 140\nzones under 8 interior tiles 3 0,0 1,0 2,0\n"
                       "lanterns 1\n"),
              std::string::npos)
        << out;
    std::string script;
    ASSERT_EQ(route(worldPath, "", script), 0);
    std::string scriptPath = writeTempFile("steps.route", script);
    ASSERT_EQ(runShell("'" + TOOL + "' measure '" + worldPath + "' --route '" + scriptPath + "'", out), 0) << out;
    EXPECT_NE(out.find("route stars 2, complete 0, deaths 0\nroute checks 1\n"), std::string::npos) << out;
    EXPECT_NE(out.find("route jump distances 1 2\n"), std::string::npos) << out;

    EXPECT_EQ(runShell("'" + TOOL + "' measure 2>/dev/null", out), 2);
    EXPECT_EQ(runShell("'" + TOOL + "' measure /nonexistent/world.txt 2>/dev/null", out), 2);
    EXPECT_EQ(runShell("'" + TOOL + "' measure '" + worldPath + "' --route /nonexistent.route 2>/dev/null", out), 2);
}
