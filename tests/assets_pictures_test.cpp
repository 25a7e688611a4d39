// The committed pictures, font and controller mappings, opened the way the game opens them,
// and the generator that made them, run again into a fresh folder.
#include <gtest/gtest.h>

#include <SDL.h>
#include <SDL_image.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

#include "gameplay/state.h"
#include "render/font.h"
#include "render/sprite.h"
#include "tests/support/render_support.h"
#include "world/assets.h"

namespace {

const std::string DATA = std::string(KESTRAVEL_SOURCE_DIR) + "/data/";

struct Rgba8 {
    int r, g, b, a;
};

// Reads one pixel of a sprite's kept surface, whatever its pixel format.
Rgba8 pixelOf(const Sprite* sprite, int x, int y) {
    SDL_Surface* s = SDL_ConvertSurfaceFormat(sprite->surface, SDL_PIXELFORMAT_RGBA32, 0);
    Rgba8 out{0, 0, 0, 0};
    if (!s) return out;
    const uint8_t* p = static_cast<const uint8_t*>(s->pixels) + y * s->pitch + x * 4;
    out = {p[0], p[1], p[2], p[3]};
    SDL_FreeSurface(s);
    return out;
}

// All pixels of a sprite as RGBA bytes, row by row.
std::vector<uint8_t> pixelsOf(const Sprite* sprite) {
    std::vector<uint8_t> out;
    SDL_Surface* s = SDL_ConvertSurfaceFormat(sprite->surface, SDL_PIXELFORMAT_RGBA32, 0);
    if (!s) return out;
    out.resize(size_t(s->w) * size_t(s->h) * 4);
    for (int y = 0; y < s->h; ++y)
        std::memcpy(&out[size_t(y) * size_t(s->w) * 4], static_cast<const uint8_t*>(s->pixels) + y * s->pitch,
                    size_t(s->w) * 4);
    SDL_FreeSurface(s);
    return out;
}

struct CellStats {
    int opaque = 0;       // alpha 255
    int clear = 0;        // alpha 0
    double r = 0, g = 0, b = 0;  // mean over pixels with any alpha
    int lowestInk = -1;   // lowest row with a mostly opaque pixel
};

CellStats statsOf(const Sprite* sprite, int x0, int y0, int w, int h) {
    std::vector<uint8_t> px = pixelsOf(sprite);
    CellStats st;
    int inked = 0;
    for (int y = y0; y < y0 + h; ++y)
        for (int x = x0; x < x0 + w; ++x) {
            const uint8_t* p = &px[(size_t(y) * size_t(sprite->width) + size_t(x)) * 4];
            if (p[3] == 255) ++st.opaque;
            if (p[3] == 0) ++st.clear;
            if (p[3] > 0) {
                st.r += p[0];
                st.g += p[1];
                st.b += p[2];
                ++inked;
            }
            if (p[3] >= 128) st.lowestInk = std::max(st.lowestInk, y - y0);
        }
    if (inked) {
        st.r /= inked;
        st.g /= inked;
        st.b /= inked;
    }
    return st;
}

class CommittedPictures : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(rendertest::openRenderer()); }
    Sprite* load(const std::string& name) {
        Sprite* s = loadSprite(DATA + "graphics/" + name, true);
        loaded.push_back(s);
        return s;
    }
    void TearDown() override {
        for (Sprite* s : loaded) freeSprite(s);
    }
    std::vector<Sprite*> loaded;
};

TEST_F(CommittedPictures, SheetsCutIntoTwelveTileCells) {
    for (int d = 0; d < 10; ++d) {
        SCOPED_TRACE("sheet " + std::to_string(d));
        Sprite* sheet = load("sheet" + std::to_string(d) + ".png");
        ASSERT_NE(sheet, nullptr);
        EXPECT_EQ(sheet->width, 480);
        EXPECT_EQ(sheet->height, 40);
        ASSERT_TRUE(setSpriteFrames(sheet, 12, 1));
        EXPECT_EQ(sheet->source.w, 40);
        EXPECT_EQ(sheet->source.h, 40);
        ASSERT_TRUE(selectFrame(sheet, 11));
        EXPECT_EQ(sheet->source.x, 440);
    }
}

TEST_F(CommittedPictures, SheetCellsHaveTheRightCoverage) {
    for (int d = 0; d < 10; ++d) {
        SCOPED_TRACE("sheet " + std::to_string(d));
        Sprite* sheet = load("sheet" + std::to_string(d) + ".png");
        ASSERT_NE(sheet, nullptr);
        // Walls and the stretched background cover their whole cell.
        EXPECT_EQ(statsOf(sheet, 0, 0, 40, 40).opaque, 1600);
        EXPECT_EQ(statsOf(sheet, 40, 0, 40, 40).opaque, 1600);
        // Checkpoint and spikes are shapes on a transparent cell.
        for (int cell = 2; cell <= 7; ++cell) {
            CellStats st = statsOf(sheet, cell * 40, 0, 40, 40);
            EXPECT_GT(st.opaque, 100) << "cell " << cell;
            EXPECT_GT(st.clear, 300) << "cell " << cell;
        }
        // Edge markers stay faint so the way on shows without hiding the room.
        for (int cell = 8; cell <= 11; ++cell) {
            CellStats st = statsOf(sheet, cell * 40, 0, 40, 40);
            EXPECT_EQ(st.opaque, 0) << "cell " << cell;
            EXPECT_GT(st.clear, 800) << "cell " << cell;
        }
    }
}

TEST_F(CommittedPictures, SpikesSitOnTheWallThatCarriesThem) {
    Sprite* sheet = load("sheet4.png");
    ASSERT_NE(sheet, nullptr);
    // Base side opaque, tip side open at its corners: up, right, down, left.
    struct Probe {
        int cell, baseX, baseY, cornerX, cornerY;
    };
    const Probe probes[] = {
        {4, 20, 38, 1, 1},    // up: base on the floor
        {5, 1, 20, 38, 1},    // right: base on the left wall
        {6, 20, 1, 1, 38},    // down: base on the ceiling
        {7, 38, 20, 1, 38},   // left: base on the right wall
    };
    for (const Probe& p : probes) {
        SCOPED_TRACE("cell " + std::to_string(p.cell));
        EXPECT_EQ(pixelOf(sheet, p.cell * 40 + p.baseX, p.baseY).a, 255);
        EXPECT_EQ(pixelOf(sheet, p.cell * 40 + p.cornerX, p.cornerY).a, 0);
    }
    // The ball without direction leaves all four corners open.
    for (int corner = 0; corner < 4; ++corner)
        EXPECT_EQ(pixelOf(sheet, 120 + (corner & 1) * 39, (corner >> 1) * 39).a, 0);
}

// Hue in degrees, reds just below 360 read as just below 0 so the scale runs blue, green, gold, red.
double hueOf(double r, double g, double b) {
    double mx = std::max({r, g, b}), mn = std::min({r, g, b});
    if (mx - mn < 1e-6) return 0.0;
    double h;
    if (mx == r)
        h = 60.0 * (g - b) / (mx - mn);
    else if (mx == g)
        h = 60.0 * (2.0 + (b - r) / (mx - mn));
    else
        h = 60.0 * (4.0 + (r - g) / (mx - mn));
    return h > 300.0 ? h - 360.0 : h;
}

TEST_F(CommittedPictures, SheetsRunFromCoolToHot) {
    double previous = 1000.0;
    for (int d = 0; d < 10; ++d) {
        Sprite* sheet = load("sheet" + std::to_string(d) + ".png");
        ASSERT_NE(sheet, nullptr);
        CellStats wall = statsOf(sheet, 0, 0, 40, 40);
        double hue = hueOf(wall.r, wall.g, wall.b);
        EXPECT_LT(hue, previous) << "sheet " << d << " is not warmer than sheet " << d - 1;
        previous = hue;
    }
    EXPECT_GT(hueOf(statsOf(loaded[0], 0, 0, 40, 40).r, statsOf(loaded[0], 0, 0, 40, 40).g,
                    statsOf(loaded[0], 0, 0, 40, 40).b), 200.0);  // blue at 0
}

// Bright blobs inside the wall tile's socket, counted with 4-neighbour flood fill.
int countPips(const Sprite* sheet) {
    std::vector<uint8_t> px = pixelsOf(sheet);
    const int x0 = 12, y0 = 12, size = 16;
    std::vector<int> bright(size * size, 0);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const uint8_t* p = &px[(size_t(y0 + y) * size_t(sheet->width) + size_t(x0 + x)) * 4];
            bright[y * size + x] = (p[0] * 299 + p[1] * 587 + p[2] * 114) / 1000 > 130;
        }
    int blobs = 0;
    for (int start = 0; start < size * size; ++start) {
        if (bright[start] != 1) continue;
        ++blobs;
        std::vector<int> stack = {start};
        bright[start] = 2;
        while (!stack.empty()) {
            int i = stack.back();
            stack.pop_back();
            int x = i % size, y = i / size;
            const int nx[4] = {x - 1, x + 1, x, x}, ny[4] = {y, y, y - 1, y + 1};
            for (int k = 0; k < 4; ++k)
                if (nx[k] >= 0 && ny[k] >= 0 && nx[k] < size && ny[k] < size && bright[ny[k] * size + nx[k]] == 1) {
                    bright[ny[k] * size + nx[k]] = 2;
                    stack.push_back(ny[k] * size + nx[k]);
                }
        }
    }
    return blobs;
}

TEST_F(CommittedPictures, WallPipsCountTheDistance) {
    for (int d = 0; d < 10; ++d) {
        Sprite* sheet = load("sheet" + std::to_string(d) + ".png");
        ASSERT_NE(sheet, nullptr);
        EXPECT_EQ(countPips(sheet), d) << "sheet " << d;
    }
}

TEST_F(CommittedPictures, PlayerHasEightFramesStandingOnTheBoxFloor) {
    Sprite* cloak = load("cloak.png");
    ASSERT_NE(cloak, nullptr);
    ASSERT_TRUE(setSpriteFrames(cloak, 8, 1));
    EXPECT_EQ(cloak->source.w, 32);
    EXPECT_EQ(cloak->source.h, 32);
    EXPECT_EQ(cloak->drawWidth, 32);
    EXPECT_EQ(cloak->drawHeight, 32);
    for (int f = 0; f < 8; ++f) {
        SCOPED_TRACE("frame " + std::to_string(f));
        CellStats st = statsOf(cloak, f * 32, 0, 32, 32);
        EXPECT_GT(st.opaque, 150);
        EXPECT_GE(st.lowestInk, 29);  // feet on the ground, not floating
        for (int corner = 0; corner < 4; ++corner)
            EXPECT_EQ(pixelOf(cloak, f * 32 + (corner & 1) * 31, (corner >> 1) * 31).a, 0);
    }
    // Every frame of the cycle is a drawing of its own.
    std::vector<uint8_t> px = pixelsOf(cloak);
    for (int a = 0; a < 8; ++a)
        for (int b = a + 1; b < 8; ++b) {
            int differ = 0;
            for (int y = 0; y < 32; ++y)
                for (int x = 0; x < 32; ++x)
                    if (std::memcmp(&px[(size_t(y) * 256 + size_t(a * 32 + x)) * 4],
                                    &px[(size_t(y) * 256 + size_t(b * 32 + x)) * 4], 4) != 0)
                        ++differ;
            EXPECT_GT(differ, 20) << "frames " << a << " and " << b;
        }
}

TEST_F(CommittedPictures, StarsGiveTheHalfScale) {
    Sprite* room = load("star20.png");
    Sprite* empty = load("star21.png");
    Sprite* filled = load("star22.png");
    ASSERT_NE(room, nullptr);
    ASSERT_NE(empty, nullptr);
    ASSERT_NE(filled, nullptr);
    EXPECT_EQ(spriteDrawHeight(filled), 64);
    float starScale = 32.0f / float(spriteDrawHeight(filled));
    EXPECT_FLOAT_EQ(starScale, 0.5f);
    for (Sprite* s : {room, empty, filled}) setSpriteScale(s, starScale, starScale);
    EXPECT_EQ(spriteDrawHeight(filled), 32);
    EXPECT_EQ(spriteDrawWidth(filled), 32);
    EXPECT_EQ(spriteDrawHeight(room), 32);
    EXPECT_EQ(spriteDrawHeight(empty), 32);
    // The empty slot is faint, the filled one solid.
    EXPECT_LT(pixelOf(empty, 32, 36).a, 100);
    EXPECT_EQ(pixelOf(filled, 32, 36).a, 255);
    EXPECT_EQ(pixelOf(room, 32, 36).a, 255);
}

TEST_F(CommittedPictures, KeyIconsFitTheControlsRows) {
    Sprite* narrow = load("narrow.png");
    Sprite* wide = load("wide.png");
    ASSERT_NE(narrow, nullptr);
    ASSERT_NE(wide, nullptr);
    ASSERT_TRUE(setSpriteFrames(narrow, 11, 1));
    ASSERT_TRUE(setSpriteFrames(wide, 6, 1));
    EXPECT_EQ(narrow->drawWidth, 48);
    EXPECT_EQ(narrow->drawHeight, 48);
    EXPECT_EQ(wide->drawWidth, 96);
    EXPECT_EQ(wide->drawHeight, 48);
    for (int f = 0; f < 11; ++f) EXPECT_GT(statsOf(narrow, f * 48, 0, 48, 48).opaque, 500) << "narrow " << f;
    for (int f = 0; f < 6; ++f) EXPECT_GT(statsOf(wide, f * 96, 0, 96, 48).opaque, 1000) << "wide " << f;
}

TEST_F(CommittedPictures, LogoAndIconFitTheScreen) {
    Sprite* logo = load("morvelt.png");
    ASSERT_NE(logo, nullptr);
    EXPECT_LE(spriteDrawWidth(logo), 640);
    EXPECT_LE(spriteDrawHeight(logo), 480);
    EXPECT_EQ(pixelOf(logo, 0, 0).a, 0);  // drawn on black, so no box around it
    EXPECT_GT(statsOf(logo, 0, 0, logo->width, logo->height).opaque, 2000);
    Sprite* icon = load("icon.png");
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(icon->width, 256);
    EXPECT_EQ(icon->height, 256);
}

TEST(CommittedFont, ReadsBackAsTheFullPrintableSet) {
    ASSERT_TRUE(rendertest::openRenderer());
    Font* font = loadFont(DATA + "fonts/open96.png");
    ASSERT_NE(font, nullptr);
    EXPECT_GE(font->lineHeight, 90);
    EXPECT_LE(font->lineHeight, 100);
    ASSERT_GE(font->glyphs.size(), 95u);
    auto glyphFor = [&](int code) -> const Glyph* {
        for (const Glyph& g : font->glyphs)
            if (g.code == code) return &g;
        return nullptr;
    };
    for (int code = 32; code <= 126; ++code) {
        const Glyph* g = glyphFor(code);
        ASSERT_NE(g, nullptr) << "code " << code;
        EXPECT_GT(g->width, 0) << "code " << code;
        EXPECT_LT(g->width, font->lineHeight) << "code " << code;
        EXPECT_LE(g->x + g->width, font->sprite->width) << "code " << code;
    }
    // Proportional, with real spacing: a space advances, M is wider than i, digits share a width.
    EXPECT_GT(glyphFor(' ')->width, 10);
    EXPECT_GT(glyphFor('M')->width, 2 * glyphFor('i')->width);
    for (int digit = '1'; digit <= '9'; ++digit) EXPECT_EQ(glyphFor(digit)->width, glyphFor('0')->width);
    // Glyphs are white ink with alpha.
    const Glyph* m = glyphFor('M');
    EXPECT_EQ(font->sprite->surface, nullptr) << "the pixels go once the glyph table is read";
    Sprite* image = loadSprite(DATA + "fonts/open96.png", true);
    ASSERT_NE(image, nullptr);
    bool sawInk = false;
    for (int x = m->x; x < m->x + m->width && !sawInk; ++x)
        for (int y = 0; y < font->lineHeight; ++y) {
            Rgba8 p = pixelOf(image, x, y);
            if (p.a == 255) {
                EXPECT_EQ(p.r + p.g + p.b, 765);
                sawInk = true;
                break;
            }
        }
    EXPECT_TRUE(sawInk);
    freeSprite(image);
    freeFont(font);
}

// The whole set through the game's own start-up loader, from the repository's folder.
TEST(CommittedAssets, GameLoaderFillsEverySlotWithItsGrid) {
    ASSERT_TRUE(rendertest::openRenderer());
    char previous[4096];
    ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
    ASSERT_EQ(chdir(KESTRAVEL_SOURCE_DIR), 0);
    loadAssets();
    EXPECT_EQ(chdir(previous), 0);
    for (int d = 0; d < 10; ++d) {
        ASSERT_NE(assets.sheets[d], nullptr) << "sheet " << d;
        EXPECT_EQ(assets.sheets[d]->frameCount, 12) << "sheet " << d;
    }
    ASSERT_NE(assets.splashLogo, nullptr);
    for (Sprite* star : assets.stars) {
        ASSERT_NE(star, nullptr);
        EXPECT_EQ(spriteDrawHeight(star), 32);
    }
    EXPECT_FLOAT_EQ(assets.starScale, 0.5f);
    ASSERT_NE(player.sprite, nullptr);
    EXPECT_EQ(player.sprite->frameCount, 8);
    ASSERT_NE(assets.narrowKeys, nullptr);
    EXPECT_EQ(assets.narrowKeys->frameCount, 11);
    ASSERT_NE(assets.wideKeys, nullptr);
    EXPECT_EQ(assets.wideKeys->frameCount, 6);
    ASSERT_NE(assets.font, nullptr);
    EXPECT_GE(assets.font->glyphs.size(), 95u);
    freeAssets();
}

std::vector<std::string> mappingLines() {
    std::ifstream in(DATA + "game/gamecontrollerdb.txt");
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

TEST(CommittedMappings, EveryLineIsAMappingSdlTakes) {
    std::vector<std::string> lines = mappingLines();
    ASSERT_FALSE(lines.empty());
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER), 0);
    int mappings = 0;
    bool explained = false;
    for (const std::string& line : lines) {
        if (line.empty()) continue;
        if (line[0] == '#') {
            if (line.find("SDL_GameControllerMappingForGUID") != std::string::npos) explained = true;
            // SDL tries any line with a platform field followed by a comma, comment or not.
            size_t field = line.find("platform:");
            if (field != std::string::npos) {
                EXPECT_EQ(line.find(',', field), std::string::npos) << line;
            }
            continue;
        }
        ++mappings;
        EXPECT_NE(line.find(",platform:Linux,"), std::string::npos) << line;
        EXPECT_GE(SDL_GameControllerAddMapping(line.c_str()), 0) << line << ": " << SDL_GetError();
        SDL_JoystickGUID guid = SDL_JoystickGetGUIDFromString(line.substr(0, 32).c_str());
        char* back = SDL_GameControllerMappingForGUID(guid);
        ASSERT_NE(back, nullptr) << line;
        EXPECT_NE(std::string(back).find("a:b0"), std::string::npos);
        SDL_free(back);
    }
    EXPECT_TRUE(explained);
    EXPECT_GE(mappings, 3);
    // The whole file as the game loads it: nothing rejected.
    EXPECT_GE(SDL_GameControllerAddMappingsFromFile((DATA + "game/gamecontrollerdb.txt").c_str()), 0);
    SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
}

std::string fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return in ? s.str() : std::string("<missing>");
}

TEST(AssetGenerator, ReproducesTheCommittedFilesByteForByte) {
    std::string tool = std::string(KESTRAVEL_BIN_DIR) + "/kestravel-assetgen";
    if (std::FILE* f = std::fopen(tool.c_str(), "rb"))
        std::fclose(f);
    else
        GTEST_SKIP() << "kestravel-assetgen was not built (FreeType or libvorbisenc missing)";
    std::string out = rendertest::makeTempDir();
    ASSERT_FALSE(out.empty());
    std::string command = "'" + tool + "' '" + out + "' pictures font mappings";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    std::vector<std::string> files = {"fonts/open96.png", "game/gamecontrollerdb.txt", "graphics/cloak.png",
                                      "graphics/icon.png", "graphics/morvelt.png", "graphics/narrow.png",
                                      "graphics/wide.png", "graphics/star20.png", "graphics/star21.png",
                                      "graphics/star22.png"};
    for (int d = 0; d < 10; ++d) files.push_back("graphics/sheet" + std::to_string(d) + ".png");
    for (const std::string& name : files) {
        std::string made = fileBytes(out + "/" + name);
        std::string committed = fileBytes(DATA + name);
        EXPECT_NE(made, "<missing>") << name;
        EXPECT_TRUE(made == committed) << name << " differs from the committed file";
    }
    std::string cleanup = "rm -rf '" + out + "'";
    EXPECT_EQ(std::system(cleanup.c_str()), 0);
}

// Every picture the README and docs/ show, drawn again by the script that made them.
TEST(ReadmePictures, TheScriptRedrawsEveryCommittedPicture) {
    const std::string source = KESTRAVEL_SOURCE_DIR;
    std::string out = rendertest::makeTempDir();
    ASSERT_FALSE(out.empty());
    std::string command = "cd '" + source + "' && sh docs/pictures.sh '" + KESTRAVEL_BIN_DIR + "' '" + out + "'";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    auto pictures = [](const std::string& folder) {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            if (entry.path().extension() == ".png") names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    };
    const std::vector<std::string> committed = pictures(source + "/docs");
    ASSERT_EQ(pictures(out), committed) << "docs/ holds a picture the script does not make, or the other way round";
    for (const std::string& name : committed) {
        SDL_Surface* made = IMG_Load((out + "/" + name).c_str());
        SDL_Surface* kept = IMG_Load((source + "/docs/" + name).c_str());
        ASSERT_TRUE(made && kept) << name;
        SDL_Surface* a = SDL_ConvertSurfaceFormat(made, SDL_PIXELFORMAT_RGBA32, 0);
        SDL_Surface* b = SDL_ConvertSurfaceFormat(kept, SDL_PIXELFORMAT_RGBA32, 0);
        ASSERT_TRUE(a && b) << name;
        bool same = a->w == b->w && a->h == b->h;
        for (int y = 0; same && y < a->h; ++y)
            same = std::memcmp(static_cast<uint8_t*>(a->pixels) + y * a->pitch,
                               static_cast<uint8_t*>(b->pixels) + y * b->pitch, size_t(a->w) * 4) == 0;
        EXPECT_TRUE(same) << "docs/" << name << " is not what docs/pictures.sh draws now: run it again";
        for (SDL_Surface* s : {made, kept, a, b}) SDL_FreeSurface(s);
    }
    std::filesystem::remove_all(out);
}

TEST(AssetGenerator, ReportsAFolderItCannotWrite) {
    std::string tool = std::string(KESTRAVEL_BIN_DIR) + "/kestravel-assetgen";
    if (std::FILE* f = std::fopen(tool.c_str(), "rb"))
        std::fclose(f);
    else
        GTEST_SKIP() << "kestravel-assetgen was not built";
    std::string out = rendertest::makeTempDir();
    ASSERT_FALSE(out.empty());
    // Plain files where the generator wants its folders.
    for (const char* name : {"graphics", "fonts", "game"}) {
        std::FILE* f = std::fopen((out + "/" + name).c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fclose(f);
    }
    for (const char* part : {"pictures", "font", "mappings"}) {
        std::string command = "'" + tool + "' '" + out + "' " + part + " 2>/dev/null";
        int status = std::system(command.c_str());
        ASSERT_NE(status, -1);
        EXPECT_TRUE(WIFEXITED(status)) << part << " crashed";
        EXPECT_EQ(WEXITSTATUS(status), 1) << part;
    }
    std::string cleanup = "rm -rf '" + out + "'";
    EXPECT_EQ(std::system(cleanup.c_str()), 0);
}

}  // namespace
