#include "tests/support/quality_support.h"

#include <SDL.h>
#include <SDL_image.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "gameplay/flow.h"
#include "gameplay/hazards.h"
#include "gameplay/movement.h"
#include "gameplay/replay.h"
#include "gameplay/sound.h"
#include "gameplay/state.h"
#include "render/frame.h"
#include "render/sprite.h"
#include "shell/display.h"
#include "shell/input.h"
#include "shell/platform.h"
#include "shell/shell.h"
#include "world/assets.h"
#include "world/world.h"

namespace fs = std::filesystem;

namespace quality {

bool copyShippedData(const std::string& folder) {
    std::error_code error;
    fs::create_directories(folder, error);
    fs::copy(fs::path(KESTRAVEL_SOURCE_DIR) / "data", fs::path(folder) / "data",
             fs::copy_options::recursive | fs::copy_options::overwrite_existing, error);
    return !error;
}

bool writeFile(const std::string& path, const std::string& bytes) {
    std::error_code error;
    fs::create_directories(fs::path(path).parent_path(), error);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

bool tilesAreSound() {
    for (int i = 0; i < ZONE_TILES; ++i) {
        int32_t f = room.tileFlags[i];
        if (f != TILE_EMPTY && f != TILE_WALL && f != TILE_CHECKPOINT && f != TILE_CHECKPOINT_ACTIVE &&
            f != TILE_SPIKE && f != TILE_STAR)
            return false;
        if (room.tileDirection[i] < DIR_NONE || room.tileDirection[i] > DIR_LEFT) return false;
    }
    return true;
}

GameSession::GameSession(const std::string& folder) {
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    previousFolder_ = currentDirectory();
    if (!changeDirectory(folder)) return;
    GameStart start;
    start.display = GAME_WINDOW;
    start.skipIntro = false;
    const char* failure = nullptr;
    if (!startGame(start, failure)) return;
    screen.keyState = keys;
    ok_ = true;
}

GameSession::~GameSession() {
    // The game's own way out, short of ending the process.
    freeAssets();
    closeScreen();
    stopAllSounds();
    closeAudio();
    shutdownVideo();
    resetInputState();
    if (!previousFolder_.empty()) changeDirectory(previousFolder_);
}

bool GameSession::frame(std::initializer_list<int> held) {
    std::memset(keys, 0, sizeof keys);
    for (int key : held) keys[key] = 1;
    screen.keyState = keys;
    return runFrame();
}

void GameSession::quickFrame(std::initializer_list<int> held) {
    uint8_t state[REPLAY_KEYS] = {};
    for (int key : held) state[key] = 1;
    runHeadlessFrame(state);
    drawFrame();
    presentFrame();
}

}  // namespace quality
