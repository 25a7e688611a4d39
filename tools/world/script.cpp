#include "tools/world/script.h"

#include <cctype>
#include <cstdio>
#include <fstream>
#include <sstream>

bool readRouteScript(const char* path, std::vector<RouteStep>& steps, std::vector<ScriptNote>* notes,
                     std::vector<int32_t>* lines) {
    std::ifstream in(path);
    if (!in) {
        std::fprintf(stderr, "kestravel-world route: cannot open %s\n", path);
        return false;
    }
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        size_t first = line.find_first_not_of(" \t\r");
        if (first == std::string::npos) continue;
        if (line[first] == '#') {
            if (notes) {
                size_t from = line.find_first_not_of(" \t", first + 1);
                size_t to = line.find_last_not_of(" \t\r");
                std::string text = from == std::string::npos || to < from ? "" : line.substr(from, to - from + 1);
                notes->push_back({steps.size(), number, text});
            }
            continue;
        }
        std::istringstream fields(line);
        long frames = 0;
        std::string keys, extra;
        if (!(fields >> frames >> keys) || (fields >> extra) || frames <= 0 || frames > 100000000L) {
            std::fprintf(stderr, "kestravel-world route: %s:%d: expected COUNT KEYS\n", path, number);
            return false;
        }
        uint8_t mask = 0;
        for (char letter : keys) {
            char k = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
            if (k == 'L') mask |= ROUTE_LEFT;
            else if (k == 'R') mask |= ROUTE_RIGHT;
            else if (k == 'J') mask |= ROUTE_JUMP;
            else if (k != '-') {
                std::fprintf(stderr, "kestravel-world route: %s:%d: only L, R, J and - are kept\n", path, number);
                return false;
            }
        }
        steps.push_back({mask, static_cast<int32_t>(frames)});
        if (lines) lines->push_back(number);
    }
    return true;
}
