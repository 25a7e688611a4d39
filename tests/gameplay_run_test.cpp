// kestravel-world run: scripted frames through the real tool.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <sstream>
#include <string>
#include <vector>

#include "gameplay/replay.h"
#include "tests/support/gameplay_support.h"

using namespace std::string_view_literals;

namespace {

const std::string TOOL = std::string(KESTRAVEL_BIN_DIR) + "/kestravel-world";

std::vector<std::vector<std::string>> runScript(const std::string& worldText, const std::string& script,
                                                const std::string& extra, int& status) {
    std::string world = writeTempFile("world.txt", worldText);
    std::string scriptPath = writeTempFile("script.txt", script);
    std::string out;
    status = runShell("'" + TOOL + "' run '" + world + "'" + extra + " < '" + scriptPath + "' 2>/dev/null", out);
    std::vector<std::vector<std::string>> lines;
    std::istringstream in(out);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::vector<std::string> row;
        std::string field;
        while (fields >> field) row.push_back(field);
        lines.push_back(row);
    }
    return lines;
}

std::string levelWorld(int distance) {
    return zoneText(9, 0, {FLOOR_ROW}) + startText(9, 0, 9 - distance, 0, 3, 1);
}

bool toolBuilt() {
    struct stat info;
    return stat(TOOL.c_str(), &info) == 0;
}

}  // namespace

TEST(RunCommand, ScriptedJumpsReachTheApexTable) {
    ASSERT_TRUE(toolBuilt()) << TOOL << " is not built";
    const double rise[10] = {0.0, 45.5, 95.0, 126.5, 165.1, 208.8, 248.0, 283.9, 329.4, 370.5};
    for (int distance = 1; distance <= 9; ++distance) {
        SCOPED_TRACE(distance);
        int status = -1;
        auto lines = runScript(levelWorld(distance), "# land first\n20 -\n\n1 J\n60 -\n", "", status);
        EXPECT_EQ(status, 0);
        ASSERT_EQ(lines.size(), 81u);
        double ground = std::stod(lines[19][4]);
        EXPECT_EQ(ground, 40.0);
        double top = ground;
        for (size_t i = 0; i < lines.size(); ++i) {
            ASSERT_EQ(lines[i].size(), 21u);
            EXPECT_EQ(lines[i][0], std::to_string(i + 1));
            top = std::max(top, std::stod(lines[i][4]));
        }
        EXPECT_NEAR(top - ground, rise[distance], 0.1);
        EXPECT_EQ(lines[20][16], "1");  // jumpCount
        EXPECT_EQ(lines[20][13], std::to_string(distance));  // zoneDistance
    }
}

TEST(RunCommand, LastPrintsOneLineAndExitStops) {
    ASSERT_TRUE(toolBuilt());
    int status = -1;
    auto lines = runScript(levelWorld(1), "30 R\n", " --last", status);
    EXPECT_EQ(status, 0);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0][0], "30");
    EXPECT_EQ(lines[0][20], "30");  // timeFrames

    lines = runScript(levelWorld(1), "1 P\n1 U\n1 C\n5 -\n", "", status);
    EXPECT_EQ(status, 0);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0][14], "1");  // paused

    lines = runScript(levelWorld(1), "1 PUC\n5 -\n", " --last", status);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0][0], "1");
}

TEST(RunCommand, FloatsRoundTrip) {
    ASSERT_TRUE(toolBuilt());
    int status = -1;
    auto lines = runScript(levelWorld(4), "20 -\n7 RJ\n", " --last", status);
    ASSERT_EQ(lines.size(), 1u);
    float x = std::stof(lines[0][3]);
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.9g", x);
    EXPECT_EQ(lines[0][3], buffer);
    EXPECT_NE(lines[0][3].find('.'), std::string::npos);
}

TEST(RunCommand, BadInputIsRefused) {
    ASSERT_TRUE(toolBuilt());
    std::string out;
    EXPECT_EQ(runShell("'" + TOOL + "' run /nonexistent/world.txt < /dev/null 2>/dev/null", out), 2);
    EXPECT_TRUE(out.empty());
    int status = -1;
    for (const char* script : {"0 R\n", "-3 R\n", "5\n", "5 Q\n", "x R\n", "5 R extra\n", "99999999999999 R\n"}) {
        SCOPED_TRACE(script);
        auto lines = runScript(levelWorld(1), std::string("3 -\n") + script, "", status);
        EXPECT_EQ(status, 2);
        EXPECT_TRUE(lines.empty());  // nothing runs from a bad script
    }
    EXPECT_EQ(runShell("'" + TOOL + "' run 2>/dev/null", out), 2);
    auto lines = runScript(levelWorld(1), "\r\n  # note\n2 r\r\n", "", status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(lines.size(), 2u);
}

TEST(KeyScripts, OneReaderForEveryCommand) {
    KeyScript script;
    std::string error;
    ASSERT_TRUE(readKeyScript("# start\r\n\n  3 lRj\r\n\t# jump now \n1 -\n2 udpcbm", script, error)) << error;
    ASSERT_EQ(script.steps.size(), 3u) << "a last line without its line break still counts";
    EXPECT_EQ(script.steps[0].frames, 3);
    EXPECT_EQ(script.steps[0].keys, REPLAY_LEFT | REPLAY_RIGHT | REPLAY_JUMP);
    EXPECT_EQ(script.steps[1].keys, 0);
    EXPECT_EQ(keyLetters(script.steps[2].keys), "UDPCBM");
    EXPECT_EQ(script.lines, (std::vector<int32_t>{3, 5, 6}));
    ASSERT_EQ(script.notes.size(), 2u);
    EXPECT_EQ(script.notes[1].text, "jump now");
    EXPECT_EQ(script.notes[1].step, 1u);
    EXPECT_EQ(script.notes[1].line, 4);
    // What the writer makes, the reader takes back.
    std::string written;
    for (const ScriptStep& step : script.steps) written += keyScriptLine(step);
    EXPECT_EQ(written, "3 LRJ\n1 -\n2 UDPCBM\n");
    KeyScript again;
    ASSERT_TRUE(readKeyScript(written, again, error));
    EXPECT_EQ(again.steps.size(), 3u);

    for (std::string_view bad : {"0 R"sv, "5 -L"sv, "5 Q"sv, "5 R J"sv, "5"sv, "5R"sv, "+5 R"sv, "2000000001 R"sv, "5 R\0"sv}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(readKeyScript(bad, script, error));
        EXPECT_EQ(error.rfind("line 1: ", 0), 0u) << error;
    }
    EXPECT_TRUE(readKeyScript("2000000000 R", script, error));
    EXPECT_TRUE(readKeyScript("", script, error));
    EXPECT_TRUE(script.steps.empty());
}

TEST(RunCommand, HeaderNamesEveryField) {
    ASSERT_TRUE(toolBuilt());
    int status = -1;
    auto lines = runScript(levelWorld(1), "2 R\n", " --header --last", status);
    EXPECT_EQ(status, 0);
    ASSERT_EQ(lines.size(), 2u);
    ASSERT_EQ(lines[0].size(), lines[1].size());
    EXPECT_EQ(lines[0][0], "frame");
    EXPECT_EQ(lines[0][13], "zoneDistance");
    EXPECT_EQ(lines[0][20], "timeFrames");
}

TEST(RunCommand, AtPutsThePlayerInAnotherZoneToDrop) {
    ASSERT_TRUE(toolBuilt());
    std::string text = zoneText(8, 0, {FLOOR_ROW}) + levelWorld(3);
    int status = -1;
    auto lines = runScript(text, "60 -\n", " --at 8 0 300 200", status);
    EXPECT_EQ(status, 0);
    ASSERT_EQ(lines.size(), 60u);
    EXPECT_EQ(lines[0][1], "8");
    EXPECT_LT(std::stod(lines[0][4]), 200.0);  // falling from the place given
    EXPECT_EQ(lines[59][3], "300");
    EXPECT_EQ(lines[59][4], "40");
    EXPECT_EQ(lines[59][13], "2");  // zone 8 is one step further from the checkpoint
    for (const char* bad : {" --at 7 0 300 200", " --at 8 0 700 40", " --at 8 0 nan 40", " --at 8 0 300"}) {
        lines = runScript(text, "1 -\n", bad, status);
        EXPECT_EQ(status, 2) << bad;
        EXPECT_TRUE(lines.empty()) << bad;
    }
}

TEST(RunCommand, CheckpointRespawnsOnItsLanternOrOnlySetsTheDistance) {
    ASSERT_TRUE(toolBuilt());
    std::string text = zoneText(9, 0, {"            @", FLOOR_ROW}) + startText(9, 0, 5, 0, 3, 1);
    int status = -1;
    auto lines = runScript(text, "30 -\n", " --last --checkpoint 9 0", status);
    EXPECT_EQ(status, 0);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0][3], "484");  // on the lantern of column 12
    EXPECT_EQ(lines[0][13], "0");
    EXPECT_EQ(lines[0][17], "0");   // already the checkpoint: touching it does not count

    lines = runScript(text, "30 -\n", " --last --checkpoint 6 0", status);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0][3], "124");  // no such zone: the player stays at the start, three zones out
    EXPECT_EQ(lines[0][13], "3");

    runScript(text, "1 -\n", " --checkpoint 9 0 3 1", status);
    EXPECT_EQ(status, 2);
}

TEST(RunCommand, StarsFromARouteStayTaken) {
    ASSERT_TRUE(toolBuilt());
    std::string text = zoneText(9, 0, {"  $   $", FLOOR_ROW}) + startText(9, 0, 8, 0, 0, 1);
    std::string route = writeTempFile("stars.route", "# both stars\n200 R\n");
    int status = -1;
    auto lines = runScript(text, "1 -\n200 R\n", " --stars 1 '" + route + "'", status);
    EXPECT_EQ(status, 0);
    ASSERT_EQ(lines.size(), 201u);
    EXPECT_EQ(lines[0][18], "1");
    EXPECT_EQ(lines[0][3], "4");     // back at the start
    EXPECT_EQ(lines[200][18], "2");  // only the second star was left to take
    runScript(text, "1 -\n", " --stars 3 '" + route + "'", status);
    EXPECT_EQ(status, 2);
}
