#include "shell/platform.h"

#include <SDL.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace fs = std::filesystem;

void showMessageBox(const std::string& title, const std::string& text, MessageIcon icon) {
    Uint32 flags = SDL_MESSAGEBOX_INFORMATION;
    if (icon == MESSAGE_ERROR) flags = SDL_MESSAGEBOX_ERROR;
    if (icon == MESSAGE_WARNING) flags = SDL_MESSAGEBOX_WARNING;
    // Own the box by our window when it has the focus, so it stays on top of it.
    SDL_Window* owner = SDL_GetKeyboardFocus();
    if (SDL_ShowSimpleMessageBox(flags, title.c_str(), text.c_str(), owner) == 0) return;
    // No display to show it on: the text must still reach someone.
    std::fprintf(stderr, "%s: %s\n", title.c_str(), text.c_str());
    std::fflush(stderr);
}

namespace {
int64_t (*clockSource)() = nullptr;
bool clockStarted = false;
uint64_t clockOrigin = 0;
#ifdef _WIN32
bool timerRaised = false;
#endif

int64_t realClockMs() {
    uint64_t now = SDL_GetPerformanceCounter();
    if (!clockStarted) {
        clockStarted = true;
        clockOrigin = now;
    }
    uint64_t frequency = SDL_GetPerformanceFrequency();
    if (frequency == 0) return 0;
    uint64_t ticks = now - clockOrigin;
    // Split to keep ticks * 1000 from overflowing on long runs.
    return static_cast<int64_t>((ticks / frequency) * 1000 + (ticks % frequency) * 1000 / frequency);
}
}  // namespace

int64_t clockMs() { return clockSource ? clockSource() : realClockMs(); }

void setClockSource(int64_t (*source)()) { clockSource = source; }

void sleepMs(int ms) {
    if (ms <= 0) return;
#ifdef _WIN32
    if (!timerRaised) {
        timeBeginPeriod(1);
        timerRaised = true;
    }
    Sleep(static_cast<DWORD>(ms));
#else
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
#endif
}

bool pathExists(const std::string& path) {
    if (path.empty()) return false;
    std::error_code error;
    return fs::exists(fs::path(path), error) && !error;
}

bool isRegularFile(const std::string& path) {
    if (path.empty()) return false;
    std::error_code error;
    return fs::is_regular_file(fs::path(path), error) && !error;
}

int64_t fileSize(const std::string& path) {
    if (!isRegularFile(path)) return -1;
    std::error_code error;
    const auto size = fs::file_size(fs::path(path), error);
    return error ? -1 : static_cast<int64_t>(size);
}

bool isDirectory(const std::string& path) {
    if (path.empty()) return false;
    std::error_code error;
    return fs::is_directory(fs::path(path), error) && !error;
}

namespace {
std::string withoutTrailingSeparator(std::string path) {
    // Keep a bare root ("/" or "C:\") intact.
    while (path.size() > 1 && (path.back() == '/' || path.back() == '\\')) {
        if (path.size() == 3 && path[1] == ':') break;
        path.pop_back();
    }
    return path;
}
}  // namespace

std::string currentDirectory() {
    std::error_code error;
    fs::path here = fs::current_path(error);
    if (error) return "";
    return withoutTrailingSeparator(here.string());
}

bool changeDirectory(const std::string& path) {
    if (path.empty()) return false;
    std::error_code error;
    fs::current_path(fs::path(path), error);
    return !error;
}

std::string executableFolder() {
#ifdef _WIN32
    wchar_t buffer[MAX_PATH * 4];
    DWORD length = GetModuleFileNameW(nullptr, buffer, static_cast<DWORD>(sizeof buffer / sizeof buffer[0]));
    if (length == 0 || length >= sizeof buffer / sizeof buffer[0]) return "";
    fs::path program(std::wstring(buffer, length));
#else
    std::error_code error;
    fs::path program = fs::read_symlink("/proc/self/exe", error);
    if (error) return "";
#endif
    return withoutTrailingSeparator(program.parent_path().string());
}

char pathSeparator() {
#ifdef _WIN32
    return '\\';
#else
    return '/';
#endif
}
