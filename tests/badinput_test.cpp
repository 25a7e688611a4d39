// Broken, odd and hostile input through the game's own start-up and frames: world files of
// every wrong kind, pictures, fonts, sounds and mappings that are missing or mangled, a
// pictures folder that cannot be written. After start-up every one of them is silent: the game
// loads what it can and keeps running and drawing.
#include <gtest/gtest.h>

#include <SDL.h>
#include <SDL_image.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <ctime>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "gameplay/flow.h"
#include "gameplay/sound.h"
#include "gameplay/state.h"
#include "render/font.h"
#include "render/sprite.h"
#include "shell/shell.h"
#include "tests/support/quality_support.h"
#include "world/assets.h"
#include "world/world.h"

using namespace quality;
namespace fs = std::filesystem;

namespace {

const std::string SHIPPED_WORLD = std::string(KESTRAVEL_SOURCE_DIR) + "/data/game/world1.txt";

// A data folder of its own per test, a copy of the shipped one, ready to be broken.
class BrokenData : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/kestravel-badinput-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
        ASSERT_TRUE(copyShippedData(folder));
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }
    std::string data(const std::string& name) const { return folder + "/data/" + name; }

    // Intro, a walk with jumps both ways, the pause menu with every page and the frame rate:
    // everything that draws. Checks the world stays whole all along.
    void playAWhile(GameSession& session) {
        shell.showFps = 1;
        for (int i = 0; i < 110; ++i) session.quickFrame();
        for (int i = 0; i < 240; ++i) {
            bool jump = i % 40 < 3;
            if (jump) session.quickFrame({i < 120 ? SDL_SCANCODE_RIGHT : SDL_SCANCODE_LEFT, SDL_SCANCODE_SPACE});
            else session.quickFrame({i < 120 ? SDL_SCANCODE_RIGHT : SDL_SCANCODE_LEFT});
            ASSERT_TRUE(std::isfinite(player.x) && std::isfinite(player.y));
            ASSERT_TRUE(tilesAreSound());
            ASSERT_GE(progress.zoneDistance, 0);
            ASSERT_LE(progress.zoneDistance, 9);
        }
        const std::vector<int> menuTour = {SDL_SCANCODE_ESCAPE, SDL_SCANCODE_DOWN, SDL_SCANCODE_DOWN,
                                           SDL_SCANCODE_RETURN, SDL_SCANCODE_BACKSPACE, SDL_SCANCODE_DOWN,
                                           SDL_SCANCODE_RETURN, SDL_SCANCODE_BACKSPACE, SDL_SCANCODE_ESCAPE};
        for (int key : menuTour) {
            for (int i = 0; i < 3; ++i) session.quickFrame({key});
            for (int i = 0; i < 3; ++i) session.quickFrame();
        }
        for (int i = 0; i < 3; ++i) session.quickFrame({SDL_SCANCODE_M});
        for (int i = 0; i < 30; ++i) session.quickFrame();
    }

    std::string folder;
};

#define START_GAME(name)                                                          \
    GameSession name(folder);                                                     \
    if (!name.ok()) GTEST_SKIP() << "no offscreen video or dummy audio: " << SDL_GetError()

// The pictures of data/graphics and data/fonts and where the loader keeps each.
struct Picture {
    std::string file;
    std::function<void*()> slot;
};

std::vector<Picture> pictures() {
    std::vector<Picture> list;
    for (int i = 0; i < 10; ++i)
        list.push_back({"graphics/sheet" + std::to_string(i) + ".png", [i] { return (void*)assets.sheets[i]; }});
    list.push_back({"graphics/morvelt.png", [] { return (void*)assets.splashLogo; }});
    for (int i = 0; i < 3; ++i)
        list.push_back({"graphics/star2" + std::to_string(i) + ".png", [i] { return (void*)assets.stars[i]; }});
    list.push_back({"graphics/cloak.png", [] { return (void*)player.sprite; }});
    list.push_back({"graphics/narrow.png", [] { return (void*)assets.narrowKeys; }});
    list.push_back({"graphics/wide.png", [] { return (void*)assets.wideKeys; }});
    list.push_back({"fonts/open96.png", [] { return (void*)assets.font; }});
    return list;
}

// Ways to spoil a picture file.
enum Spoil { SPOIL_MISSING, SPOIL_EMPTY, SPOIL_TRUNCATED, SPOIL_NOT_PNG, SPOIL_FOLDER, SPOIL_FIFO, SPOIL_HUGE };

// A PNG signature and an IHDR chunk, then nothing: the header alone claims the size.
std::string pngHeader(uint32_t width, uint32_t height) {
    std::string bytes("\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR", 16);
    for (uint32_t v : {width, height})
        for (int shift = 24; shift >= 0; shift -= 8) bytes += static_cast<char>((v >> shift) & 0xFF);
    bytes += std::string("\x08\x06\0\0\0", 5);
    return bytes + std::string(74 - bytes.size(), '\0');
}

void spoil(const std::string& path, Spoil how) {
    std::string bytes = readFile(path);
    std::error_code ignored;
    fs::remove(path, ignored);
    switch (how) {
        case SPOIL_MISSING: break;
        case SPOIL_EMPTY: writeFile(path, ""); break;
        // Header and the start of the pixel data, cut mid-stream.
        case SPOIL_TRUNCATED: writeFile(path, bytes.substr(0, bytes.size() / 3)); break;
        case SPOIL_NOT_PNG: writeFile(path, "GIF89a, or so it says\n" + bytes.substr(0, 200)); break;
        case SPOIL_FOLDER: fs::create_directories(path, ignored); break;
        // Nothing ever writes to it: opening it to read would wait forever.
        case SPOIL_FIFO: mkfifo(path.c_str(), 0600); break;
        case SPOIL_HUGE: writeFile(path, pngHeader(30000, 30000)); break;
    }
}

}  // namespace

// World files

TEST_F(BrokenData, WorldFilesThatHoldNoWorldGiveAnEmptyRoomToRunIn) {
    std::mt19937 random(7);
    std::string binary(64 * 1024, '\0');
    for (char& c : binary) c = static_cast<char>(random());
    std::string shipped = readFile(SHIPPED_WORLD);
    std::string bigEndian = "\xFE\xFF";
    for (char c : shipped) bigEndian += std::string{'\0', c};
    const std::vector<std::pair<std::string, std::string>> files = {
        {"empty", ""}, {"binary", binary}, {"UTF-16 big-endian", bigEndian}, {"only a BOM", "\xEF\xBB\xBF"},
        {"8 MB of line breaks", std::string(8 << 20, '\n')}};
    for (const auto& [what, bytes] : files) {
        SCOPED_TRACE(what);
        ASSERT_TRUE(writeFile(data("game/world1.txt"), bytes));
        START_GAME(session);
        if (what == "UTF-16 big-endian") {
            EXPECT_TRUE(world.lines.empty()) << "an unknown byte-order mark reads as no text";
        }
        int walls = 0;
        for (int32_t f : room.tileFlags) walls += f == TILE_WALL;
        if (what != "binary") {
            EXPECT_EQ(walls, 0);
        }
        playAWhile(session);
    }
}

TEST_F(BrokenData, HugeWorldFileStillFindsItsZones) {
    // 10 MB of near-misses in front of the real world: headers that name no zone, long lines,
    // a start block without numbers. The real start block comes later and wins only if first.
    std::string junk;
    std::mt19937 random(11);
    const char* lines[] = {"zone: 0,1", "zone:0,1 ", "zone:00,1", "ZONE:x,y", "dir:1,2,sideways",
                           "wwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwww"};
    while (junk.size() < 10u * 1024 * 1024) {
        junk += lines[random() % 6];
        junk += random() % 5 ? "\n" : "\r\n";
    }
    std::string shipped = readFile(SHIPPED_WORLD);
    ASSERT_TRUE(writeFile(data("game/world1.txt"), junk + "\n" + shipped));

    auto started = std::chrono::steady_clock::now();
    START_GAME(session);
    EXPECT_GT(world.lines.size(), 100000u);
    // The same room as with the shipped file alone.
    std::vector<int32_t> bigRoom(room.tileFlags, room.tileFlags + ZONE_TILES);
    ASSERT_GT(loadWorldLinesFrom(SHIPPED_WORLD), 0);
    resetToStart();
    EXPECT_EQ(bigRoom, std::vector<int32_t>(room.tileFlags, room.tileFlags + ZONE_TILES));
    ASSERT_GT(loadWorldLinesFrom(data("game/world1.txt")), 0);
    resetToStart();
    playAWhile(session);
    // Not a speed test: only that nothing goes quadratic and hangs.
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::minutes(2));
}

TEST_F(BrokenData, ZonesOutsideTheByteRangeAndSurplusStarsPlay) {
    // The start room sits at 255; the rooms right and below it are 256 and -1. Twelve stars on
    // the way: the tenth completes the game, the last two stay.
    const std::string floor = "wwwwwwwwwwwwwwww";
    auto room = [&](const std::string& header, const std::string& row1) {
        std::string text = header + "\n";
        for (int i = 0; i < 10; ++i) text += "\n";
        return text + row1 + "\n" + floor + "\n\n";
    };
    std::string text = "start:\n255\n0\n255\n0\n1\n1\n\n" + room("zone:255,0", " $$$$$$$$$$$$") +
                       room("zone:256,0", "") + room("zone:-1,0", "") + room("zone:254,0", "$");
    ASSERT_TRUE(writeFile(data("game/world1.txt"), text));
    START_GAME(session);
    for (int i = 0; i < 110; ++i) session.quickFrame();
    for (int i = 0; i < 400 && progress.currentZoneX == 255; ++i) session.quickFrame({SDL_SCANCODE_RIGHT});
    EXPECT_EQ(progress.currentZoneX, 256);
    EXPECT_EQ(progress.collectedStarCount, 10);
    EXPECT_EQ(game.gameComplete, 1);
    for (int i = 0; i < 300; ++i) session.quickFrame();  // the star row and the statistics stay up
    EXPECT_TRUE(loadZone(-1, 0));
    EXPECT_TRUE(loadZone(256, 0));
    // Identities keep the low byte of each coordinate: 256 and 0 name the same tiles.
    EXPECT_EQ(tileIdentity(256, 0, 1, 1), tileIdentity(0, 0, 1, 1));
    EXPECT_TRUE(tilesAreSound());
}

// Pictures and the font

TEST_F(BrokenData, EveryPictureSpoiledEveryWayLeavesItsSlotEmpty) {
    for (Spoil how : {SPOIL_MISSING, SPOIL_EMPTY, SPOIL_TRUNCATED, SPOIL_NOT_PNG, SPOIL_FOLDER, SPOIL_FIFO, SPOIL_HUGE}) {
        SCOPED_TRACE(how);
        fs::remove_all(folder + "/data");
        ASSERT_TRUE(copyShippedData(folder));
        for (const Picture& picture : pictures()) spoil(data(picture.file), how);
        START_GAME(session);
        for (const Picture& picture : pictures()) EXPECT_EQ(picture.slot(), nullptr) << picture.file;
        EXPECT_FLOAT_EQ(assets.starScale, 1.0f);
        playAWhile(session);
    }
}

TEST_F(BrokenData, EachTruncatedPictureAloneEmptiesOnlyItsSlot) {
    for (const Picture& broken : pictures()) {
        SCOPED_TRACE(broken.file);
        ASSERT_TRUE(copyShippedData(folder));
        spoil(data(broken.file), SPOIL_TRUNCATED);
        START_GAME(session);
        for (const Picture& picture : pictures()) {
            if (picture.file == broken.file) EXPECT_EQ(picture.slot(), nullptr) << picture.file;
            else EXPECT_NE(picture.slot(), nullptr) << picture.file;
        }
        for (int i = 0; i < 130; ++i) session.quickFrame({SDL_SCANCODE_RIGHT});
        for (int i = 0; i < 3; ++i) session.quickFrame({SDL_SCANCODE_ESCAPE});
        for (int i = 0; i < 5; ++i) session.quickFrame();
        std::error_code ignored;
        fs::remove_all(data(broken.file), ignored);
    }
}

namespace {

// A font image of w x h whose bottom row holds the given values, then random pixels.
bool writeFontPicture(const std::string& path, int w, int h, const std::vector<uint32_t>& row, uint32_t seed) {
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, SDL_PIXELFORMAT_RGBA32);
    if (!surface) return false;
    std::mt19937 random(seed);
    auto* pixels = static_cast<uint32_t*>(surface->pixels);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) pixels[y * (surface->pitch / 4) + x] = random() | 0xFF000000u;
    for (int x = 0; x < w && x < static_cast<int>(row.size()); ++x)
        pixels[(h - 1) * (surface->pitch / 4) + x] = row[x] | 0xFF000000u;
    std::error_code ignored;
    fs::remove(path, ignored);
    bool ok = IMG_SavePNG(surface, path.c_str()) == 0;
    SDL_FreeSurface(surface);
    return ok;
}

}  // namespace

TEST_F(BrokenData, FontsWithNonsenseMetadataDrawWhatTheyDescribeOrNothing) {
    struct Case {
        const char* what;
        int w, h;
        std::vector<uint32_t> row;
        bool loads;
    };
    const std::vector<Case> cases = {
        {"1x1", 1, 1, {0}, false},
        {"1 pixel wide", 1, 200, {3}, false},
        {"one row", 300, 1, {0, 5, 'A', 10}, false},
        {"gap taller than the image", 64, 40, {0xFFFFFF, 5, 'A', 10}, false},
        {"glyph count far beyond the row", 64, 40, {2, 0xFFFFFF, 'A', 10, 'B', 20}, true},
        {"glyphs far wider than the image", 64, 40, {1, 4, 'K', 0xFFFFFF, 'E', 0xFFFFFF, 'S', 7, 'T', 8}, true},
        {"random bottom row: the gap eats the image", 257, 33, {}, false},
        {"no glyphs", 64, 40, {0, 0}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        START_GAME(probe);  // IMG_SavePNG needs SDL_image up
        ASSERT_TRUE(writeFontPicture(data("fonts/open96.png"), c.w, c.h, c.row, c.w * 31 + c.h));
        freeAssets();
        loadAssets();
        resetToStart();
        EXPECT_EQ(assets.font != nullptr, c.loads);
        if (assets.font) {
            for (const Glyph& glyph : assets.font->glyphs) {
                EXPECT_GE(glyph.x, 0);
                EXPECT_LE(glyph.x + glyph.width, c.w);
            }
        }
        playAWhile(probe);
        // The completion screen is the text-heaviest: force it.
        game.gameComplete = 1;
        progress.collectedStarCount = 10;
        for (int i = 0; i < 20; ++i) probe.quickFrame();
    }
}

// Sounds and mappings

TEST_F(BrokenData, SpoiledSoundsAndMusicPlayAsSilence) {
    std::mt19937 random(5);
    std::string noise(20000, '\0');
    for (char& c : noise) c = static_cast<char>(random());
    std::string wav = readFile(data("sounds/jump2.wav"));
    std::string ogg = readFile(data("music/QuayShort.ogg"));
    ASSERT_FALSE(wav.empty());
    ASSERT_FALSE(ogg.empty());
    const std::vector<std::pair<std::string, std::pair<std::string, std::string>>> spoils = {
        {"header only", {wav.substr(0, 44), ogg.substr(0, 58)}},
        {"noise", {noise, noise}},
        {"wrong kind", {ogg, wav}},
        {"cut in half", {wav.substr(0, wav.size() / 2), ogg.substr(0, ogg.size() / 2)}},
        {"RIFF with a huge chunk", {wav.substr(0, 40) + std::string("\xF0\xFF\xFF\x7F", 4) + wav.substr(44, 200),
                                    "OggS" + noise}},
    };
    for (const auto& [what, files] : spoils) {
        SCOPED_TRACE(what);
        for (const char* name : {"check2", "die2", "jump2", "land2", "morvelt", "move2", "star2"})
            ASSERT_TRUE(writeFile(data(std::string("sounds/") + name + ".wav"), files.first));
        ASSERT_TRUE(writeFile(data("music/QuayShort.ogg"), files.second));
        START_GAME(session);
        playAWhile(session);  // the intro's end loads the music, M cycles the toggle
        // The mixer tells some formats by their content, so only noise is sure to be refused.
        if (what == "noise") {
            for (int slot = 0; slot < SOUND_SLOTS; ++slot) EXPECT_FALSE(isSoundLoaded(slot)) << slot;
        }
    }
    // Too long once converted, too big to stream, and files nothing will ever write to.
    {
        std::string slow = wav.substr(0, 44);
        const uint32_t rate = 1000;
        const uint32_t length = rate * 30;  // 8-bit mono: 30 s
        auto put32 = [&](size_t at, uint32_t v) {
            for (int i = 0; i < 4; ++i) slow[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
        };
        slow.replace(0, 44, std::string("RIFF\0\0\0\0WAVEfmt \x10\0\0\0\x01\0\x01\0\0\0\0\0\0\0\0\0\x01\0\x08\0data\0\0\0\0", 44));
        put32(4, 36 + length);
        put32(24, rate);
        put32(28, rate);
        put32(40, length);
        slow += std::string(length, '\x80');
        ASSERT_TRUE(writeFile(data("sounds/jump2.wav"), slow));
        ASSERT_TRUE(writeFile(data("music/QuayShort.ogg"), ogg));
        fs::resize_file(data("music/QuayShort.ogg"), SOUND_MAX_MUSIC_FILE_BYTES + 1);
        fs::remove(data("sounds/land2.wav"));
        ASSERT_EQ(mkfifo(data("sounds/land2.wav").c_str(), 0600), 0);
        {
            START_GAME(session);
            playAWhile(session);
            EXPECT_FALSE(isSoundLoaded(SOUND_JUMP)) << "30 s of 1 kHz audio";
            EXPECT_FALSE(isSoundLoaded(SOUND_LAND)) << "a FIFO";
            EXPECT_FALSE(isSoundLoaded(SOUND_MUSIC)) << "a music file over the limit";
            EXPECT_TRUE(isSoundLoaded(SOUND_DIE)) << "the others still load";
        }
        fs::remove(data("music/QuayShort.ogg"));
        ASSERT_EQ(mkfifo(data("music/QuayShort.ogg").c_str(), 0600), 0);
        START_GAME(again);
        playAWhile(again);
        EXPECT_FALSE(isSoundLoaded(SOUND_MUSIC)) << "a FIFO";
    }
    // Gone altogether.
    fs::remove_all(data("sounds"));
    fs::remove_all(data("music"));
    START_GAME(session);
    playAWhile(session);
    for (int slot = 0; slot < SOUND_SLOTS; ++slot) EXPECT_FALSE(isSoundLoaded(slot)) << slot;
}

TEST_F(BrokenData, UnreadableControllerMappingsAreIgnored) {
    const std::string path = data("game/gamecontrollerdb.txt");
    std::mt19937 random(3);
    std::string noise(100000, '\0');
    for (char& c : noise) c = static_cast<char>(random() % 3 ? random() : ',');
    const std::vector<std::pair<std::string, std::function<void()>>> spoils = {
        {"a folder", [&] { fs::remove(path); fs::create_directories(path); }},
        {"noise", [&] { fs::remove_all(path); writeFile(path, noise); }},
        {"one endless line", [&] { writeFile(path, std::string(2000000, 'a') + ",b," + std::string(100000, ':')); }},
        {"missing", [&] { fs::remove_all(path); }},
    };
    for (const auto& [what, apply] : spoils) {
        SCOPED_TRACE(what);
        apply();
        START_GAME(session);
        EXPECT_NE(assets.font, nullptr) << "the rest of the start-up went ahead";
        playAWhile(session);
    }
}

// Screenshots

namespace {

int filesIn(const std::string& folder) {
    int count = 0;
    std::error_code error;
    for (auto it = fs::recursive_directory_iterator(folder, error); !error && it != fs::recursive_directory_iterator();
         it.increment(error))
        count += it->is_regular_file();
    return count;
}

}  // namespace

TEST_F(BrokenData, PicturesFolderThatCannotBeWrittenMeansNoShot) {
    const std::string home = folder + "/home";
    fs::create_directories(home + "/config");
    fs::create_directories(home + "/locked");
    // Root may write anywhere on disk, but never into /proc.
    const std::string locked = getuid() == 0 ? "/proc" : home + "/locked";
    chmod((home + "/locked").c_str(), 0500);
    writeFile(home + "/config/user-dirs.dirs", "XDG_PICTURES_DIR=\"" + locked + "\"\n");
    setenv("XDG_CONFIG_HOME", (home + "/config").c_str(), 1);
    setenv("HOME", home.c_str(), 1);
    {
        START_GAME(session);
        int before = filesIn(folder);
        for (int i = 0; i < 3; ++i) {
            shell.screenshotRequested = 1;
            EXPECT_TRUE(session.frame());
        }
        EXPECT_EQ(shell.screenshotRequested, 0);
        EXPECT_EQ(filesIn(folder), before) << "nothing written anywhere else instead";
    }
    chmod((home + "/locked").c_str(), 0700);
    unsetenv("XDG_CONFIG_HOME");
    unsetenv("HOME");
}

TEST_F(BrokenData, ScreenshotNamesTakenByFoldersAreSkipped) {
    const std::string home = folder + "/home";
    fs::create_directories(home + "/config");
    fs::create_directories(home + "/Pictures");
    writeFile(home + "/config/user-dirs.dirs", "XDG_PICTURES_DIR=\"$HOME/Pictures\"\n");
    setenv("XDG_CONFIG_HOME", (home + "/config").c_str(), 1);
    setenv("HOME", home.c_str(), 1);
    {
        START_GAME(session);
        // Folders under the names of this second and the next few, numbered ones included.
        std::time_t now = std::time(nullptr);
        for (int s = 0; s < 5; ++s) {
            std::time_t t = now + s;
            std::tm local{};
            localtime_r(&t, &local);
            char stamp[32];
            std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
            fs::create_directories(home + "/Pictures/Kestravel_" + stamp + ".png");
            fs::create_directories(home + "/Pictures/Kestravel_" + stamp + "-2.png/inside");
        }
        shell.screenshotRequested = 1;
        EXPECT_TRUE(session.frame());
    }
    int shots = 0;
    for (const auto& entry : fs::directory_iterator(home + "/Pictures")) {
        if (!entry.is_regular_file()) continue;
        ++shots;
        EXPECT_NE(entry.path().filename().string().find("-3.png"), std::string::npos) << entry.path();
    }
    EXPECT_EQ(shots, 1);
    unsetenv("XDG_CONFIG_HOME");
    unsetenv("HOME");
}
