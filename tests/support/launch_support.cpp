#include "tests/support/launch_support.h"

#include <SDL.h>
#include <SDL_image.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "shell/display.h"

namespace fs = std::filesystem;

namespace launchtest {

ScratchFolder::ScratchFolder() {
    std::string pattern = (fs::temp_directory_path() / "kestravel-launch-XXXXXX").string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (mkdtemp(buffer.data())) path_ = buffer.data();
}

ScratchFolder::~ScratchFolder() {
    std::error_code error;
    if (path_.empty()) return;
    // A test may have taken the permissions away; give them back so everything goes.
    for (auto it = fs::recursive_directory_iterator(path_, error); !error && it != fs::recursive_directory_iterator();
         it.increment(error))
        if (it->is_directory(error)) fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, error);
    fs::remove_all(path_, error);
}

EnvironmentOverride::EnvironmentOverride(const char* name, const char* value) : name_(name) {
    const char* old = std::getenv(name);
    hadValue_ = old != nullptr;
    if (old) old_ = old;
    if (value)
        setenv(name, value, 1);
    else
        unsetenv(name);
}

EnvironmentOverride::~EnvironmentOverride() {
    if (hadValue_)
        setenv(name_.c_str(), old_.c_str(), 1);
    else
        unsetenv(name_.c_str());
}

WorkingFolder::WorkingFolder(const std::string& path) {
    std::error_code error;
    old_ = fs::current_path(error).string();
    fs::current_path(path, error);
}

WorkingFolder::~WorkingFolder() {
    std::error_code error;
    fs::current_path(old_, error);
}

bool writeText(const std::string& path, const std::string& text) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << text;
    return static_cast<bool>(file);
}

std::string readText(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

bool makeFolders(const std::string& path) {
    std::error_code error;
    fs::create_directories(path, error);
    return !error;
}

bool makeExecutable(const std::string& path, bool executable) {
    return chmod(path.c_str(), executable ? 0755 : 0644) == 0;
}

bool openOffscreenScreen(int w, int h, int windowed) {
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return false;
    IMG_Init(IMG_INIT_PNG);
    screen.window = SDL_CreateWindow("screenshot test", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, w, h, 0);
    if (!screen.window) return false;
    screen.renderer = SDL_CreateRenderer(screen.window, -1, 0);
    if (!screen.renderer) screen.renderer = SDL_CreateRenderer(screen.window, -1, SDL_RENDERER_SOFTWARE);
    if (!screen.renderer) {
        closeOffscreenScreen();
        return false;
    }
    screen.logicalWidth = 640;
    screen.logicalHeight = 480;
    screen.windowed = windowed;
    SDL_RenderSetLogicalSize(screen.renderer, 640, 480);
    return true;
}

void closeOffscreenScreen() {
    if (screen.renderer) SDL_DestroyRenderer(screen.renderer);
    if (screen.window) SDL_DestroyWindow(screen.window);
    screen.renderer = nullptr;
    screen.window = nullptr;
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

void drawTestPattern() {
    SDL_SetRenderDrawColor(screen.renderer, 0, 0, 0, 255);
    SDL_RenderClear(screen.renderer);
    SDL_SetRenderDrawColor(screen.renderer, 200, 30, 30, 255);
    SDL_Rect left{0, 0, 320, 480};
    SDL_RenderFillRect(screen.renderer, &left);
    SDL_SetRenderDrawColor(screen.renderer, 30, 200, 30, 255);
    SDL_Rect right{320, 0, 320, 480};
    SDL_RenderFillRect(screen.renderer, &right);
}

bool pictureSize(const std::string& path, int* w, int* h) {
    SDL_Surface* picture = IMG_Load(path.c_str());
    if (!picture) return false;
    *w = picture->w;
    *h = picture->h;
    SDL_FreeSurface(picture);
    return true;
}

unsigned picturePixel(const std::string& path, int x, int y) {
    SDL_Surface* picture = IMG_Load(path.c_str());
    if (!picture) return 0;
    unsigned result = 0;
    SDL_Surface* rgba = SDL_ConvertSurfaceFormat(picture, SDL_PIXELFORMAT_RGBA32, 0);
    if (rgba && x >= 0 && y >= 0 && x < rgba->w && y < rgba->h) {
        const auto* row = static_cast<const uint8_t*>(rgba->pixels) + static_cast<size_t>(y) * rgba->pitch;
        const uint8_t* p = row + static_cast<size_t>(x) * 4;
        result = p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<unsigned>(p[3]) << 24);
    }
    SDL_FreeSurface(rgba);
    SDL_FreeSurface(picture);
    return result;
}

bool writeStandInGame(const std::string& path) {
    // Written to a side file and renamed, so a reader never sees half a record.
    const std::string script =
        "#!/bin/sh\n"
        "here=$(dirname \"$0\")\n"
        "{ printf '%s\\0' \"$(pwd)\"; for a in \"$@\"; do printf '%s\\0' \"$a\"; done; } > \"$here/record.part\"\n"
        "mv \"$here/record.part\" \"$here/record\"\n";
    return writeText(path, script) && makeExecutable(path, true);
}

std::vector<std::string> waitForRecord(const std::string& path) {
    for (int i = 0; i < 500 && !fs::exists(path); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    const std::string text = readText(path);
    std::vector<std::string> fields;
    size_t start = 0;
    for (size_t end; (end = text.find('\0', start)) != std::string::npos; start = end + 1)
        fields.push_back(text.substr(start, end - start));
    return fields;
}

ProgramRun runWithoutDisplay(const std::string& program, const std::vector<std::string>& arguments,
                             const std::string& folder) {
    ProgramRun run;
    int errors[2];
    if (pipe(errors) != 0) return run;
    std::vector<std::string> strings{program};
    strings.insert(strings.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& s : strings) argv.push_back(s.data());
    argv.push_back(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        dup2(errors[1], 2);
        close(errors[0]);
        close(errors[1]);
        unsetenv("DISPLAY");
        unsetenv("WAYLAND_DISPLAY");
        if (chdir(folder.c_str()) != 0) _exit(126);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    close(errors[1]);
    if (child < 0) {
        close(errors[0]);
        return run;
    }
    char buffer[4096];
    for (;;) {
        const ssize_t n = read(errors[0], buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        run.errorText.append(buffer, static_cast<size_t>(n));
    }
    close(errors[0]);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status)) run.status = WEXITSTATUS(status);
    return run;
}

}  // namespace launchtest
