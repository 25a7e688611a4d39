#include "shell/platform.h"

#include <SDL.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <thread>

#include "shell/web.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace fs = std::filesystem;

#ifdef _WIN32
void showMessageBox(const char* title, const char* text, MessageIcon icon) {
    UINT style = MB_OK | MB_ICONINFORMATION;
    if (icon == MESSAGE_ERROR) style = MB_OK | MB_ICONERROR;
    if (icon == MESSAGE_WARNING) style = MB_OK | MB_ICONWARNING;
    // Own the box by the foreground window only when it is one of ours, so it stays on top of it.
    HWND owner = GetForegroundWindow();
    DWORD ownerProcess = 0;
    if (owner) GetWindowThreadProcessId(owner, &ownerProcess);
    if (ownerProcess != GetCurrentProcessId()) owner = nullptr;
    if (MessageBoxW(owner, wideText(text).c_str(), wideText(title).c_str(), style) != 0) return;
    std::fprintf(stderr, "%s: %s\n", title, text);
    std::fflush(stderr);
}
#elif defined(__EMSCRIPTEN__)
void showMessageBox(const char* title, const char* text, MessageIcon) { showInPage(title, text); }
#else
void showMessageBox(const char* title, const char* text, MessageIcon icon) {
    Uint32 flags = SDL_MESSAGEBOX_INFORMATION;
    if (icon == MESSAGE_ERROR) flags = SDL_MESSAGEBOX_ERROR;
    if (icon == MESSAGE_WARNING) flags = SDL_MESSAGEBOX_WARNING;
    // Own the box by our window when it has the focus, so it stays on top of it.
    SDL_Window* owner = SDL_GetKeyboardFocus();
    if (SDL_ShowSimpleMessageBox(flags, title, text, owner) == 0) return;
    // No display to show it on: the text must still reach someone.
    std::fprintf(stderr, "%s: %s\n", title, text);
    std::fflush(stderr);
}
#endif

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
    Sleep(static_cast<DWORD>(ms));
#else
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
#endif
}

void raiseTimerResolution() {
#ifdef _WIN32
    if (!timerRaised) timerRaised = timeBeginPeriod(1) == TIMERR_NOERROR;
#endif
}

void restoreTimerResolution() {
#ifdef _WIN32
    if (timerRaised) timeEndPeriod(1);
    timerRaised = false;
#endif
}

#ifdef _WIN32
std::wstring wideText(const std::string& utf8) {
    if (utf8.empty()) return L"";
    const int size = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), static_cast<int>(utf8.size()),
                                         nullptr, 0);
    if (size <= 0) return L"";
    std::wstring wide(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), static_cast<int>(utf8.size()), wide.data(), size);
    return wide;
}

std::string utf8Text(const std::wstring& wide) {
    if (wide.empty()) return "";
    const int size = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide.data(), static_cast<int>(wide.size()),
                                         nullptr, 0, nullptr, nullptr);
    if (size <= 0) return "";
    std::string utf8(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide.data(), static_cast<int>(wide.size()), utf8.data(), size,
                        nullptr, nullptr);
    return utf8;
}
#endif

namespace {
// std::filesystem reads narrow strings in the ANSI code page on Windows; ours are UTF-8.
fs::path nativePath(const std::string& path) {
#ifdef _WIN32
    return fs::path(wideText(path));
#else
    return fs::path(path);
#endif
}

std::string pathText(const fs::path& path) {
#ifdef _WIN32
    return utf8Text(path.wstring());
#else
    return path.string();
#endif
}
}  // namespace

std::FILE* openFile(const std::string& path, const char* mode) {
    if (path.empty()) return nullptr;
#ifdef _WIN32
    const std::wstring wide = wideText(path);
    return wide.empty() ? nullptr : _wfopen(wide.c_str(), wideText(mode).c_str());
#else
    return std::fopen(path.c_str(), mode);
#endif
}

bool pathExists(const std::string& path) {
    if (path.empty()) return false;
    std::error_code error;
    return fs::exists(nativePath(path), error) && !error;
}

bool isRegularFile(const std::string& path) {
    if (path.empty()) return false;
    std::error_code error;
    return fs::is_regular_file(nativePath(path), error) && !error;
}

int64_t fileSize(const std::string& path) {
    if (!isRegularFile(path)) return -1;
    std::error_code error;
    const auto size = fs::file_size(nativePath(path), error);
    return error ? -1 : static_cast<int64_t>(size);
}

int64_t fileWriteTime(const std::string& path) {
    if (path.empty()) return -1;
    std::error_code error;
    const auto time = fs::last_write_time(nativePath(path), error);
    return error ? -1 : static_cast<int64_t>(time.time_since_epoch().count());
}

bool isFileWithin(const std::string& path, int64_t maxBytes) {
    // An unknown size could be any size.
    const int64_t size = fileSize(path);
    return size >= 0 && size <= maxBytes;
}

bool isDirectory(const std::string& path) {
    if (path.empty()) return false;
    std::error_code error;
    return fs::is_directory(nativePath(path), error) && !error;
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
    return withoutTrailingSeparator(pathText(here));
}

std::string absolutePath(const std::string& path) {
    if (path.empty() || nativePath(path).is_absolute()) return path;
    std::string here = currentDirectory();
    if (here.empty()) return path;
    if (here.back() != '/' && here.back() != '\\') here += pathSeparator();
    return here + path;
}

bool changeDirectory(const std::string& path) {
    if (path.empty()) return false;
    std::error_code error;
    fs::current_path(nativePath(path), error);
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
    return withoutTrailingSeparator(pathText(program.parent_path()));
}

char pathSeparator() {
#ifdef _WIN32
    return '\\';
#else
    return '/';
#endif
}
