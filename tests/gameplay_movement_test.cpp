// Walking, the distance-dependent jump, gravity, wall collision and zone edges.
#include <gtest/gtest.h>

#include <SDL.h>

#include <algorithm>
#include <cmath>

#include "gameplay/flow.h"
#include "gameplay/movement.h"
#include "gameplay/state.h"
#include "tests/support/gameplay_support.h"
#include "world/world.h"

namespace {

const float APEX_RISE[10] = {0.0f, 45.5f, 95.0f, 126.5f, 165.1f, 208.8f, 248.0f, 283.9f, 329.4f, 370.5f};

// Level ground in zone (9, 0), the checkpoint zone `distance` steps to the left.
bool levelWorld(int distance, int column = 3, int row = 1, const std::string& extraRows = "") {
    std::vector<std::string> rows;
    if (!extraRows.empty()) rows.push_back(extraRows);
    rows.push_back(FLOOR_ROW);
    return playWorld(zoneText(9, 0, rows) + startText(9, 0, 9 - distance, 0, column, row));
}

// Highest bottom edge reached by a jump from where the player stands.
float jumpRise() {
    float ground = player.y;
    float top = ground;
    frame({SDL_SCANCODE_SPACE});
    top = std::max(top, player.y);
    for (int i = 0; i < 200 && !onGround(); ++i) {
        frame();
        top = std::max(top, player.y);
    }
    return top - ground;
}

const int JUMP_KEY = SDL_SCANCODE_SPACE;

}  // namespace

TEST(Jump, RisesByTheTableAtEveryDistance) {
    for (int distance = 1; distance <= 9; ++distance) {
        SCOPED_TRACE(distance);
        ASSERT_TRUE(levelWorld(distance));
        ASSERT_TRUE(settle());
        EXPECT_EQ(player.y, 40.0f);
        EXPECT_EQ(progress.zoneDistance, distance);
        EXPECT_NEAR(jumpRise(), APEX_RISE[distance], 0.1f);
        EXPECT_EQ(game.jumpCount, 1);
        EXPECT_EQ(player.y, 40.0f);  // back on the same ground
    }
}

TEST(Jump, RefusedInTheCheckpointZoneButStillHeld) {
    ASSERT_TRUE(levelWorld(0));
    ASSERT_TRUE(settle());
    frame({JUMP_KEY});
    EXPECT_TRUE(onGround());
    EXPECT_EQ(player.vy, 0.0f);
    EXPECT_EQ(player.y, 40.0f);
    EXPECT_EQ(game.jumpCount, 0);
    EXPECT_EQ(movement.jumpHeld, 1);
    frame();
    EXPECT_EQ(movement.jumpHeld, 0);
}

TEST(Jump, EveryJumpKeyJumps) {
    for (int key : {SDL_SCANCODE_SPACE, SDL_SCANCODE_Z, SDL_SCANCODE_W, SDL_SCANCODE_X, SDL_SCANCODE_UP}) {
        SCOPED_TRACE(key);
        ASSERT_TRUE(levelWorld(1));
        ASSERT_TRUE(settle());
        frame({key});
        EXPECT_EQ(game.jumpCount, 1);
    }
}

TEST(Jump, GraceCoversThreeUpdatesAfterTheGroundDisappears) {
    for (int wait = 0; wait <= 3; ++wait) {
        SCOPED_TRACE(wait);
        ASSERT_TRUE(levelWorld(2));
        ASSERT_TRUE(settle());
        tileAt(3, 0) = TILE_EMPTY;  // the box spans x 124..156, all in column 3
        frame();
        ASSERT_FALSE(onGround());   // the fall began in this update
        EXPECT_EQ(movement.airFrames, 0);
        EXPECT_EQ(player.y, 40.0f - 0.001f);
        frames(wait);
        frame({JUMP_KEY});
        EXPECT_EQ(game.jumpCount, wait < 3 ? 1 : 0);
        if (wait < 3) {
            EXPECT_GT(player.vy, 0.0f);
        }
    }
}

TEST(Jump, HoldingNeverRepeats) {
    ASSERT_TRUE(levelWorld(1));
    ASSERT_TRUE(settle());
    frames(200, {JUMP_KEY});
    EXPECT_EQ(game.jumpCount, 1);
    EXPECT_TRUE(onGround());
}

TEST(Jump, QuickSecondPressAfterAJumpJumpsAgain) {
    ASSERT_TRUE(levelWorld(1));
    ASSERT_TRUE(settle());
    frame();  // airFrames only clears in an update that starts on ground
    frame({JUMP_KEY});
    frame();
    frame({JUMP_KEY});
    EXPECT_EQ(game.jumpCount, 2);
    EXPECT_EQ(player.vy, 7.0f - 0.5f);

    ASSERT_TRUE(levelWorld(1));
    ASSERT_TRUE(settle());
    frame();
    frame({JUMP_KEY});
    frames(2);
    frame({JUMP_KEY});
    EXPECT_EQ(game.jumpCount, 1);
}

TEST(Walking, ApproachesTheTargetSpeedAndStopsQuicklyOnGround) {
    ASSERT_TRUE(levelWorld(1));
    ASSERT_TRUE(settle());
    frame({SDL_SCANCODE_RIGHT});
    EXPECT_FLOAT_EQ(player.vx, 0.6f);
    EXPECT_EQ(movement.moveDirection, 1);
    EXPECT_EQ(player.facing, 1);
    frames(60, {SDL_SCANCODE_D});
    EXPECT_NEAR(player.vx, 3.0f, 1e-3f);
    frame({SDL_SCANCODE_RIGHT, SDL_SCANCODE_LEFT});  // right wins
    EXPECT_EQ(player.facing, 1);
    float before = player.vx;
    frame();
    EXPECT_FLOAT_EQ(player.vx, before * 0.1f);
    EXPECT_EQ(movement.moveDirection, 0);
    frame({SDL_SCANCODE_A});
    EXPECT_EQ(movement.moveDirection, -1);
    EXPECT_EQ(player.facing, -1);
    EXPECT_LT(player.vx, 0.0f);
}

TEST(Walking, AirDampingIsGentle) {
    ASSERT_TRUE(levelWorld(9));
    ASSERT_TRUE(settle());
    frames(30, {SDL_SCANCODE_RIGHT});
    frame({JUMP_KEY, SDL_SCANCODE_RIGHT});
    float before = player.vx;
    frame();
    EXPECT_FLOAT_EQ(player.vx, before * 0.9f);
}

TEST(Animation, PosesFollowTheMotion) {
    ASSERT_TRUE(levelWorld(9));
    ASSERT_TRUE(settle());
    EXPECT_EQ(player.animFrame, 0);
    frames(20);
    EXPECT_EQ(player.animFrame, 0);  // standing pose holds
    for (int i = 0; i < 120; ++i) {
        frame({SDL_SCANCODE_RIGHT});
        ASSERT_NE(player.animFrame, 2);  // the rising pose never shows on ground
        ASSERT_TRUE(onGround());
    }
    frame({JUMP_KEY});
    frames(4);
    EXPECT_EQ(player.animFrame, 2);  // held while rising
    frames(20);
    EXPECT_EQ(player.animFrame, 2);
    while (player.vy > 0.0f) frame();
    frames(20);
    EXPECT_EQ(player.animFrame, 5);  // held while falling
}

TEST(Animation, SettlesToAStandingPose) {
    ASSERT_TRUE(levelWorld(1));
    ASSERT_TRUE(settle());
    frames(37, {SDL_SCANCODE_RIGHT});
    frames(40);
    EXPECT_TRUE(player.animFrame == 0 || player.animFrame == 4);
}

TEST(Collision, LandingSnapsToTheTileTop) {
    ASSERT_TRUE(levelWorld(1, 3, 7));
    ASSERT_TRUE(settle());
    EXPECT_EQ(player.y, 40.0f);
    EXPECT_EQ(player.vy, 0.0f);
    EXPECT_GT(movement.airFrames, 0);  // cleared by the next update on ground
    frame();
    EXPECT_EQ(movement.airFrames, 0);
    EXPECT_EQ(player.y, 40.0f);
}

TEST(Collision, HardLandingOnlyAfterALongFall) {
    ASSERT_TRUE(levelWorld(1, 3, 1));  // a 4-pixel drop
    ASSERT_TRUE(settle());
    EXPECT_NE(player.animFrame, 6);

    ASSERT_TRUE(levelWorld(1, 3, 6));  // 204 pixels: lands faster than 11
    ASSERT_TRUE(settle());
    EXPECT_EQ(player.animFrame, 6);
    EXPECT_EQ(player.animTime, 0.0f);

    // Jumps back onto the same level: silent at 1 and 2, hard from 3 on.
    for (int distance = 1; distance <= 4; ++distance) {
        SCOPED_TRACE(distance);
        ASSERT_TRUE(levelWorld(distance));
        ASSERT_TRUE(settle());
        frames(10);
        jumpRise();
        ASSERT_TRUE(onGround());
        EXPECT_EQ(player.animFrame == 6, distance >= 3);
    }
}

TEST(Collision, HardLandingStartsAfterTwentyTwoUpdatesOfFalling) {
    for (int updates : {22, 23}) {
        SCOPED_TRACE(updates);
        ASSERT_TRUE(levelWorld(1, 3, 11));
        // At rest, placed so that the landing comes in update `updates`.
        player.y = 40.1f + 0.25f * static_cast<float>(updates * (updates - 1));
        player.vy = 0.0f;
        player.animFrame = 0;
        for (int i = 1; i < updates; ++i) {
            frame();
            ASSERT_FALSE(onGround());
        }
        frame();
        ASSERT_TRUE(onGround());
        EXPECT_EQ(player.y, 40.0f);
        EXPECT_EQ(player.animFrame == 6, updates > 22);
    }
}

TEST(Collision, WalkingOffAHighLedgeLandsHard) {
    ASSERT_TRUE(playWorld(zoneText(9, 0, {"wwww", "", "", "", "", "", FLOOR_ROW}) + startText(9, 0, 8, 0, 2, 7)));
    ASSERT_TRUE(settle());
    EXPECT_EQ(player.y, 280.0f);
    while (onGround()) frame({SDL_SCANCODE_RIGHT});
    ASSERT_TRUE(settle());
    EXPECT_EQ(player.y, 40.0f);
    EXPECT_EQ(player.animFrame, 6);
}

TEST(Collision, WallKeepsTheBoxAThousandthAway) {
    ASSERT_TRUE(levelWorld(1, 3, 1, "        w"));
    ASSERT_TRUE(settle());
    for (int i = 0; i < 80; ++i) frame({SDL_SCANCODE_RIGHT});
    EXPECT_NEAR(320.0f - (player.x + player.width), 0.001f, 2e-5f);
    EXPECT_EQ(player.vx, 0.0f);
    float animBefore = player.animTime + player.animFrame;
    for (int i = 0; i < 20; ++i) {
        frame({SDL_SCANCODE_RIGHT});
        EXPECT_NEAR(320.0f - (player.x + player.width), 0.001f, 2e-5f);
        EXPECT_EQ(player.vx, 0.0f);
        EXPECT_TRUE(onGround());
    }
    EXPECT_NE(player.animTime + player.animFrame, animBefore);  // still walking on the spot

    // The same on the left.
    ASSERT_TRUE(levelWorld(1, 3, 1, " w"));
    ASSERT_TRUE(settle());
    for (int i = 0; i < 80; ++i) frame({SDL_SCANCODE_LEFT});
    EXPECT_NEAR(player.x - 80.0f, 0.001f, 2e-5f);
    EXPECT_EQ(player.vx, 0.0f);
}

TEST(Collision, CeilingStartsTheFallAtOnce) {
    ASSERT_TRUE(playWorld(zoneText(9, 0, {FLOOR_ROW, "", "", FLOOR_ROW}) + startText(9, 0, 7, 0, 3, 1)));
    ASSERT_TRUE(settle());
    frame({JUMP_KEY});
    for (int i = 0; i < 30 && player.vy > 0.0f; ++i) frame();
    EXPECT_EQ(player.vy, -0.5f);
    EXPECT_EQ(player.y + player.height, 120.0f);
    EXPECT_FALSE(onGround());
}

TEST(Collision, InsideCornerCorrectsBothAxes) {
    // Floor and a wall in column 5, moving down-right into the corner.
    std::vector<std::string> rows(11, "     w");
    rows.push_back(FLOOR_ROW);
    ASSERT_TRUE(playWorld(zoneText(9, 0, rows) + startText(9, 0, 8, 0, 2, 1)));
    ASSERT_TRUE(settle());
    player.x = 167.0f;
    player.y = 41.0f;
    player.vx = 2.0f;
    player.vy = -3.0f;
    player.flags = PLAYER_AIRBORNE;
    player.animFrame = 5;
    updateMotion();
    EXPECT_EQ(player.y, 40.0f);
    EXPECT_EQ(player.vy, 0.0f);
    EXPECT_TRUE(onGround());
    EXPECT_NEAR(player.x, 167.999f, 2e-5f);
    EXPECT_EQ(player.vx, 2.0f);  // kept when the wall is on the right
    EXPECT_EQ(player.animFrame, 5);

    // Up-left into a ceiling and a wall in column 2.
    std::vector<std::string> rows2;
    rows2.push_back(FLOOR_ROW);
    for (int i = 0; i < 10; ++i) rows2.push_back(i == 5 ? FLOOR_ROW : "  w");
    rows2.push_back(FLOOR_ROW);
    ASSERT_TRUE(playWorld(zoneText(9, 0, rows2) + startText(9, 0, 8, 0, 5, 1)));
    ASSERT_TRUE(settle());
    player.x = 121.0f;
    player.y = 167.0f;
    player.vx = -2.0f;
    player.vy = 3.0f;
    player.flags = PLAYER_AIRBORNE;
    updateMotion();
    EXPECT_EQ(player.y, 168.0f);
    EXPECT_EQ(player.vy, -0.5f);
    EXPECT_FALSE(onGround());
    EXPECT_NEAR(player.x, 120.001f, 2e-5f);
    EXPECT_EQ(player.vx, 0.0f);
}

TEST(Collision, FullSpeedFallNeverSkipsAWall) {
    ASSERT_TRUE(playWorld(zoneText(9, 0, {FLOOR_ROW, "", "", "", "", ""}) + startText(9, 0, 8, 0, 2, 10)));
    for (int k = 0; k < 80; ++k) {
        SCOPED_TRACE(k);
        player.x = 100.0f;
        player.y = 240.0f + static_cast<float>(k) * 0.5f;
        player.vx = 0.0f;
        player.vy = -20.0f;
        player.flags = PLAYER_AIRBORNE;
        for (int i = 0; i < 5 && !onGround(); ++i) {
            frame();
            ASSERT_GE(player.y, 240.0f);
        }
        EXPECT_TRUE(onGround());
        EXPECT_EQ(player.y, 240.0f);
    }
}

TEST(Collision, FallSpeedIsCapped) {
    ASSERT_TRUE(levelWorld(1, 3, 11));
    player.vy = -19.8f;
    frame();
    EXPECT_EQ(player.vy, -20.0f);
    frame();
    EXPECT_EQ(player.vy, -20.0f);
}

TEST(BoxHitsWall, TruncatesTowardZeroAndIgnoresOutsideCorners) {
    ASSERT_TRUE(playWorld(zoneText(9, 0, {}) + startText(9, 0, 8, 0, 2, 5)));
    tileAt(0, 0) = TILE_WALL;
    EXPECT_TRUE(boxHitsWall(-39.0f, -39.0f, 10.0f, 10.0f));  // both -0.9 truncate to 0
    EXPECT_FALSE(boxHitsWall(-80.0f, -80.0f, 30.0f, 30.0f));
    EXPECT_TRUE(boxHitsWall(-80.0f, -80.0f, 50.0f, 50.0f));  // only the top-right corner is inside
    tileAt(0, 0) = TILE_SPIKE;
    EXPECT_FALSE(boxHitsWall(5.0f, 5.0f, 10.0f, 10.0f));
    tileAt(15, 11) = TILE_WALL;
    EXPECT_TRUE(boxHitsWall(630.0f, 470.0f, 5.0f, 5.0f));
    EXPECT_FALSE(boxHitsWall(640.0f, 470.0f, 5.0f, 5.0f));  // column 16 is outside
    EXPECT_FALSE(boxHitsWall(630.0f, 480.0f, 5.0f, 5.0f));  // row 12 is outside
    EXPECT_FALSE(boxHitsWall(NAN, NAN, 1.0f, 1.0f));
    EXPECT_FALSE(boxHitsWall(1e30f, -1e30f, 1.0f, 1.0f));
    tileAt(3, 3) = TILE_WALL;
    EXPECT_TRUE(boxHitsWall(80.0f, 80.0f, 40.0f, 40.0f));  // a corner exactly on 120 is in column 3
    EXPECT_FALSE(boxHitsWall(80.0f, 80.0f, 39.99f, 39.99f));
}

TEST(ZoneEdges, EachEdgeShiftsOneScreenAndKeepsTheVelocity) {
    std::string text = zoneText(1, 1, {}) + zoneText(0, 1, {}) + zoneText(2, 1, {}) + zoneText(1, 0, {}) +
                       zoneText(1, 2, {}) + startText(1, 1, 1, 1, 5, 5);
    struct Case {
        float x, y;
        int zoneX, zoneY;
        float newX, newY;
    };
    const Case cases[] = {
        {625.0f, 200.0f, 2, 1, -15.0f, 200.0f},
        {-17.0f, 200.0f, 0, 1, 623.0f, 200.0f},
        {300.0f, 465.0f, 1, 2, 300.0f, -15.0f},
        {300.0f, -17.0f, 1, 0, 300.0f, 463.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.zoneX * 10 + c.zoneY);
        ASSERT_TRUE(playWorld(text));
        EXPECT_EQ(progress.zoneDistance, 0);
        player.x = c.x;
        player.y = c.y;
        player.vx = 1.25f;
        player.vy = -2.5f;
        player.flags = PLAYER_AIRBORNE;
        EXPECT_TRUE(checkZoneEdges());
        EXPECT_EQ(progress.currentZoneX, c.zoneX);
        EXPECT_EQ(progress.currentZoneY, c.zoneY);
        EXPECT_EQ(player.x, c.newX);
        EXPECT_EQ(player.y, c.newY);
        EXPECT_EQ(player.vx, 1.25f);
        EXPECT_EQ(player.vy, -2.5f);
        EXPECT_EQ(player.flags, PLAYER_AIRBORNE);
        EXPECT_EQ(progress.zoneDistance, 1);
    }
    // A centre exactly on the edge stays.
    ASSERT_TRUE(playWorld(text));
    player.x = 624.0f;
    player.y = 464.0f;
    EXPECT_FALSE(checkZoneEdges());
    EXPECT_EQ(progress.currentZoneX, 1);
}

TEST(ZoneEdges, MissingNeighbourBringsThePlayerBackAcrossTheSameZone) {
    ASSERT_TRUE(playWorld(zoneText(1, 1, {}) + startText(1, 1, 0, 1, 5, 5)));
    EXPECT_EQ(progress.zoneDistance, 1);
    player.x = 625.0f;
    player.vx = 2.0f;
    EXPECT_TRUE(checkZoneEdges());
    EXPECT_EQ(progress.currentZoneX, 1);
    EXPECT_EQ(player.x, -15.0f);
    EXPECT_EQ(player.vx, 2.0f);
    EXPECT_EQ(progress.zoneDistance, 1);
}

TEST(ZoneEdges, WalkingAcrossCarriesTheMotionOn) {
    ASSERT_TRUE(playWorld(zoneText(1, 0, {FLOOR_ROW}) + zoneText(2, 0, {"w", FLOOR_ROW}) +
                          startText(1, 0, 0, 0, 13, 1)));
    ASSERT_TRUE(settle());
    int changedAt = -1;
    for (int i = 0; i < 100 && changedAt < 0; ++i) {
        frame({SDL_SCANCODE_RIGHT});
        if (progress.currentZoneX == 2) changedAt = i;
    }
    ASSERT_GE(changedAt, 0);
    EXPECT_LT(player.x + 16.0f, 3.0f);
    EXPECT_GE(player.x + 16.0f, 0.0f);
    EXPECT_NEAR(player.vx, 3.0f, 0.01f);
    EXPECT_EQ(progress.zoneDistance, 2);
    EXPECT_TRUE(onGround());
    // The wall at column 0, row 1 of the new zone is resolved in the next update.
    frame({SDL_SCANCODE_RIGHT});
    EXPECT_TRUE(onGround());
}

TEST(JumpPreview, AppearsAfterStandingStill) {
    ASSERT_TRUE(levelWorld(3));
    ASSERT_TRUE(settle());
    frames(10, {SDL_SCANCODE_RIGHT});
    EXPECT_EQ(movement.idleFrames, 0);
    frames(40);
    EXPECT_EQ(movement.jumpPreviewRow, 1 + 3);
    EXPECT_EQ(movement.previewX, 0);
    while (movement.idleFrames <= 60) frame();
    EXPECT_EQ(movement.previewX, static_cast<int>(std::lround(player.x)));
    EXPECT_EQ(movement.previewFacing, 1);
    frame({JUMP_KEY});
    EXPECT_EQ(movement.idleFrames, 0);

    ASSERT_TRUE(levelWorld(0));
    ASSERT_TRUE(settle());
    frames(100);
    EXPECT_EQ(movement.idleFrames, 0);  // no preview where no jump is possible
}
