// A world read again while it is played: what the run keeps and what goes back to the checkpoint.
#include <gtest/gtest.h>

#include <string>

#include "gameplay/state.h"
#include "tests/support/gameplay_support.h"
#include "tools/world/reload.h"
#include "world/world.h"

namespace {

// Zone 0,0 holds the start's lantern at column 2 and a star; zone 1,0 a lantern of its own and a star.
std::string home(const std::string& row5 = "") {
    return zoneText(0, 0, {row5, "", "", "", "    $", " @", FLOOR_ROW});
}
std::string east(const std::string& lanternRow = "  @", const std::string& starRow = "       $") {
    return zoneText(1, 0, {"", "", "", "", starRow, lanternRow, FLOOR_ROW});
}
const std::string START = startText(0, 0, 0, 0, 1, 1);

// The player in zone 1,0 on its floor, moving, with the east lantern as the checkpoint and both stars taken.
void playEast() {
    ASSERT_TRUE(playWorld(START + home() + east()));
    progress.collectedStars[0] = tileIdentity(0, 0, 4, 2);
    progress.collectedStars[1] = tileIdentity(1, 0, 7, 2);
    progress.collectedStarCount = 2;
    progress.checkpointZoneX = 1;
    progress.checkpointIdentity = tileIdentity(1, 0, 2, 1);
    ASSERT_TRUE(loadZone(1, 0));
    player.x = 300.0f;
    player.y = 40.0f;
    player.vx = 2.5f;
}

ReloadOutcome rereadAs(const std::string& text) {
    loadWorldText(text);
    return carryRunOver();
}

}  // namespace

TEST(Reload, AnEditElsewhereKeepsTheRunAsItWas) {
    playEast();
    const ReloadOutcome outcome = rereadAs(START + home() + east("  @        www"));
    EXPECT_FALSE(outcome.respawned);
    EXPECT_FALSE(outcome.checkpointGone);
    EXPECT_EQ(outcome.starsForgotten, 0);
    EXPECT_EQ(progress.currentZoneX, 1);
    EXPECT_FLOAT_EQ(player.x, 300.0f);
    EXPECT_FLOAT_EQ(player.vx, 2.5f);
    EXPECT_EQ(progress.collectedStarCount, 2);
    EXPECT_EQ(progress.checkpointIdentity, tileIdentity(1, 0, 2, 1));
    EXPECT_EQ(room.tileFlags[11 + 1 * ZONE_COLUMNS], TILE_WALL) << "the room is built from the new file";
    EXPECT_EQ(room.tileFlags[2 + 1 * ZONE_COLUMNS], TILE_CHECKPOINT_ACTIVE);
}

TEST(Reload, AWallWhereThePlayerStandsSendsItToTheCheckpoint) {
    playEast();
    const ReloadOutcome outcome = rereadAs(START + home() + east("  @    www"));
    EXPECT_TRUE(outcome.respawned);
    EXPECT_EQ(progress.currentZoneX, 1);
    EXPECT_FLOAT_EQ(player.x, 2 * TILE_SIZE + 4.0f);
    EXPECT_FLOAT_EQ(player.vx, 0.0f);
}

TEST(Reload, AZoneThatIsGoneSendsThePlayerToTheCheckpoint) {
    playEast();
    progress.checkpointZoneX = 0;
    progress.checkpointIdentity = tileIdentity(0, 0, 1, 1);
    const ReloadOutcome outcome = rereadAs(START + home());
    EXPECT_TRUE(outcome.respawned);
    EXPECT_EQ(progress.currentZoneX, 0);
    EXPECT_FLOAT_EQ(player.x, TILE_SIZE + 4.0f);
    EXPECT_EQ(outcome.starsForgotten, 1) << "the east star went with its zone";
    EXPECT_EQ(progress.collectedStarCount, 1);
    EXPECT_EQ(progress.collectedStars[0], tileIdentity(0, 0, 4, 2));
}

TEST(Reload, ALanternThatIsGoneLeavesTheStartBlocksCheckpoint) {
    playEast();
    const ReloadOutcome outcome = rereadAs(START + home() + east(""));
    EXPECT_TRUE(outcome.checkpointGone);
    EXPECT_FALSE(outcome.respawned);
    EXPECT_EQ(progress.checkpointIdentity, 0);
    EXPECT_EQ(progress.checkpointZoneX, 0);
    EXPECT_EQ(progress.zoneDistance, 1);
    // The start block names another checkpoint zone now: a checkpoint of the start block follows it.
    rereadAs(startText(0, 0, 1, 0, 1, 1) + home() + east(""));
    EXPECT_EQ(progress.checkpointZoneX, 1);
    EXPECT_EQ(progress.zoneDistance, 0);
}

TEST(Reload, OnlyTakenStarsWhoseTileIsGoneAreForgotten) {
    playEast();
    game.gameComplete = 1;
    const ReloadOutcome outcome = rereadAs(START + home() + east("  @", "        $"));
    EXPECT_EQ(outcome.starsForgotten, 1);
    EXPECT_EQ(progress.collectedStarCount, 1);
    EXPECT_EQ(progress.collectedStars[0], tileIdentity(0, 0, 4, 2));
    EXPECT_EQ(game.gameComplete, 0) << "fewer than ten stars taken";
    EXPECT_EQ(room.tileFlags[8 + 2 * ZONE_COLUMNS], TILE_STAR) << "the moved star is there to take";
}

TEST(Reload, WithNowhereToStandThePlayerGoesToTheStartTile) {
    playEast();
    progress.checkpointIdentity = 0;  // the start block's checkpoint, in zone 0,0 as the block says
    progress.checkpointZoneX = 0;
    // Zone 1,0 is gone and zone 0,0 has no lantern, and a wall where the player would keep standing.
    const ReloadOutcome outcome = rereadAs(START + zoneText(0, 0, {"       ww", FLOOR_ROW}));
    EXPECT_TRUE(outcome.respawned);
    EXPECT_EQ(progress.currentZoneX, 0);
    EXPECT_FLOAT_EQ(player.x, TILE_SIZE + 4.0f);
    EXPECT_FLOAT_EQ(player.y, TILE_SIZE + 4.0f);
}
