#pragma once
// Scratch folders, environment and working-directory overrides, an offscreen screen and
// child programs for the screenshot and launcher tests.
#include <string>
#include <vector>

namespace launchtest {

// A fresh folder under the system temp folder, removed with everything in it at the end.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// Sets (or with nullptr unsets) one environment variable until the end of the scope.
class EnvironmentOverride {
public:
    EnvironmentOverride(const char* name, const char* value);
    ~EnvironmentOverride();
    EnvironmentOverride(const EnvironmentOverride&) = delete;
    EnvironmentOverride& operator=(const EnvironmentOverride&) = delete;

private:
    std::string name_;
    std::string old_;
    bool hadValue_;
};

// Works in another folder until the end of the scope.
class WorkingFolder {
public:
    explicit WorkingFolder(const std::string& path);
    ~WorkingFolder();
    WorkingFolder(const WorkingFolder&) = delete;
    WorkingFolder& operator=(const WorkingFolder&) = delete;

private:
    std::string old_;
};

bool writeText(const std::string& path, const std::string& text);
std::string readText(const std::string& path);
bool makeFolders(const std::string& path);
bool makeExecutable(const std::string& path, bool executable);

// An offscreen window of w x h pixels whose renderer shows the 640 x 480 logical screen,
// put into `screen`; windowed as given. False when SDL cannot make one.
bool openOffscreenScreen(int w, int h, int windowed);
void closeOffscreenScreen();
// Fills the logical screen with colour bands so read-back has something to find.
void drawTestPattern();
// Width and height of a picture file; false when it cannot be read.
bool pictureSize(const std::string& path, int* w, int* h);
// RGBA of one pixel of a picture file, red in the lowest byte; 0 when unreadable.
unsigned picturePixel(const std::string& path, int x, int y);

// A stand-in game: a script that records its folder and arguments, NUL-separated, into
// "record" beside itself.
bool writeStandInGame(const std::string& path);
// The stand-in's record as {working folder, argument...}; empty after waiting in vain.
std::vector<std::string> waitForRecord(const std::string& path);

struct ProgramRun {
    int status = -1;        // exit status, -1 when it did not end normally
    std::string errorText;  // everything written to standard error
};
// Runs a program in the given folder without a display and waits for it.
ProgramRun runWithoutDisplay(const std::string& program, const std::vector<std::string>& arguments,
                             const std::string& folder);

}  // namespace launchtest
