#include "shell/screenshot.h"
#include "shell/platform.h"
// stub: to be implemented
void takeScreenshot() {}
bool saveScreenshot(const std::string&) { return false; }
std::string uniqueFilePath(const std::string& folder, const std::string& name, const std::string& extension) { return folder + name + "." + extension; }
std::string withTrailingSeparator(const std::string& path) { return path; }
std::string screenshotName() { return "Kestravel_"; }
bool trimmedSize(int, int, int*, int*) { return false; }
std::string picturesFolder() { return ""; }
