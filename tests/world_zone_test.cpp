#include <gtest/gtest.h>

#include "gameplay/state.h"
#include "tests/support/world_support.h"
#include "world/world.h"

namespace {

using Lines = std::vector<std::string>;

Lines concat(std::initializer_list<Lines> parts) {
    Lines out;
    for (const Lines& part : parts) out.insert(out.end(), part.begin(), part.end());
    return out;
}

// Row lines top first with one marker character at (column, row counted from the bottom).
Lines rowsWith(char c, int column, int row) {
    Lines rows(12, "");
    rows[11 - row] = std::string(column, ' ') + c;
    return rows;
}

}  // namespace

TEST(ZoneHeader, CaseBlanksAndLeadingZeros) {
    useWorld(concat({{"ZONE:1,2"}, rowsWith('w', 0, 0), {""}}));
    EXPECT_TRUE(loadZone(1, 2));
    EXPECT_EQ(flagAt(0, 0), TILE_WALL);

    for (const char* header : {"zone: 1,2", "zone:01,2", "zone:1,02", "zone:1,2 ", " zone:1,2", "zone:+1,2",
                               "zone:1;2", "zone:1,2,3"}) {
        useWorld(concat({{header}, rowsWith('w', 0, 0), {""}}));
        EXPECT_FALSE(loadZone(1, 2)) << header;
    }
    useWorld(concat({{"zone:-3,-12"}, rowsWith('w', 0, 0), {""}}));
    EXPECT_TRUE(loadZone(-3, -12));
}

TEST(ZoneRows, TopLineIsRowElevenAndTwelfthIsRowZero) {
    Lines rows(12, "");
    rows[0] = std::string(1, '@');  // a literal here trips a false -Wrestrict in GCC 12
    rows[11] = std::string(16, 'w');
    useWorld(concat({{"zone:0,0"}, rows, {""}}));
    progress.checkpointIdentity = 99;
    ASSERT_TRUE(loadZone(0, 0));
    EXPECT_EQ(flagAt(0, 11), TILE_CHECKPOINT);
    for (int column = 0; column < 16; ++column) EXPECT_EQ(flagAt(column, 0), TILE_WALL);
    EXPECT_EQ(flagAt(0, 1), TILE_EMPTY);
}

TEST(ZoneRows, TileCharacters) {
    Lines rows(12, "");
    rows[11] = "wW@^$ x.#";
    useWorld(concat({{"zone:0,0"}, rows, {""}}));
    progress.checkpointIdentity = 12345;
    ASSERT_TRUE(loadZone(0, 0));
    const int32_t expected[] = {TILE_WALL, TILE_WALL, TILE_CHECKPOINT, TILE_SPIKE, TILE_STAR,
                                TILE_EMPTY, TILE_EMPTY, TILE_EMPTY, TILE_EMPTY};
    for (int column = 0; column < 9; ++column) EXPECT_EQ(flagAt(column, 0), expected[column]) << column;
}

TEST(ZoneRows, ShortLongAndEmptyRowLines) {
    Lines rows(12, std::string(16, 'w'));
    rows[11] = std::string(20, 'w') ;  // row 0
    rows[10] = "www";                  // row 1
    rows[9] = "";                      // row 2: empty line among the rows
    rows[8] = std::string(16, ' ') + "wwww";  // row 3: extra characters do not count
    useWorld(concat({{"zone:0,0"}, rows, {""}}));
    ASSERT_TRUE(loadZone(0, 0));
    for (int column = 0; column < 16; ++column) {
        EXPECT_EQ(flagAt(column, 0), TILE_WALL);
        EXPECT_EQ(flagAt(column, 1), column < 3 ? TILE_WALL : TILE_EMPTY);
        EXPECT_EQ(flagAt(column, 2), TILE_EMPTY);
        EXPECT_EQ(flagAt(column, 3), TILE_EMPTY);
        EXPECT_EQ(flagAt(column, 11), TILE_WALL);  // the empty line did not end the block
    }
}

TEST(ZoneRows, ColumnsCountCharactersNotBytes) {
    Lines rows(12, "");
    rows[11] = "\xC3\xA9  w";  // row 0: an e-acute, two blanks, a wall in column 3
    rows[10] = "";
    for (int i = 0; i < 16; ++i) rows[10] += "\xE2\x82\xAC";  // row 1: sixteen euro signs, then a 17th character
    rows[10] += "w";
    rows[9] = "\xFFw\xF0\x9F";  // row 2: a stray byte is one character; a sequence cut off at the end too
    useWorld(concat({{"zone:0,0"}, rows, {""}}));
    ASSERT_TRUE(loadZone(0, 0));
    EXPECT_EQ(flagAt(3, 0), TILE_WALL);
    EXPECT_EQ(flagAt(4, 0), TILE_EMPTY);
    for (int column = 0; column < 16; ++column) EXPECT_EQ(flagAt(column, 1), TILE_EMPTY) << column;
    EXPECT_EQ(flagAt(1, 2), TILE_WALL);
}

TEST(ZoneIndex, EveryZoneOfALargeWorldFindsItsOwnBlock) {
    // A column of zones and a row of zones: neighbours in the index share one coordinate.
    auto at = [](int i) { return i < 2000 ? std::pair<int32_t, int32_t>(7, i - 1000) : std::pair(i - 3000, 5000); };
    Lines lines;
    for (int i = 0; i < 4000; ++i) {
        Lines block = zoneBlock(at(i).first, at(i).second, rowsWith('w', i % 16, i % 12));
        lines.insert(lines.end(), block.begin(), block.end());
    }
    lines = concat({lines, {"zone:-2147483648,2147483647"}, rowsWith('^', 0, 0), {""}});
    useWorld(lines);
    for (int i = 0; i < 4000; ++i) {
        ASSERT_TRUE(loadZone(at(i).first, at(i).second)) << i;
        int walls = 0;
        for (int32_t flag : room.tileFlags) walls += flag == TILE_WALL;
        ASSERT_EQ(walls, 1) << i;
        ASSERT_EQ(flagAt(i % 16, i % 12), TILE_WALL) << i;
    }
    ASSERT_TRUE(loadZone(INT32_MIN, INT32_MAX));
    EXPECT_EQ(flagAt(0, 0), TILE_SPIKE);
    EXPECT_FALSE(loadZone(8, 0));
    EXPECT_FALSE(loadZone(0, 4999));
    EXPECT_FALSE(loadZone(INT32_MAX, INT32_MIN));
}

TEST(ZoneIndex, ReadingAnotherWorldForgetsTheFirst) {
    useWorld(concat({{"start:", "1", "0", ""}, {"zone:1,0"}, rowsWith('w', 0, 0), {""}}));
    ASSERT_TRUE(loadZone(1, 0));
    loadWorldText(joinLines(concat({{"zone:2,0"}, rowsWith('^', 0, 0), {""}})));
    EXPECT_FALSE(loadZone(1, 0));
    progress.currentZoneX = 2;
    resetToStart();  // the first world's start block went with it
    EXPECT_EQ(progress.currentZoneX, 2);
    EXPECT_EQ(flagAt(0, 0), TILE_SPIKE);
    resetWorldState();
    EXPECT_FALSE(loadZone(2, 0));
}

TEST(ZoneRows, BlockCutShortByEndOfFile) {
    useWorld({"zone:0,0", "w", "w"});
    ASSERT_TRUE(loadZone(0, 0));
    EXPECT_EQ(flagAt(0, 11), TILE_WALL);
    EXPECT_EQ(flagAt(0, 10), TILE_WALL);
    for (int row = 0; row < 10; ++row) EXPECT_EQ(flagAt(0, row), TILE_EMPTY);
}

TEST(ZoneRows, MissingZoneChangesNothing) {
    useWorld(concat({{"zone:0,0"}, rowsWith('^', 5, 5), {""}}));
    progress.checkpointZoneX = 3;
    ASSERT_TRUE(loadZone(0, 0));
    EXPECT_EQ(progress.zoneDistance, 3);
    EXPECT_FALSE(loadZone(1, 0));
    EXPECT_EQ(flagAt(5, 5), TILE_SPIKE);
    EXPECT_EQ(dirAt(5, 5), DIR_NONE);
    EXPECT_EQ(progress.currentZoneX, 0);
    EXPECT_EQ(progress.zoneDistance, 3);
}

TEST(ZoneRows, FirstOfTwoDuplicateBlocksWins) {
    useWorld(concat({{"zone:2,2"}, rowsWith('w', 1, 1), {""}, {"Zone:2,2"}, rowsWith('^', 1, 1), {""}}));
    ASSERT_TRUE(loadZone(2, 2));
    EXPECT_EQ(flagAt(1, 1), TILE_WALL);
}

TEST(ZoneDirections, DirectionLines) {
    Lines rows(12, "");
    rows[11] = "    ^";
    useWorld(concat({{"zone:0,0"}, rows,
                     {"dir:4,0,up", "a comment line", "DIR:6,6,Left", "dir: 7 , 7 ,down", "dir:8,8,DOWN ",
                      "dir:9,9,sideways", "dir:16,0,UP", "dir:-1,0,UP", "dir:0,12,UP", "dir:3,3,RIGHT",
                      "dir:3,3,LEFT", "dir:$a,%1,right", "dir:2,2", "dir:4294967297,11,down", ""}}));
    ASSERT_TRUE(loadZone(0, 0));
    EXPECT_EQ(dirAt(4, 0), DIR_UP);
    EXPECT_EQ(dirAt(6, 6), DIR_LEFT);
    EXPECT_EQ(dirAt(7, 7), DIR_DOWN);  // blanks before a number are skipped, after it ignored
    EXPECT_EQ(dirAt(8, 8), DIR_NONE);  // trailing blank after the word
    EXPECT_EQ(dirAt(9, 9), DIR_NONE);
    EXPECT_EQ(dirAt(3, 3), DIR_LEFT);  // the later line wins
    EXPECT_EQ(dirAt(10, 1), DIR_RIGHT);
    EXPECT_EQ(dirAt(2, 2), DIR_NONE);
    EXPECT_EQ(dirAt(1, 11), DIR_DOWN);  // too many digits wrap, as they always have
}

TEST(ZoneDirections, SectionEndsOnlyAtATrulyEmptyLine) {
    useWorld(concat({{"zone:0,0"}, Lines(12, ""), {"   ", "dir:5,5,UP", "", "dir:6,6,UP"}}));
    ASSERT_TRUE(loadZone(0, 0));
    EXPECT_EQ(dirAt(5, 5), DIR_UP);
    EXPECT_EQ(dirAt(6, 6), DIR_NONE);
}

TEST(ZoneDirections, BlockWithoutEmptyLineSwallowsFollowingDirections) {
    useWorld(concat({{"zone:0,0"}, Lines(12, ""), {"zone:1,0"}, Lines(12, " "), {"dir:5,5,DOWN", ""}}));
    ASSERT_TRUE(loadZone(0, 0));
    EXPECT_EQ(dirAt(5, 5), DIR_DOWN);
    ASSERT_TRUE(loadZone(1, 0));
    EXPECT_EQ(dirAt(5, 5), DIR_DOWN);
}

TEST(ZoneDirections, DefaultsFollowBordersThenWalls) {
    Lines rows(12, "");
    // Rows top first: index 11 - row.
    rows[11 - 0] = "^";                 // bottom-left corner: row rule first
    rows[11 - 5] = "^    ^      ^  ^";  // column 0, middle with walls above and below, free, column 15
    rows[11 - 4] = "     w";
    rows[11 - 6] = "     w          ";
    rows[11 - 8] = "  w^w";             // walls left and right: left wins
    rows[11 - 9] = "     ^w";           // wall to the right only
    useWorld(concat({{"zone:0,0"}, rows, {""}}));
    ASSERT_TRUE(loadZone(0, 0));
    EXPECT_EQ(dirAt(0, 0), DIR_UP);
    EXPECT_EQ(dirAt(7, 0), DIR_UP);
    EXPECT_EQ(dirAt(7, 11), DIR_DOWN);
    EXPECT_EQ(dirAt(0, 5), DIR_RIGHT);
    EXPECT_EQ(dirAt(15, 5), DIR_LEFT);
    EXPECT_EQ(dirAt(5, 5), DIR_UP);
    EXPECT_EQ(dirAt(12, 5), DIR_NONE);
    EXPECT_EQ(dirAt(3, 8), DIR_RIGHT);
    EXPECT_EQ(dirAt(5, 9), DIR_LEFT);
    EXPECT_EQ(dirAt(5, 3), DIR_DOWN);  // empty tile under a wall gets a direction too
}

TEST(ZoneDirections, DirectionLinesAreNeverReplacedByDefaults) {
    useWorld(concat({{"zone:0,0"}, rowsWith('^', 0, 0), {"dir:0,0,LEFT", ""}}));
    ASSERT_TRUE(loadZone(0, 0));
    EXPECT_EQ(dirAt(0, 0), DIR_LEFT);
}

TEST(Identity, PackedFieldsAndMasking) {
    EXPECT_EQ(tileIdentity(0, 0, 0, 0), 0);
    EXPECT_EQ(tileIdentity(1, 2, 3, 4), 0x01020304);
    EXPECT_EQ(tileIdentity(255, 255, 15, 11), static_cast<int32_t>(0xFFFF0F0Bu));
    // Negative or oversized coordinates stay in their own field.
    EXPECT_EQ(tileIdentity(0, -1, 0, 0), 0x00FF0000);
    EXPECT_EQ(tileIdentity(256, 0, 0, 0), 0);
    EXPECT_EQ(tileIdentity(INT32_MIN, INT32_MAX, 0, 0), 0x00FF0000);
}

TEST(Stars, CollectedStarLoadsEmptyInEveryLaterVisit) {
    useWorld(concat({{"zone:0,0"}, rowsWith('$', 3, 2), {""}, {"zone:1,0"}, Lines(12, ""), {""}}));
    ASSERT_TRUE(loadZone(0, 0));
    EXPECT_EQ(flagAt(3, 2), TILE_STAR);
    progress.collectedStars[0] = tileIdentity(0, 0, 3, 2);
    progress.collectedStarCount = 1;
    ASSERT_TRUE(loadZone(1, 0));
    ASSERT_TRUE(loadZone(0, 0));
    EXPECT_EQ(flagAt(3, 2), TILE_EMPTY);
    EXPECT_TRUE(isStarCollected(0, 0, 3, 2));
    EXPECT_FALSE(isStarCollected(0, 0, 2, 3));
}

TEST(Stars, OnlyCountedEntriesAreRead) {
    resetWorldState();
    progress.collectedStars[5] = tileIdentity(0, 0, 1, 1);
    progress.collectedStarCount = 5;
    EXPECT_FALSE(isStarCollected(0, 0, 1, 1));
    progress.collectedStarCount = 6;
    EXPECT_TRUE(isStarCollected(0, 0, 1, 1));
    progress.collectedStars[9] = tileIdentity(0, 0, 2, 2);
    progress.collectedStarCount = 1000;  // clamped to the ten slots
    EXPECT_TRUE(isStarCollected(0, 0, 2, 2));
    progress.collectedStarCount = -4;
    EXPECT_FALSE(isStarCollected(0, 0, 1, 1));
}

TEST(Checkpoints, IdentityZeroAfterResetActivatesCornerCheckpoint) {
    resetWorldState();
    EXPECT_EQ(progress.checkpointIdentity, -1);
    useWorld(concat({{"zone:0,0"}, rowsWith('@', 0, 0), {""}}));
    resetToStart();
    EXPECT_EQ(progress.checkpointIdentity, 0);
    EXPECT_EQ(flagAt(0, 0), TILE_CHECKPOINT_ACTIVE);
}

TEST(Checkpoints, OnlyTheRememberedCheckpointIsActive) {
    Lines rows(12, "");
    rows[11] = "@ @";
    useWorld(concat({{"zone:4,1"}, rows, {""}}));
    progress.checkpointIdentity = tileIdentity(4, 1, 2, 0);
    ASSERT_TRUE(loadZone(4, 1));
    EXPECT_EQ(flagAt(0, 0), TILE_CHECKPOINT);
    EXPECT_EQ(flagAt(2, 0), TILE_CHECKPOINT_ACTIVE);
}

TEST(Distance, StepsFromCheckpointZoneCappedAtNine) {
    useWorld(concat({{"zone:7,5"}, Lines(12, ""), {""}, {"zone:-2,1"}, Lines(12, ""), {""}}));
    ASSERT_TRUE(loadZone(7, 5));
    EXPECT_EQ(progress.zoneDistance, 9);
    ASSERT_TRUE(loadZone(-2, 1));
    EXPECT_EQ(progress.zoneDistance, 3);
    progress.checkpointZoneX = INT32_MIN;
    progress.checkpointZoneY = INT32_MIN;
    ASSERT_TRUE(loadZone(7, 5));
    EXPECT_EQ(progress.zoneDistance, 9);
}

TEST(ChangeZone, CarriesThePlayerAcross) {
    useWorld(concat({{"zone:0,0"}, Lines(12, ""), {""}, {"zone:1,0"}, rowsWith('w', 0, 0), {""},
                     {"zone:1,1"}, rowsWith('^', 0, 0), {""}}));
    ASSERT_TRUE(loadZone(0, 0));
    player.x = 630.0f;
    player.y = 100.0f;
    player.vx = 3.0f;
    player.vy = -2.0f;
    player.flags = 0;
    player.animFrame = 5;
    changeZone(1, 0);
    EXPECT_EQ(progress.currentZoneX, 1);
    EXPECT_FLOAT_EQ(player.x, -10.0f);
    EXPECT_EQ(flagAt(0, 0), TILE_WALL);
    EXPECT_EQ(progress.zoneDistance, 1);
    EXPECT_FLOAT_EQ(player.vx, 3.0f);
    EXPECT_FLOAT_EQ(player.vy, -2.0f);
    EXPECT_EQ(player.flags, 0);
    EXPECT_EQ(player.animFrame, 5);
    player.y = 470.0f;
    changeZone(0, 1);
    EXPECT_EQ(progress.currentZoneY, 1);
    EXPECT_FLOAT_EQ(player.y, -10.0f);
    EXPECT_EQ(flagAt(0, 0), TILE_SPIKE);
    EXPECT_EQ(progress.zoneDistance, 2);
}

TEST(ChangeZone, TowardsAMissingZoneComesBackAtTheOppositeEdge) {
    useWorld(concat({{"zone:0,0"}, rowsWith('w', 2, 2), {""}}));
    ASSERT_TRUE(loadZone(0, 0));
    progress.zoneDistance = 4;
    player.x = -20.0f;
    changeZone(-1, 0);
    EXPECT_FLOAT_EQ(player.x, 620.0f);
    EXPECT_EQ(progress.currentZoneX, 0);
    EXPECT_EQ(progress.zoneDistance, 4);
    EXPECT_EQ(flagAt(2, 2), TILE_WALL);
    player.y = -20.0f;
    changeZone(0, -1);
    EXPECT_FLOAT_EQ(player.y, 460.0f);
}

TEST(ChangeZone, ExtremeZoneCoordinatesWrapWithoutOverflow) {
    useWorld({"zone:-2147483648,0", "w", ""});
    progress.currentZoneX = INT32_MAX;
    changeZone(1, 0);
    EXPECT_EQ(progress.currentZoneX, INT32_MIN);
    EXPECT_EQ(flagAt(0, 11), TILE_WALL);
}

TEST(Reset, SetsPlayerGameAndWorldValues) {
    useWorld(concat({startBlock(1, 0, 0, 0, 3, 2), {"zone:1,0"}, rowsWith('w', 0, 0), {""}}));
    game = GameState{1, 60, 1, 200, 5000, 7, 80, 4, 900, 77};
    player.vx = 4.0f;
    player.flags = 0;
    player.facing = -1;
    player.animFrame = 6;
    player.animTime = 0.5f;
    progress.collectedStarCount = 3;
    resetToStart();
    EXPECT_EQ(progress.currentZoneX, 1);
    EXPECT_EQ(progress.currentZoneY, 0);
    EXPECT_EQ(progress.zoneDistance, 1);
    EXPECT_EQ(flagAt(0, 0), TILE_WALL);
    EXPECT_FLOAT_EQ(player.x, 3 * 40 + 4);
    EXPECT_FLOAT_EQ(player.y, 2 * 40 + 4);
    EXPECT_FLOAT_EQ(player.width, 32.0f);
    EXPECT_FLOAT_EQ(player.height, 32.0f);
    EXPECT_FLOAT_EQ(player.vx, 0.0f);
    EXPECT_EQ(player.flags, PLAYER_AIRBORNE);
    EXPECT_EQ(player.facing, 1);
    EXPECT_EQ(player.animFrame, 0);
    EXPECT_FLOAT_EQ(player.animTime, 0.0f);
    EXPECT_EQ(game.playerDead, 0);
    EXPECT_EQ(game.fadeTimer, 30);
    EXPECT_EQ(game.gameComplete, 0);
    EXPECT_EQ(game.starPopupTimer, 0);
    EXPECT_EQ(game.timeFrames, 0);
    EXPECT_EQ(game.deathCount, 0);
    EXPECT_EQ(game.jumpCount, 0);
    EXPECT_EQ(game.checkCount, 0);
    EXPECT_EQ(game.titleFrames, 0);
    EXPECT_EQ(game.previewAlpha, 77);  // not touched
    EXPECT_EQ(progress.collectedStarCount, 0);
    EXPECT_EQ(progress.checkpointIdentity, 0);
    const float jumps[10] = {0.0f, 7.0f, 10.0f, 11.5f, 13.1f, 14.7f, 16.0f, 17.1f, 18.4f, 19.5f};
    for (int i = 0; i < 10; ++i) {
        EXPECT_FLOAT_EQ(world.gravityTable[i], 0.5f);
        EXPECT_FLOAT_EQ(world.jumpSpeedTable[i], jumps[i]);
    }
}

TEST(Reset, StartBlockRules) {
    // Only the exact lower-case line counts; the first one wins; lines past the end read 0.
    useWorld({"START:", "5", "5", "5", "5", "5", "5", "start: ", "start:", "$2", " 3junk", "", "-1", "7"});
    resetToStart();
    EXPECT_EQ(progress.currentZoneX, 2);
    EXPECT_EQ(progress.currentZoneY, 3);
    EXPECT_EQ(progress.checkpointZoneX, 0);
    EXPECT_EQ(progress.checkpointZoneY, -1);
    EXPECT_FLOAT_EQ(player.x, 7 * 40 + 4);
    EXPECT_FLOAT_EQ(player.y, 4.0f);

    useWorld({"start:", "0", "0", "0", "0", "2"});
    resetToStart();
    EXPECT_FLOAT_EQ(player.x, 84.0f);
    EXPECT_FLOAT_EQ(player.y, 4.0f);
}

TEST(Reset, WithoutStartBlockThePositionStays) {
    useWorld(concat({{"zone:0,0"}, Lines(12, ""), {""}}));
    player.x = 123.0f;
    player.y = 45.0f;
    player.vy = 9.0f;
    progress.currentZoneX = 0;
    resetToStart();
    EXPECT_FLOAT_EQ(player.x, 123.0f);
    EXPECT_FLOAT_EQ(player.y, 45.0f);
    EXPECT_FLOAT_EQ(player.vy, 0.0f);
    EXPECT_EQ(game.fadeTimer, 30);
}

TEST(Reset, EmptyWorldRunsInAnEmptyZone) {
    useWorld({});
    resetToStart();
    for (int i = 0; i < ZONE_TILES; ++i) EXPECT_EQ(room.tileFlags[i], TILE_EMPTY);
    EXPECT_EQ(progress.checkpointIdentity, 0);
}

TEST(Respawn, BackToTheActiveCheckpointInItsZone) {
    Lines rows(12, "");
    rows[11 - 3] = "     @";
    useWorld(concat({startBlock(0, 0, 0, 0, 1, 1), {"zone:0,0"}, rows, {""}, {"zone:1,0"}, Lines(12, ""), {""}}));
    resetToStart();
    progress.checkpointIdentity = tileIdentity(0, 0, 5, 3);
    changeZone(1, 0);
    ASSERT_EQ(progress.currentZoneX, 1);
    game.playerDead = 1;
    game.previewAlpha = 100;
    player.vx = 2.0f;
    player.vy = -5.0f;
    player.flags = 0;
    respawnAtCheckpoint();
    EXPECT_EQ(progress.currentZoneX, 0);
    EXPECT_EQ(flagAt(5, 3), TILE_CHECKPOINT_ACTIVE);
    EXPECT_FLOAT_EQ(player.x, 5 * 40 + 4);
    EXPECT_FLOAT_EQ(player.y, 3 * 40 + 4);
    EXPECT_FLOAT_EQ(player.vx, 0.0f);
    EXPECT_FLOAT_EQ(player.vy, 0.0f);
    EXPECT_EQ(player.flags & PLAYER_AIRBORNE, PLAYER_AIRBORNE);
    EXPECT_EQ(game.playerDead, 0);
    EXPECT_EQ(game.previewAlpha, 0);
}

TEST(Respawn, WithoutActiveCheckpointKeepsPositionWithZeroVelocity) {
    useWorld(concat({startBlock(0, 0, 0, 0, 1, 1), {"zone:0,0"}, rowsWith('@', 4, 4), {""}}));
    resetToStart();
    EXPECT_EQ(flagAt(4, 4), TILE_CHECKPOINT);
    player.x = 300.0f;
    player.y = 200.0f;
    player.vx = 1.0f;
    player.vy = 1.0f;
    game.playerDead = 1;
    respawnAtCheckpoint();
    EXPECT_FLOAT_EQ(player.x, 300.0f);
    EXPECT_FLOAT_EQ(player.y, 200.0f);
    EXPECT_FLOAT_EQ(player.vx, 0.0f);
    EXPECT_FLOAT_EQ(player.vy, 0.0f);
    EXPECT_EQ(game.playerDead, 0);
}

TEST(Respawn, FirstActiveTileInIndexOrderWins) {
    Lines rows(12, "");
    rows[11 - 0] = "          @";
    rows[11 - 1] = " @";
    useWorld(concat({{"zone:0,0"}, rows, {""}}));
    progress.checkpointIdentity = -1;
    player.width = player.height = 32.0f;
    ASSERT_TRUE(loadZone(0, 0));
    // Two touched checkpoints in one zone: both active until the zone loads again.
    room.tileFlags[10] = TILE_CHECKPOINT_ACTIVE;
    room.tileFlags[1 + 16] = TILE_CHECKPOINT_ACTIVE;
    respawnAtCheckpoint();
    EXPECT_FLOAT_EQ(player.x, 10 * 40 + 4);
    EXPECT_FLOAT_EQ(player.y, 4.0f);
}
