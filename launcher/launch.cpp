#include "launcher/launch.h"
// stub: to be implemented
LaunchResult launchProgram(const std::string&, bool, const std::vector<std::string>&) { return LAUNCH_NOT_FOUND; }
std::string forwardedArguments(const std::vector<std::string>&) { return ""; }
bool startProgram(const std::string&, const std::vector<std::string>&, const std::string&) { return false; }
