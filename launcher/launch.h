#pragma once
// Starting the game executable from the launcher.
#include <string>
#include <vector>

// Relative to the current directory: the game inside its data folder.
#ifdef _WIN32
constexpr const char* LAUNCH_TARGET = "Kestravel_Data\\Kestravel_Main.exe";
#else
constexpr const char* LAUNCH_TARGET = "Kestravel_Data/Kestravel_Main";
#endif

// LAUNCH_FAILED: found, but it would not run (a folder, no execute permission).
enum LaunchResult { LAUNCH_STARTED, LAUNCH_NOT_FOUND, LAUNCH_FAILED };

// Looks for path, then for its bare file name, in the current directory and starts it in its
// own folder without waiting; unless quiet, a failure is shown in an "Error" box.
LaunchResult launchProgram(const std::string& path, bool quiet, const std::vector<std::string>& arguments);
// The arguments as one Windows command-line parameter string that splits back into them unchanged.
std::string forwardedArguments(const std::vector<std::string>& arguments);
// The Windows command line that starts program with the arguments: the program quoted unless it
// already starts with a quote, then the forwarded arguments after one space, if there are any.
std::string commandLine(const std::string& program, const std::vector<std::string>& arguments);
// True once the program is running; arguments reach it one each, unchanged (on Windows, through
// the quoting of commandLine). An empty working directory keeps the caller's.
bool startProgram(const std::string& program, const std::vector<std::string>& arguments,
                  const std::string& workingDirectory);
