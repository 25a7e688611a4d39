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
