#include "shell/platform.h"
// stub: to be implemented
void showMessageBox(const std::string&, const std::string&, MessageIcon) {}
int64_t clockMs() { return 0; }
void setClockSource(int64_t (*)()) {}
void sleepMs(int) {}
bool pathExists(const std::string&) { return false; }
bool isRegularFile(const std::string&) { return false; }
bool isDirectory(const std::string&) { return false; }
std::string currentDirectory() { return ""; }
bool changeDirectory(const std::string&) { return false; }
std::string executableFolder() { return ""; }
char pathSeparator() { return '/'; }
