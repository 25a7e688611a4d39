#include "tools/assetgen/assetgen.h"
// stub: to be implemented
bool generateSounds(const std::string&) { return false; }
bool generateMusic(const std::string&) { return false; }
