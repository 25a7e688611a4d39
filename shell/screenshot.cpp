#include "shell/screenshot.h"

#include "shell/display.h"
#include "shell/platform.h"
#include "shell/web.h"

#include <SDL.h>
#include <SDL_image.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>
#else
#include <pwd.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

void takeScreenshot() {
    const std::string path = uniqueFilePath(picturesFolder(), screenshotName(), "png");
#ifdef __EMSCRIPTEN__
    // A page has no Pictures folder: the file goes to the browser's downloads.
    if (saveScreenshot(path)) downloadFile(path);
#else
    saveScreenshot(path);
#endif
}

namespace {
// SDL_image encodes into this growing buffer, so that every write to the disk is ours to check.
struct EncodedBytes {
    std::vector<uint8_t> bytes;
    size_t at;
};

Sint64 encodedSize(SDL_RWops* io) {
    return static_cast<Sint64>(static_cast<EncodedBytes*>(io->hidden.unknown.data1)->bytes.size());
}

Sint64 encodedSeek(SDL_RWops* io, Sint64 offset, int whence) {
    auto* out = static_cast<EncodedBytes*>(io->hidden.unknown.data1);
    Sint64 base = 0;
    if (whence == RW_SEEK_CUR) base = static_cast<Sint64>(out->at);
    if (whence == RW_SEEK_END) base = static_cast<Sint64>(out->bytes.size());
    const Sint64 to = base + offset;
    if (to < 0 || to > static_cast<Sint64>(out->bytes.size())) return -1;
    out->at = static_cast<size_t>(to);
    return to;
}

size_t encodedRead(SDL_RWops*, void*, size_t, size_t) { return 0; }

size_t encodedWrite(SDL_RWops* io, const void* data, size_t size, size_t count) {
    auto* out = static_cast<EncodedBytes*>(io->hidden.unknown.data1);
    if (size == 0 || count == 0) return 0;
    if (count > SIZE_MAX / size) return 0;
    const size_t length = size * count;
    if (out->at + length > out->bytes.size()) out->bytes.resize(out->at + length);
    std::memcpy(out->bytes.data() + out->at, data, length);
    out->at += length;
    return count;
}

int encodedClose(SDL_RWops* io) {
    SDL_FreeRW(io);
    return 0;
}

fs::path utf8Path(const std::string& path) { return fs::path(std::u8string(path.begin(), path.end())); }

bool encodePng(SDL_Surface* image, std::vector<uint8_t>* png) {
    EncodedBytes out{{}, 0};
    SDL_RWops* io = SDL_AllocRW();
    if (!io) return false;
    io->size = encodedSize;
    io->seek = encodedSeek;
    io->read = encodedRead;
    io->write = encodedWrite;
    io->close = encodedClose;
    io->hidden.unknown.data1 = &out;
    if (IMG_SavePNG_RW(image, io, 1) != 0 || out.bytes.empty()) return false;
    *png = std::move(out.bytes);
    return true;
}

// Writes the bytes under a temporary name beside path and renames it into place, so that a
// full disk leaves either the whole file or nothing, and never uses up a name.
bool writeWhole(const std::string& path, const std::vector<uint8_t>& bytes) {
    const std::string partial = uniqueFilePath("", path + ".part", "");
    SDL_RWops* file = SDL_RWFromFile(partial.c_str(), "wb");
    if (!file) return false;
    bool written = SDL_RWwrite(file, bytes.data(), 1, bytes.size()) == bytes.size();
    // Closing flushes: a full disk often shows only here.
    written = SDL_RWclose(file) == 0 && written;
    std::error_code error;
    if (written) fs::rename(utf8Path(partial), utf8Path(path), error);
    if (!written || error) {
        fs::remove(utf8Path(partial), error);
        return false;
    }
    return true;
}

// The top-left w x h of image: the viewport landed in that corner.
SDL_Surface* trimmedCopy(SDL_Surface* image) {
    int w = 0;
    int h = 0;
    // A sliver of an output would trim to nothing; keep the untrimmed shot then.
    if (!trimmedSize(image->w, image->h, &w, &h) || w <= 0 || h <= 0) return nullptr;
    SDL_Surface* cut = SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, image->format->format);
    if (!cut) return nullptr;
    if (SDL_LockSurface(image) != 0) {
        SDL_FreeSurface(cut);
        return nullptr;
    }
    // Plain row copies: blitting would blend the transparent strip.
    const size_t rowBytes = static_cast<size_t>(w) * image->format->BytesPerPixel;
    const auto* from = static_cast<const uint8_t*>(image->pixels);
    auto* to = static_cast<uint8_t*>(cut->pixels);
    for (int y = 0; y < h; ++y)
        std::memcpy(to + static_cast<size_t>(y) * cut->pitch, from + static_cast<size_t>(y) * image->pitch, rowBytes);
    SDL_UnlockSurface(image);
    return cut;
}
}  // namespace

bool saveScreenshot(const std::string& path) {
    if (!screen.renderer || path.empty()) return false;
    int w = 0;
    int h = 0;
    if (SDL_GetRendererOutputSize(screen.renderer, &w, &h) != 0 || w <= 0 || h <= 0) return false;
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, SDL_PIXELFORMAT_ARGB8888);
    if (!surface) return false;
    // Fresh surfaces are zeroed: whatever lies outside the viewport stays transparent black.
    if (SDL_RenderReadPixels(screen.renderer, nullptr, SDL_PIXELFORMAT_ARGB8888, surface->pixels,
                             surface->pitch) != 0) {
        SDL_FreeSurface(surface);
        return false;
    }
    std::vector<uint8_t> png;
    const bool saved = encodePng(surface, &png) && writeWhole(path, png);
    // Fullscreen keeps just the game area; a trim that fails leaves the untrimmed file.
    if (saved && screen.windowed == 0) {
        if (SDL_Surface* cut = trimmedCopy(surface)) {
            if (encodePng(cut, &png)) writeWhole(path, png);
            SDL_FreeSurface(cut);
        }
    }
    SDL_FreeSurface(surface);
    return saved;
}

std::string uniqueFilePath(const std::string& folder, const std::string& name, const std::string& extension) {
    const std::string base = folder.empty() ? "" : withTrailingSeparator(folder);
    const std::string stem = name.empty() ? "temp" : name;
    const std::string dotted = extension.empty() ? "" : "." + extension;
    std::string candidate = stem + dotted;
    for (long counter = 1; pathExists(base + candidate);) {
        ++counter;
        candidate = stem + "-" + std::to_string(counter) + dotted;
    }
    return base + candidate;
}

std::string withTrailingSeparator(const std::string& path) {
    if (path.empty()) return "";
    const char separator = pathSeparator();
    size_t end = path.size();
    while (end > 0 && path[end - 1] == separator) --end;
    return path.substr(0, end) + separator;
}

std::string screenshotName() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
#ifdef _WIN32
    if (localtime_s(&local, &now) != 0) return "Kestravel_";
#else
    if (!localtime_r(&now, &local)) return "Kestravel_";
#endif
    char stamp[32];
    if (std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local) == 0) return "Kestravel_";
    return std::string("Kestravel_") + stamp;
}

bool trimmedSize(int iw, int ih, int* w, int* h) {
    // Integer arithmetic on purpose: the rounding must match the 640 x 480 letterbox.
    const long long width = iw;
    const long long height = ih;
    long long keptWidth = width;
    long long keptHeight = height;
    if (width > height * SCREEN_WIDTH / SCREEN_HEIGHT)
        keptWidth = height * SCREEN_WIDTH / SCREEN_HEIGHT;
    else if (height > width * SCREEN_HEIGHT / SCREEN_WIDTH)
        keptHeight = width * SCREEN_HEIGHT / SCREEN_WIDTH;
    if (w) *w = static_cast<int>(keptWidth);
    if (h) *h = static_cast<int>(keptHeight);
    return keptWidth != width || keptHeight != height;
}

#ifndef _WIN32
namespace {
std::string environmentValue(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::string homeFolder() {
    std::string home = environmentValue("HOME");
#ifndef _WIN32
    if (home.empty()) {
        // Started without HOME (from a service, say): ask the password database instead.
        if (const passwd* entry = getpwuid(getuid()); entry && entry->pw_dir) home = entry->pw_dir;
    }
#endif
    while (home.size() > 1 && home.back() == '/') home.pop_back();
    return home;
}

// Whether the line assigns `XDG_PICTURES_DIR="..."`; folder gets the value with its shell
// escapes undone and $HOME expanded, or "" when it names no absolute folder.
bool picturesEntry(const std::string& line, const std::string& home, std::string* folder) {
    size_t at = line.find_first_not_of(" \t");
    static const std::string key = "XDG_PICTURES_DIR";
    if (at == std::string::npos || line.compare(at, key.size(), key) != 0) return false;
    at = line.find_first_not_of(" \t", at + key.size());
    if (at == std::string::npos || line[at] != '=') return false;
    at = line.find_first_not_of(" \t", at + 1);
    if (at == std::string::npos || line[at] != '"') return false;
    std::string value;
    bool closed = false;
    for (size_t i = at + 1; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '"') {
            closed = true;
            break;
        }
        if (c == '\\' && i + 1 < line.size() && line[i + 1] != '\0' && std::strchr("\"\\$`", line[i + 1])) {
            value += line[++i];
            continue;
        }
        value += c;
    }
    if (!closed) return false;
    folder->clear();
    // An empty value means the home folder, as the shell's ${VAR:-$HOME} reads it.
    if (value.empty()) {
        *folder = home;
        return true;
    }
    if (value.compare(0, 5, "$HOME") == 0 && (value.size() == 5 || value[5] == '/')) {
        if (!home.empty()) *folder = home + value.substr(5);
    } else if (value.compare(0, 7, "${HOME}") == 0 && (value.size() == 7 || value[7] == '/')) {
        if (!home.empty()) *folder = home + value.substr(7);
    } else if (!value.empty() && value[0] == '/') {
        *folder = value;
    }
    return true;
}
}  // namespace
#endif

std::string picturesFolder() {
#ifdef _WIN32
    // The shell's own answer, wherever the user has moved the folder.
    PWSTR wide = nullptr;
    std::string folder;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_Pictures, 0, nullptr, &wide)) && wide) folder = utf8Text(wide);
    CoTaskMemFree(wide);
    if (folder.empty() || !isDirectory(folder)) return "";
    return folder;
#else
    const std::string home = homeFolder();
    std::string configHome = environmentValue("XDG_CONFIG_HOME");
    // A relative XDG_CONFIG_HOME is invalid and ignored, as every XDG reader does.
    if (configHome.empty() || configHome[0] != '/') {
        if (home.empty()) return "";
        configHome = home + "/.config";
    }
    // Without an entry the convention is the home folder; only then the working directory.
    std::string folder = home;
    std::ifstream file(configHome + "/user-dirs.dirs");
    std::string line;
    // The file is sourced by shells, so the last assignment wins.
    while (file && std::getline(file, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        picturesEntry(line, home, &folder);
    }
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    if (folder.empty() || !isDirectory(folder)) return "";
    return folder;
#endif
}
