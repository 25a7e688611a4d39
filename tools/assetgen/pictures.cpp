#include "tools/assetgen/assetgen.h"
// stub: to be implemented
bool generatePictures(const std::string&) { return false; }
bool generateFont(const std::string&) { return false; }
bool generateControllerMappings(const std::string&) { return false; }
bool writePng(const std::string&, int, int, const std::vector<uint32_t>&) { return false; }
