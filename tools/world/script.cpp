#include "tools/world/script.h"

#include <cstdio>
#include <string>

#include "shell/platform.h"

bool readScriptFile(const char* who, const char* path, KeyScript& script) {
    std::FILE* file = openFile(path, "rb");
    if (!file) {
        std::fprintf(stderr, "%s: cannot open %s\n", who, path);
        return false;
    }
    std::string error;
    const bool read = readKeyScript(file, script, error);
    std::fclose(file);
    if (!read) std::fprintf(stderr, "%s: %s: %s\n", who, path, error.c_str());
    return read;
}
