// kestravel-assetgen DATA_DIR [pictures|font|sounds|music|mappings]...
#include <cstdio>
#include <cstring>

#include "tools/assetgen/assetgen.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: kestravel-assetgen DATA_DIR [pictures|font|sounds|music|mappings]...\n");
        return 2;
    }
    std::string dir = argv[1];
    auto wanted = [&](const char* part) {
        if (argc == 2) return true;
        for (int i = 2; i < argc; ++i)
            if (std::strcmp(argv[i], part) == 0) return true;
        return false;
    };
    bool ok = true;
    if (wanted("pictures")) ok = generatePictures(dir) && ok;
    if (wanted("font")) ok = generateFont(dir) && ok;
    if (wanted("sounds")) ok = generateSounds(dir) && ok;
    if (wanted("music")) ok = generateMusic(dir) && ok;
    if (wanted("mappings")) ok = generateControllerMappings(dir) && ok;
    return ok ? 0 : 1;
}
