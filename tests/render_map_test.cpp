// The world map tool run as a program on small worlds.
#include <gtest/gtest.h>

#include <SDL.h>
#include <SDL_image.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "tests/support/render_support.h"

namespace {

class MapTool : public ::testing::Test {
protected:
    void SetUp() override {
        dir = rendertest::makeTempDir();
        ASSERT_FALSE(dir.empty());
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    int run(const std::string& arguments) {
        std::string command = "cd '" + dir + "' && SDL_VIDEODRIVER=offscreen '" KESTRAVEL_BIN_DIR "/kestravel-world' map " +
                              arguments + " > /dev/null 2>&1";
        int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    void write(const std::string& name, const std::string& text) {
        std::ofstream out(dir + "/" + name, std::ios::binary);
        out << text;
    }
    static std::string zone(int x, int y, bool walls) {
        std::string block = "zone:" + std::to_string(x) + "," + std::to_string(y) + "\n";
        for (int row = 0; row < 12; row++) block += walls ? "wwwwwwwwwwwwwwww\n" : (row == 11 ? "wwwwwwwwwwwwwwww\n" : "w       $      w\n");
        return block + "\n";
    }
    std::string dir;
};

Uint32 pixelAt(SDL_Surface* surface, int x, int y) {
    Uint32 pixel = 0;
    SDL_Surface* rgb = SDL_ConvertSurfaceFormat(surface, SDL_PIXELFORMAT_ARGB8888, 0);
    if (!rgb) return 0;
    pixel = static_cast<Uint32*>(rgb->pixels)[y * rgb->pitch / 4 + x];
    SDL_FreeSurface(rgb);
    return pixel & 0xFFFFFF;
}

TEST_F(MapTool, PlacesZonesOnTheGridWithYUpwards) {
    // Zones (0, 0), (1, 0) and (0, 1) with the checkpoint in (1, 0); (1, 1) does not exist.
    write("world.txt", zone(0, 0, false) + zone(1, 0, true) + "ZONE:0,1\n" + zone(0, 1, false).substr(9) +
                           "start:\n1\n0\n1\n0\n3\n1\n");
    ASSERT_EQ(run("world.txt out.png --scale 0.1"), 0);
    SDL_Surface* map = IMG_Load((dir + "/out.png").c_str());
    ASSERT_NE(map, nullptr);
    EXPECT_EQ(map->w, 128);
    EXPECT_EQ(map->h, 96);
    Uint32 empty = 0x0C0C10;
    EXPECT_EQ(pixelAt(map, 64 + 32, 24), empty);  // top right: no zone (1, 1)
    EXPECT_NE(pixelAt(map, 32, 24), empty);       // (0, 1) above (0, 0)
    EXPECT_NE(pixelAt(map, 32, 72), empty);
    EXPECT_NE(pixelAt(map, 96, 72), empty);
    // The all-wall zone looks different from the open one beside it.
    EXPECT_NE(pixelAt(map, 96, 72), pixelAt(map, 32, 72));
    SDL_FreeSurface(map);
}

TEST_F(MapTool, DefaultScaleAndLargeCoordinates) {
    write("world.txt", zone(-3, 5, false) + zone(-2, 5, false));
    ASSERT_EQ(run("world.txt out.png"), 0);
    SDL_Surface* map = IMG_Load((dir + "/out.png").c_str());
    ASSERT_NE(map, nullptr);
    EXPECT_EQ(map->w, 320);
    EXPECT_EQ(map->h, 120);
    SDL_FreeSurface(map);

    // Zones so far apart that the picture would be absurd are refused, not attempted.
    write("far.txt", zone(-2000000000, 0, false) + zone(2000000000, 0, false));
    EXPECT_EQ(run("far.txt far.png"), 1);
    EXPECT_FALSE(std::filesystem::exists(dir + "/far.png"));
}

TEST_F(MapTool, FromColoursByTheDistanceFromAnotherZone) {
    // Without the tile sheets each zone's background shows its distance.
    write("world.txt", zone(0, 0, false) + zone(1, 0, false) + "start:\n0\n0\n0\n0\n3\n1\n");
    ASSERT_EQ(run("world.txt start.png --scale 0.1"), 0);
    ASSERT_EQ(run("world.txt from.png --scale 0.1 --from 1 0"), 0);
    SDL_Surface* start = IMG_Load((dir + "/start.png").c_str());
    SDL_Surface* from = IMG_Load((dir + "/from.png").c_str());
    ASSERT_NE(start, nullptr);
    ASSERT_NE(from, nullptr);
    EXPECT_NE(pixelAt(start, 16, 24), pixelAt(start, 64 + 16, 24));
    EXPECT_EQ(pixelAt(start, 16, 24), pixelAt(from, 64 + 16, 24));
    EXPECT_EQ(pixelAt(start, 64 + 16, 24), pixelAt(from, 16, 24));
    SDL_FreeSurface(start);
    SDL_FreeSurface(from);
    EXPECT_EQ(run("world.txt none.png --from 2 0"), 2);
    EXPECT_EQ(run("world.txt none.png --from 1"), 2);
}

TEST_F(MapTool, BoxesShowThePlayerAndWhereSpikesKill) {
    // A floor spike at column 8 and a hanging one at column 12; the player starts on column 3.
    std::string rows = "zone:0,0\n" + std::string(8, '\n') + "wwwwwwwwwwwwwwww\n            ^\n        ^\n" +
                       "wwwwwwwwwwwwwwww\n\nstart:\n0\n0\n0\n0\n3\n1\n";
    write("world.txt", rows);
    ASSERT_EQ(run("world.txt plain.png --scale 1"), 0);
    ASSERT_EQ(run("world.txt boxes.png --scale 1 --boxes"), 0);
    SDL_Surface* plain = IMG_Load((dir + "/plain.png").c_str());
    SDL_Surface* boxes = IMG_Load((dir + "/boxes.png").c_str());
    ASSERT_NE(plain, nullptr);
    ASSERT_NE(boxes, nullptr);
    auto red = [](Uint32 pixel) { return int(pixel >> 16) > 200 && int((pixel >> 8) & 255) < 100; };
    auto yellow = [](Uint32 pixel) {
        return int(pixel >> 16) > 200 && int((pixel >> 8) & 255) > 200 && int(pixel & 255) < 100;
    };
    // The floor spike's bottom edge (feet) and its tile's rim (middle); the hanging spike has only the rim.
    EXPECT_TRUE(yellow(pixelAt(boxes, 340, 437)));
    EXPECT_FALSE(yellow(pixelAt(plain, 340, 437)));
    EXPECT_TRUE(red(pixelAt(boxes, 321, 420)));
    EXPECT_TRUE(red(pixelAt(boxes, 481, 380)));
    EXPECT_FALSE(yellow(pixelAt(boxes, 500, 397)));
    // The box outline around the start place (x 124, top 404 on the screen) and its middle.
    EXPECT_NE(pixelAt(boxes, 140, 405), pixelAt(plain, 140, 405));
    EXPECT_TRUE(red(pixelAt(boxes, 140, 420)));
    SDL_FreeSurface(plain);
    SDL_FreeSurface(boxes);
}

TEST_F(MapTool, BadInput) {
    write("nozones.txt", "start:\n0\n0\n0\n0\n1\n1\nzone: 0,0\nzone:00,1\nzone:1,1 \n");
    write("world.txt", zone(0, 0, false));
    EXPECT_EQ(run("missing.txt out.png"), 2);
    EXPECT_EQ(run("nozones.txt out.png"), 2);
    EXPECT_EQ(run(". out.png"), 2);
    EXPECT_EQ(run("world.txt"), 2);
    EXPECT_EQ(run("world.txt out.png --scale"), 2);
    EXPECT_EQ(run("world.txt out.png --scale 0"), 2);
    EXPECT_EQ(run("world.txt out.png --scale -1"), 2);
    EXPECT_EQ(run("world.txt out.png --scale abc"), 2);
    EXPECT_EQ(run("world.txt out.png --zoom 1"), 2);
    EXPECT_FALSE(std::filesystem::exists(dir + "/out.png"));
    EXPECT_NE(run("world.txt no/such/folder/out.png"), 0);
}

}  // namespace
