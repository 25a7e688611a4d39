#pragma once
// Worlds written on the fly for the world tests: files, folders and zone blocks.
#include <cstdint>
#include <string>
#include <vector>

// Own namespace: other areas' support files define helpers with the same names.
namespace worldsupport {

// A fresh empty folder under the system temp folder; removed by removeTree.
std::string makeTempFolder(const std::string& stem);
void removeTree(const std::string& path);
bool writeBytes(const std::string& path, const std::string& bytes);
// Joins lines with LF, one after every line.
std::string joinLines(const std::vector<std::string>& lines);
// A zone header, 12 row lines (top first, padded with blank rows) and the given tail lines.
std::vector<std::string> zoneBlock(int32_t x, int32_t y, const std::vector<std::string>& rowsTopFirst,
                                   const std::vector<std::string>& tail = {""});
std::vector<std::string> startBlock(int32_t zoneX, int32_t zoneY, int32_t checkX, int32_t checkY,
                                    int32_t column, int32_t row);
// Program-start state for world, player and game, then the given lines as the world.
void useWorld(const std::vector<std::string>& lines);
int32_t flagAt(int column, int row);
int32_t dirAt(int column, int row);
// Runs a command through the shell; returns its exit status and fills out with stdout.
int runCommand(const std::string& command, std::string& out);

}  // namespace worldsupport
using namespace worldsupport;
