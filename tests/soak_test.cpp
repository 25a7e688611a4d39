// An hour of play (216,000 updates) on the shipped world with seeded random input:
// walking, jumping, the pause menu with every entry, RESTART, deaths and the sound toggle,
// with the game's invariants checked after every update.
#include <gtest/gtest.h>

#include <SDL.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <set>
#include <string>

#include "gameplay/flow.h"
#include "gameplay/hazards.h"
#include "gameplay/movement.h"
#include "gameplay/replay.h"
#include "gameplay/sound.h"
#include "gameplay/state.h"
#include "shell/shell.h"
#include "tests/support/quality_support.h"
#include "world/world.h"

namespace {

constexpr int HOUR = 216000;
const std::string WORLD = std::string(KESTRAVEL_SOURCE_DIR) + "/data/game/world1.txt";

struct Statistics {
    int32_t time, deaths, jumps, checks, stars;
    bool anyBelow(const Statistics& o) const {
        return time < o.time || deaths < o.deaths || jumps < o.jumps || checks < o.checks || stars < o.stars;
    }
};

Statistics statistics() {
    return {game.timeFrames, game.deathCount, game.jumpCount, game.checkCount, progress.collectedStarCount};
}

bool knownFlag(int32_t flags) {
    return flags == TILE_EMPTY || flags == TILE_WALL || flags == TILE_CHECKPOINT ||
           flags == TILE_CHECKPOINT_ACTIVE || flags == TILE_SPIKE || flags == TILE_STAR;
}

// Plans a stretch of input at a time, like an erratic player: runs, hops, menus, toggles.
class RandomPlayer {
public:
    explicit RandomPlayer(uint32_t seed) : random(seed) {}

    // Keys for the next update.
    void next(uint8_t keys[REPLAY_KEYS]) {
        std::memset(keys, 0, REPLAY_KEYS);
        if (left == 0) plan();
        --left;
        switch (mode) {
            case WALK:
                keys[direction] = 1;
                if (chance(0.04)) jumpFor = pick(1, 25);
                break;
            case MENU:
                menuKeys(keys);
                return;
            default:
                break;
        }
        if (jumpFor > 0) {
            --jumpFor;
            keys[chance(0.5) ? SDL_SCANCODE_SPACE : SDL_SCANCODE_UP] = 1;
        }
        if (chance(0.0005)) keys[SDL_SCANCODE_M] = 1;
    }

    std::mt19937 random;

private:
    enum Mode { WALK, IDLE, MENU };

    bool chance(double p) { return std::uniform_real_distribution<double>(0.0, 1.0)(random) < p; }
    int pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); }

    void plan() {
        double roll = std::uniform_real_distribution<double>(0.0, 1.0)(random);
        if (roll < 0.75) {
            mode = WALK;
            direction = chance(0.6) ? SDL_SCANCODE_RIGHT : SDL_SCANCODE_LEFT;
            left = pick(5, 240);
        } else if (roll < 0.95) {
            mode = IDLE;
            left = pick(1, 90);
        } else {
            mode = MENU;
            menuStep = 0;
            left = 400;  // ends early once the menu script is done
        }
    }

    // ESCAPE, a few moves, then confirm, back or ESCAPE; each key held a few updates and released.
    void menuKeys(uint8_t keys[REPLAY_KEYS]) {
        if (hold > 0) {
            --hold;
            keys[heldKey] = 1;
            return;
        }
        if (gap > 0) {
            --gap;
            return;
        }
        if (menuStep == 0) {
            heldKey = SDL_SCANCODE_ESCAPE;
        } else if (menuStep <= moves) {
            heldKey = chance(0.5) ? SDL_SCANCODE_DOWN : SDL_SCANCODE_UP;
        } else if (menuStep == moves + 1) {
            double roll = std::uniform_real_distribution<double>(0.0, 1.0)(random);
            heldKey = roll < 0.6 ? SDL_SCANCODE_RETURN : roll < 0.8 ? SDL_SCANCODE_BACKSPACE : SDL_SCANCODE_ESCAPE;
        } else {
            // Leave whatever page is open; then play on.
            heldKey = chance(0.5) ? SDL_SCANCODE_ESCAPE : SDL_SCANCODE_BACKSPACE;
            if (menuStep > moves + 3) {
                left = 0;
                moves = pick(0, 6);
                return;
            }
        }
        ++menuStep;
        hold = pick(1, 6);
        gap = pick(1, 8);
        keys[heldKey] = 1;
        --hold;
    }

    Mode mode = IDLE;
    int left = 0;
    int direction = SDL_SCANCODE_RIGHT;
    int jumpFor = 0;
    int menuStep = 0;
    int moves = 1;
    int hold = 0;
    int gap = 0;
    int heldKey = 0;
};

class Soak : public ::testing::Test {
protected:
    void SetUp() override {
        GameStart start;
        start.worldFile = WORLD;
        const char* failure = nullptr;
        ASSERT_TRUE(startGame(start, failure));
        ASSERT_FALSE(world.lines.empty()) << WORLD;
    }
};

TEST_F(Soak, AnHourOfRandomPlayKeepsTheGameWhole) {
    RandomPlayer someone(20261208);
    uint8_t keys[REPLAY_KEYS];
    Statistics before = statistics();
    int restarts = 0, pauses = 0, deaths = 0, forcedDeaths = 0, menuMoves = 0, toggles = 0;
    std::set<std::pair<int, int>> zones;

    for (int update = 1; update <= HOUR; ++update) {
        someone.next(keys);
        // RESTART is chosen when confirm is first held on its entry of the main page.
        const bool restarting = flow.paused && flow.menuPage == MENU_MAIN && flow.menuSelection == MENU_RESTART &&
                                flow.confirmHeldFrames == 0 && (keys[SDL_SCANCODE_RETURN] || keys[SDL_SCANCODE_SPACE]) &&
                                !keys[SDL_SCANCODE_UP] && !keys[SDL_SCANCODE_DOWN];
        const int32_t selection = flow.menuSelection;
        const int32_t wasPaused = flow.paused;
        const int32_t wasDead = game.playerDead;
        const int32_t mode = sound.soundMode;

        runHeadlessFrame(keys);
        shell.quitGame = 0;  // EXIT is just another entry here

        if (!wasPaused && flow.paused) ++pauses;
        if (wasPaused && flow.paused && flow.menuSelection != selection) ++menuMoves;
        if (!wasDead && game.playerDead) ++deaths;  // the forced ones happen between updates
        if (sound.soundMode != mode) ++toggles;
        zones.insert({progress.currentZoneX, progress.currentZoneY});

        SCOPED_TRACE("update " + std::to_string(update));
        ASSERT_TRUE(std::isfinite(player.x) && std::isfinite(player.y));
        ASSERT_GE(player.x, -640.0f);
        ASSERT_LE(player.x + player.width, 1280.0f);
        ASSERT_GE(player.y, -480.0f);
        ASSERT_LE(player.y + player.height, 960.0f);
        ASSERT_GE(progress.zoneDistance, 0);
        ASSERT_LE(progress.zoneDistance, 9);
        for (int i = 0; i < ZONE_TILES; ++i) {
            ASSERT_TRUE(knownFlag(room.tileFlags[i])) << "tile " << i << " holds " << room.tileFlags[i];
            ASSERT_GE(room.tileDirection[i], DIR_NONE);
            ASSERT_LE(room.tileDirection[i], DIR_LEFT);
        }
        ASSERT_GE(progress.collectedStarCount, 0);
        ASSERT_LE(progress.collectedStarCount, WORLD_STAR_SLOTS);
        ASSERT_GE(game.fadeTimer, 0);
        ASSERT_LE(sound.soundMode, 2);

        Statistics now = statistics();
        if (restarting) {
            ++restarts;
            ASSERT_FALSE(flow.paused);
            ASSERT_EQ(now.deaths + now.jumps + now.stars, 0) << "RESTART clears the statistics";
            ASSERT_LE(now.checks, 1) << "the start may stand on a checkpoint, touched in the same update";
            ASSERT_LE(now.time, 1);
        } else {
            ASSERT_FALSE(now.anyBelow(before)) << "statistics went down without a RESTART";
        }
        before = now;

        // A death now and then wherever the player happens to be, on top of the spikes met on the way.
        if (update % 7919 == 0 && !game.playerDead && !flow.paused) {
            killPlayer();
            ++forcedDeaths;
        }
    }

    std::printf("soak: %d restarts, %d pauses, %d menu moves, %d deaths on spikes, %d forced, %d sound toggles, %zu zones\n",
                restarts, pauses, menuMoves, deaths, forcedDeaths, toggles, zones.size());
    EXPECT_GT(restarts, 5);
    EXPECT_GT(pauses, 50);
    EXPECT_GT(menuMoves, 50);
    EXPECT_GT(deaths, 0) << "the random walk should meet spikes by itself too";
    EXPECT_GT(toggles, 5);
    EXPECT_GT(zones.size(), 1u);
}

// The real frame loop from start-up to shutdown on the shipped data: the intro, a walk with
// jumps, the sound toggle, a screenshot, the frame rate, RESTART and EXIT from the menu. Run
// under LeakSanitizer (make asan), it proves the game frees what it takes.
TEST(RealFrames, FromStartUpThroughPlayToShutdown) {
    namespace fs = std::filesystem;
    const fs::path home = fs::temp_directory_path() / ("kestravel-soak-" + std::to_string(::getpid()));
    fs::create_directories(home / "Pictures");
    fs::create_directories(home / "config");
    quality::writeFile((home / "config/user-dirs.dirs").string(), "XDG_PICTURES_DIR=\"$HOME/Pictures\"\n");
    setenv("HOME", home.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);
    {
        quality::GameSession session(KESTRAVEL_SOURCE_DIR);
        if (!session.ok()) GTEST_SKIP() << "no offscreen video or dummy audio: " << SDL_GetError();
        auto hold = [&](int frames, std::initializer_list<int> keys) {
            for (int i = 0; i < frames; ++i) ASSERT_TRUE(session.frame(keys));
        };
        hold(INTRO_FRAMES + 5, {});
        EXPECT_EQ(flow.introFrames, INTRO_FRAMES);
        hold(200, {SDL_SCANCODE_RIGHT});
        for (int jump = 0; jump < 4; ++jump) {
            hold(3, {SDL_SCANCODE_RIGHT, SDL_SCANCODE_SPACE});
            hold(40, {SDL_SCANCODE_RIGHT});
        }
        EXPECT_GT(game.jumpCount, 0) << "the walk should lead out of the checkpoint's room";
        for (int press = 0; press < 3; ++press) {
            hold(2, {SDL_SCANCODE_M});
            hold(2, {});
        }
        EXPECT_EQ(sound.soundMode, 0);
        shell.screenshotRequested = 1;
        shell.showFps = 1;
        hold(70, {});
        // RESTART: open the menu, one down, confirm.
        hold(2, {SDL_SCANCODE_ESCAPE});
        hold(2, {});
        hold(2, {SDL_SCANCODE_DOWN});
        hold(2, {});
        hold(1, {SDL_SCANCODE_RETURN});
        EXPECT_EQ(flow.paused, 0);
        EXPECT_EQ(game.jumpCount, 0);
        hold(30, {});
        // EXIT: the menu wraps from the first entry up to the last.
        hold(2, {SDL_SCANCODE_ESCAPE});
        hold(2, {});
        hold(2, {SDL_SCANCODE_UP});
        hold(2, {});
        EXPECT_EQ(flow.menuSelection, MENU_EXIT);
        EXPECT_FALSE(session.frame({SDL_SCANCODE_RETURN})) << "EXIT ends the loop";
    }
    int shots = 0;
    for (const auto& entry : fs::directory_iterator(home / "Pictures")) shots += entry.is_regular_file();
    EXPECT_EQ(shots, 1);
    unsetenv("XDG_CONFIG_HOME");
    unsetenv("HOME");
    fs::remove_all(home);
}

}  // namespace
