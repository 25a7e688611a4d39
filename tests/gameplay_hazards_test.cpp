// Spikes, checkpoints, stars, the death fade and the respawn.
#include <gtest/gtest.h>

#include <SDL.h>

#include "gameplay/flow.h"
#include "gameplay/hazards.h"
#include "gameplay/movement.h"
#include "gameplay/state.h"
#include "tests/support/gameplay_support.h"
#include "world/world.h"

namespace {

// Zone (2, 0) with a floor and row 1 as given; the checkpoint zone two steps away.
bool rowWorld(const std::string& row1, int startColumn, int startRow = 1,
              const std::vector<std::string>& dirs = {}) {
    return playWorld(zoneText(2, 0, {row1, FLOOR_ROW}, dirs) + startText(2, 0, 0, 0, startColumn, startRow));
}

// Walks in a direction until the player dies; the x of the previous update in before.
bool walkUntilDead(int key, float& before, int limit = 300) {
    for (int i = 0; i < limit; ++i) {
        before = player.x;
        frame({key});
        if (game.playerDead) return true;
    }
    return false;
}

}  // namespace

TEST(Spikes, FallingOntoAnUpwardSpikeKillsInTheAir) {
    ASSERT_TRUE(rowWorld("   ^", 3, 6));
    EXPECT_EQ(room.tileDirection[3 + 16], DIR_UP);
    for (int i = 0; i < 100 && !game.playerDead; ++i) frame();
    ASSERT_EQ(game.playerDead, 1);
    EXPECT_FALSE(onGround());
    EXPECT_GT(player.y, 40.0f);
    EXPECT_LT(player.y + 16.0f, 80.0f);  // the centre entered row 1
    EXPECT_EQ(game.deathCount, 1);
    EXPECT_EQ(game.fadeTimer, 59);  // 60 at the kill, one update of fade
}

TEST(Spikes, DiagonalLandingOnBothChecksKillsOnce) {
    ASSERT_TRUE(rowWorld("     ^", 1));
    ASSERT_TRUE(settle());
    player.x = 183.0f;
    player.y = 41.0f;
    player.vx = 3.0f;
    player.vy = -1.0f;
    player.flags = PLAYER_AIRBORNE;
    frame();
    ASSERT_TRUE(onGround());                     // landed in this update...
    EXPECT_EQ(static_cast<int>((player.x + 16.0f) / 40.0f), 5);  // ...centre in the spike's tile
    EXPECT_EQ(static_cast<int>((player.x + 25.6f) / 40.0f), 5);  // ...and a foot too
    EXPECT_EQ(game.playerDead, 1);
    EXPECT_EQ(game.deathCount, 1);
    EXPECT_EQ(game.fadeTimer, 59);
}

TEST(Spikes, WalkingIntoAnUpwardSpikeKillsAtTheFootColumns) {
    float before = 0.0f;
    ASSERT_TRUE(rowWorld("        ^", 3));
    ASSERT_TRUE(settle());
    ASSERT_TRUE(walkUntilDead(SDL_SCANCODE_RIGHT, before));
    EXPECT_GE(player.x + 25.6f, 320.0f);
    EXPECT_LT(before + 25.6f, 320.0f);
    EXPECT_LT(player.x + 16.0f, 320.0f);  // before the centre got there
    EXPECT_EQ(game.deathCount, 1);

    ASSERT_TRUE(rowWorld("  ^", 8));
    ASSERT_TRUE(settle());
    ASSERT_TRUE(walkUntilDead(SDL_SCANCODE_LEFT, before));
    EXPECT_LT(player.x + 6.4f, 120.0f);
    EXPECT_GE(before + 6.4f, 120.0f);
    EXPECT_GE(player.x + 16.0f, 120.0f);
}

TEST(Spikes, HangingAndSideSpikesKillOnlyThroughTheCentre) {
    for (const char* word : {"DOWN", "LEFT", "RIGHT"}) {
        SCOPED_TRACE(word);
        float before = 0.0f;
        ASSERT_TRUE(rowWorld("        ^", 3, 1, {std::string("dir:8,1,") + word}));
        ASSERT_TRUE(settle());
        ASSERT_TRUE(walkUntilDead(SDL_SCANCODE_RIGHT, before));
        EXPECT_GE(player.x + 16.0f, 320.0f);
        EXPECT_LT(before + 16.0f, 320.0f);
    }
}

TEST(Spikes, DeadPlayerStaysAndIsKilledOnce) {
    ASSERT_TRUE(rowWorld("   ^", 3, 6));
    for (int i = 0; i < 100 && !game.playerDead; ++i) frame();
    ASSERT_EQ(game.playerDead, 1);
    float x = player.x, y = player.y;
    killPlayer();
    EXPECT_EQ(game.deathCount, 1);
    EXPECT_EQ(game.fadeTimer, 59);
    frames(10, {SDL_SCANCODE_RIGHT, SDL_SCANCODE_SPACE});
    EXPECT_EQ(player.x, x);
    EXPECT_EQ(player.y, y);
    EXPECT_EQ(game.deathCount, 1);
}

TEST(Spikes, TilesOutsideTheGridAreNeverRead) {
    ASSERT_TRUE(rowWorld("", 3));
    ASSERT_TRUE(settle());
    // A naive index of column 16 or row 12 would land on these.
    tileAt(0, 2) = TILE_SPIKE;
    room.tileDirection[0 + 2 * 16] = DIR_UP;
    player.x = 624.0f;  // centre exactly on 640
    player.y = 44.0f;
    checkCentreTile();
    EXPECT_EQ(game.playerDead, 0);
    player.x = 630.0f;  // right foot column 16
    player.y = 40.0f;
    player.flags = 0;
    checkFootTiles();
    EXPECT_EQ(game.playerDead, 0);
    player.x = 100.0f;
    player.y = 464.0f;  // centre exactly on 480: row 12
    room.tileFlags[2] = TILE_SPIKE;
    checkCentreTile();
    EXPECT_EQ(game.playerDead, 0);
}

TEST(Checkpoints, TouchingOneCountsOnceAndTakesTheJumpAway) {
    ASSERT_TRUE(rowWorld("      @", 3));
    EXPECT_EQ(progress.zoneDistance, 2);
    EXPECT_EQ(tileAt(6, 1), TILE_CHECKPOINT);
    ASSERT_TRUE(settle());
    for (int i = 0; i < 200 && game.checkCount == 0; ++i) frame({SDL_SCANCODE_RIGHT});
    ASSERT_EQ(game.checkCount, 1);
    EXPECT_GE(player.x + 16.0f, 240.0f);
    EXPECT_EQ(tileAt(6, 1), TILE_CHECKPOINT_ACTIVE);
    EXPECT_EQ(progress.zoneDistance, 0);
    EXPECT_EQ(progress.checkpointZoneX, 2);
    EXPECT_EQ(progress.checkpointZoneY, 0);
    EXPECT_EQ(progress.checkpointIdentity, tileIdentity(2, 0, 6, 1));
    frames(60);
    frames(30, {SDL_SCANCODE_LEFT});
    frames(30, {SDL_SCANCODE_RIGHT});
    EXPECT_EQ(game.checkCount, 1);
    frame({SDL_SCANCODE_SPACE});
    EXPECT_EQ(game.jumpCount, 0);
}

TEST(Stars, TenthStarCompletesTheGameAndFreezesTheStatistics) {
    // Ten stars, then a checkpoint and a spike; jumps are still possible before the checkpoint.
    ASSERT_TRUE(rowWorld(" $$$$$$$$$$  @ ^", 0));
    ASSERT_TRUE(settle());
    int previousCount = 0;
    for (int i = 0; i < 400 && progress.collectedStarCount < 10; ++i) {
        frame({SDL_SCANCODE_RIGHT});
        ASSERT_LE(progress.collectedStarCount, previousCount + 1);
        previousCount = progress.collectedStarCount;
        if (previousCount == 9) {
            EXPECT_EQ(game.gameComplete, 0);
        }
    }
    ASSERT_EQ(progress.collectedStarCount, 10);
    EXPECT_EQ(game.gameComplete, 1);
    EXPECT_EQ(game.starPopupTimer, 239);
    EXPECT_EQ(hazards.starPopupX, 10.5f * 40.0f - 32.0f);
    EXPECT_EQ(hazards.starPopupY, 448.0f - 1.5f * 40.0f);
    for (int column = 1; column <= 10; ++column) {
        EXPECT_EQ(tileAt(column, 1), TILE_EMPTY);
        EXPECT_EQ(progress.collectedStars[column - 1], tileIdentity(2, 0, column, 1));
    }
    const int time = game.timeFrames, jumps = game.jumpCount;
    frame({SDL_SCANCODE_SPACE, SDL_SCANCODE_RIGHT});
    EXPECT_GT(player.vy, 0.0f);  // the jump happens...
    EXPECT_EQ(game.jumpCount, jumps);  // ...but is not counted
    for (int i = 0; i < 400 && !game.playerDead; ++i) frame({SDL_SCANCODE_RIGHT});
    EXPECT_EQ(game.playerDead, 1);
    EXPECT_EQ(progress.checkpointIdentity, tileIdentity(2, 0, 13, 1));
    EXPECT_EQ(game.checkCount, 0);
    EXPECT_EQ(game.deathCount, 0);
    frames(40);
    EXPECT_EQ(game.timeFrames, time);
}

TEST(Stars, SurplusStarsNeverWritePastTheList) {
    ASSERT_TRUE(rowWorld(" $$$$$$$$$$$$", 0));
    ASSERT_TRUE(settle());
    for (int i = 0; i < 300 && player.x < 13.0f * 40.0f; ++i) frame({SDL_SCANCODE_RIGHT});
    ASSERT_GE(player.x, 13.0f * 40.0f);
    EXPECT_EQ(progress.collectedStarCount, 10);
    EXPECT_EQ(game.gameComplete, 1);
    EXPECT_EQ(tileAt(10, 1), TILE_EMPTY);
    EXPECT_EQ(tileAt(11, 1), TILE_STAR);  // left in place
    EXPECT_EQ(tileAt(12, 1), TILE_STAR);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(progress.collectedStars[i], tileIdentity(2, 0, i + 1, 1));
}

TEST(Death, RespawnComesTwentyNineUpdatesAfterTheKill) {
    ASSERT_TRUE(rowWorld("  @     ^", 0));
    ASSERT_TRUE(settle());
    float before = 0.0f;
    ASSERT_TRUE(walkUntilDead(SDL_SCANCODE_RIGHT, before));
    EXPECT_EQ(game.checkCount, 1);
    for (int i = 1; i <= 28; ++i) {
        frame();
        ASSERT_EQ(game.playerDead, 1) << i;
    }
    frame();
    EXPECT_EQ(game.playerDead, 0);
    EXPECT_EQ(game.fadeTimer, 30);
    EXPECT_EQ(player.x, 84.0f);
    EXPECT_EQ(player.y, 44.0f);
    EXPECT_EQ(player.vx, 0.0f);
    EXPECT_EQ(player.vy, 0.0f);
    EXPECT_FALSE(onGround());
    frames(30);
    EXPECT_EQ(game.fadeTimer, 0);
    frames(5);
    EXPECT_EQ(game.fadeTimer, 0);
    EXPECT_EQ(game.deathCount, 1);
}

TEST(Death, StarPopupEndsAtTheRespawn) {
    ASSERT_TRUE(rowWorld("  $  ^", 0));
    ASSERT_TRUE(settle());
    float before = 0.0f;
    ASSERT_TRUE(walkUntilDead(SDL_SCANCODE_RIGHT, before));
    EXPECT_GT(game.starPopupTimer, 200);
    frames(29);
    EXPECT_EQ(game.playerDead, 0);
    EXPECT_EQ(game.starPopupTimer, 0);
    EXPECT_EQ(tileAt(2, 1), TILE_EMPTY);  // collected stars stay collected
}

TEST(Death, PausingFreezesTheFade) {
    ASSERT_TRUE(rowWorld("   ^", 3, 6));
    for (int i = 0; i < 100 && !game.playerDead; ++i) frame();
    ASSERT_EQ(game.playerDead, 1);
    frames(5);
    const int fade = game.fadeTimer, time = game.timeFrames;
    frame({SDL_SCANCODE_ESCAPE});
    ASSERT_EQ(flow.paused, 1);
    frames(100);
    EXPECT_EQ(game.fadeTimer, fade);
    EXPECT_EQ(game.playerDead, 1);
    EXPECT_EQ(game.timeFrames, time);
    frame({SDL_SCANCODE_ESCAPE});
    ASSERT_EQ(flow.paused, 0);
    EXPECT_EQ(game.fadeTimer, fade - 1);
    frames(fade - 32);
    EXPECT_EQ(game.playerDead, 1);
    frame();
    EXPECT_EQ(game.playerDead, 0);
}
