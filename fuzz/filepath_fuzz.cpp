// Screenshot file naming in a private folder: withTrailingSeparator on any text, and
// uniqueFilePath with names, extensions and a row of taken candidates from the input.
// Input: count byte, then name NUL extension NUL subfolder; only the folder under the
// private one is ever written to.
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "shell/platform.h"
#include "shell/screenshot.h"

namespace {

std::string scratch() {
    static std::string folder = [] {
        char pattern[] = "/tmp/kestravel-filepath-fuzz.XXXXXX";
        const char* made = mkdtemp(pattern);
        if (!made) std::abort();
        static std::string removed = made;
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(removed, ignored);
        });
        return std::string(made);
    }();
    return folder;
}

bool plainName(const std::string& name) {
    if (name.empty() || name == "." || name == ".." || name.size() > 100) return false;
    return name.find('/') == std::string::npos && name.find('\0') == std::string::npos;
}

void checkSeparator(const std::string& path) {
    std::string result = withTrailingSeparator(path);
    if (path.empty()) {
        if (!result.empty()) __builtin_trap();
        return;
    }
    if (result.empty() || result.back() != '/') __builtin_trap();
    size_t kept = path.find_last_not_of('/');
    std::string expected = kept == std::string::npos ? "/" : path.substr(0, kept + 1) + "/";
    if (result != expected) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string bytes(reinterpret_cast<const char*>(data), size);
    checkSeparator(bytes);
    if (size == 0) return 0;

    const int taken = static_cast<uint8_t>(bytes[0]) % 8;
    std::vector<std::string> parts(3);
    size_t part = 0;
    for (size_t i = 1; i < size && part < parts.size(); ++i) {
        if (bytes[i] == '\0') ++part;
        else parts[part] += bytes[i];
    }
    const std::string& name = parts[0];
    const std::string& extension = parts[1];
    std::string folder = scratch();
    std::string sub = plainName(parts[2]) ? parts[2] : "";
    if (!sub.empty()) folder += "/" + sub;
    const std::string stem = name.empty() ? "temp" : name;
    const std::string dotted = extension.empty() ? "" : "." + extension;

    // Candidates already taken, alternately by files and folders; only plain names are made.
    std::vector<std::string> made;
    const bool writable = plainName(stem + dotted) && plainName(stem + "-9" + dotted);
    if (writable) {
        mkdir(folder.c_str(), 0700);
        for (int n = 1; n <= taken; ++n) {
            std::string candidate = folder + "/" + (n == 1 ? stem : stem + "-" + std::to_string(n)) + dotted;
            if (n % 2) {
                if (FILE* file = std::fopen(candidate.c_str(), "w")) std::fclose(file);
            } else {
                mkdir(candidate.c_str(), 0700);
            }
            made.push_back(candidate);
        }
    }

    // Trailing separators on the folder must not change the answer.
    std::string path = uniqueFilePath(folder, name, extension);
    if (path != uniqueFilePath(folder + "///", name, extension)) __builtin_trap();
    if (path.compare(0, folder.size() + 1, folder + "/") != 0) __builtin_trap();
    if (path.size() < dotted.size() || path.compare(path.size() - dotted.size(), dotted.size(), dotted) != 0)
        __builtin_trap();
    if (writable) {
        if (pathExists(path)) __builtin_trap();
        std::string expected = folder + "/" + (taken == 0 ? stem : stem + "-" + std::to_string(taken + 1)) + dotted;
        if (path != expected) __builtin_trap();
    }

    for (auto it = made.rbegin(); it != made.rend(); ++it) std::remove(it->c_str());
    if (!sub.empty()) rmdir(folder.c_str());
    return 0;
}
