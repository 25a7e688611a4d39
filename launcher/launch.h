#pragma once
// Starting the game executable from the launcher.
#include <string>
#include <vector>

// Relative to the current directory: the game inside its data folder.
constexpr const char* LAUNCH_TARGET = "Kestravel_Data/Kestravel_Main";

enum LaunchResult { LAUNCH_STARTED, LAUNCH_NOT_FOUND, LAUNCH_FAILED };

LaunchResult launchProgram(const std::string& path, bool quiet, const std::vector<std::string>& arguments);
// The arguments as one Windows command-line parameter string.
std::string forwardedArguments(const std::vector<std::string>& arguments);
bool startProgram(const std::string& program, const std::vector<std::string>& arguments,
                  const std::string& workingDirectory);
