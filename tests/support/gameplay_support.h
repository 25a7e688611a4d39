#pragma once
// Small worlds and scripted frames for the gameplay tests.
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

constexpr const char* FLOOR_ROW = "wwwwwwwwwwwwwwww";

// A zone block: header, the rows (top first; missing rows at the top are blank), then the tail.
std::string zoneText(int32_t x, int32_t y, const std::vector<std::string>& rowsBottomLast,
                     const std::vector<std::string>& dirLines = {});
std::string startText(int32_t zoneX, int32_t zoneY, int32_t checkX, int32_t checkY, int32_t column,
                      int32_t row);
// A file holding the text in this process's temp folder; its path.
std::string writeTempFile(const std::string& name, const std::string& text);
// Program-start state, the text as the world file, resetToStart, and the intro over.
bool playWorld(const std::string& text);
// One frame through the headless frame loop with these scancodes held.
void frame(std::initializer_list<int> keys = {});
void frames(int count, std::initializer_list<int> keys = {});
// Frames with nothing held until the player stands on ground; false if that never happens.
bool settle(int limit = 200);
bool onGround();
int32_t& tileAt(int column, int row);
// Runs a shell command; its exit status, stdout in out.
int runShell(const std::string& command, std::string& out);
