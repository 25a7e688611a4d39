#include "tests/support/world_support.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "gameplay/state.h"
#include "world/world.h"

namespace fs = std::filesystem;

namespace worldsupport {

std::string makeTempFolder(const std::string& stem) {
    std::string pattern = (fs::temp_directory_path() / (stem + "-XXXXXX")).string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (!mkdtemp(buffer.data())) return "";
    return buffer.data();
}

void removeTree(const std::string& path) {
    std::error_code error;
    if (!path.empty()) fs::remove_all(path, error);
}

bool writeBytes(const std::string& path, const std::string& bytes) {
    std::error_code error;
    fs::create_directories(fs::path(path).parent_path(), error);
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && ok;
}

std::string joinLines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\n";
    return text;
}

std::vector<std::string> zoneBlock(int32_t x, int32_t y, const std::vector<std::string>& rowsTopFirst,
                                   const std::vector<std::string>& tail) {
    std::vector<std::string> lines{"zone:" + std::to_string(x) + "," + std::to_string(y)};
    for (size_t i = 0; i < 12; ++i) lines.push_back(i < rowsTopFirst.size() ? rowsTopFirst[i] : "                ");
    lines.insert(lines.end(), tail.begin(), tail.end());
    return lines;
}

std::vector<std::string> startBlock(int32_t zoneX, int32_t zoneY, int32_t checkX, int32_t checkY,
                                    int32_t column, int32_t row) {
    return {"start:",
            std::to_string(zoneX),
            std::to_string(zoneY),
            std::to_string(checkX),
            std::to_string(checkY),
            std::to_string(column),
            std::to_string(row),
            ""};
}

void useWorld(const std::vector<std::string>& lines) {
    resetWorldState();
    resetGameState();
    loadWorldText(joinLines(lines));
}

int32_t flagAt(int column, int row) { return room.tileFlags[column + row * ZONE_COLUMNS]; }
int32_t dirAt(int column, int row) { return room.tileDirection[column + row * ZONE_COLUMNS]; }

int runCommand(const std::string& command, std::string& out) {
    out.clear();
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return -1;
    char buffer[4096];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, got);
    int status = pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace worldsupport
