#include "tests/support/gameplay_support.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sys/wait.h>
#include <unistd.h>

#include "gameplay/flow.h"
#include "gameplay/replay.h"
#include "gameplay/sound.h"
#include "gameplay/state.h"
#include "shell/shell.h"
#include "world/world.h"

std::string zoneText(int32_t x, int32_t y, const std::vector<std::string>& rowsBottomLast,
                     const std::vector<std::string>& dirLines) {
    std::string text = "zone:" + std::to_string(x) + "," + std::to_string(y) + "\n";
    size_t given = rowsBottomLast.size() > 12 ? 12 : rowsBottomLast.size();
    for (size_t i = given; i < 12; ++i) text += "\n";
    for (size_t i = rowsBottomLast.size() - given; i < rowsBottomLast.size(); ++i)
        text += rowsBottomLast[i] + "\n";
    for (const std::string& line : dirLines) text += line + "\n";
    return text + "\n";
}

std::string startText(int32_t zoneX, int32_t zoneY, int32_t checkX, int32_t checkY, int32_t column,
                      int32_t row) {
    return "start:\n" + std::to_string(zoneX) + "\n" + std::to_string(zoneY) + "\n" +
           std::to_string(checkX) + "\n" + std::to_string(checkY) + "\n" + std::to_string(column) +
           "\n" + std::to_string(row) + "\n\n";
}

namespace {

std::string tempFolder;

void removeTempFolder() {
    std::error_code ignored;
    if (!tempFolder.empty()) std::filesystem::remove_all(tempFolder, ignored);
}

}  // namespace

// One folder per test process, removed when it exits; later files of the same name replace earlier ones.
std::string writeTempFile(const std::string& name, const std::string& text) {
    if (tempFolder.empty()) {
        const char* base = std::getenv("TMPDIR");
        std::string pattern = std::string(base && *base ? base : "/tmp") + "/kestravel-gameplay-XXXXXX";
        std::vector<char> buffer(pattern.begin(), pattern.end());
        buffer.push_back('\0');
        if (!mkdtemp(buffer.data())) return "";
        tempFolder = buffer.data();
        std::atexit(removeTempFolder);
    }
    std::string path = tempFolder + "/" + name;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    return out ? path : "";
}

bool playWorld(const std::string& text) {
    std::string path = writeTempFile("world.txt", text);
    if (path.empty()) return false;
    GameStart start;
    start.worldFile = path;
    const char* failure = nullptr;
    return startGame(start, failure) && !world.lines.empty();
}

void frame(std::initializer_list<int> keys) {
    uint8_t state[REPLAY_KEYS] = {};
    for (int key : keys) state[key] = 1;
    runHeadlessFrame(state);
}

void frames(int count, std::initializer_list<int> keys) {
    for (int i = 0; i < count; ++i) frame(keys);
}

bool onGround() { return (player.flags & PLAYER_AIRBORNE) == 0; }

bool settle(int limit) {
    for (int i = 0; i < limit; ++i) {
        if (onGround()) return true;
        frame();
    }
    return onGround();
}

int32_t& tileAt(int column, int row) { return room.tileFlags[column + row * ZONE_COLUMNS]; }

int runShell(const std::string& command, std::string& out) {
    out.clear();
    std::FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return -1;
    char chunk[4096];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, pipe)) > 0) out.append(chunk, n);
    int status = pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
