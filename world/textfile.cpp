#include "world/textfile.h"
// stub: to be implemented
std::string readTextFile(const std::string&) { return ""; }
std::string decodeText(const std::string&) { return ""; }
int32_t splitString(const std::string&, const std::string&, bool, std::vector<std::string>& target) { target.clear(); return 0; }
int32_t readNumber(const std::string&) { return 0; }
