#pragma once
// The world linter: the mistakes the game would silently play around.
#include <cstddef>
#include <string>
#include <vector>

struct Finding {
    size_t line;  // 1-based; 0 for the file as a whole
    bool error;   // a mistake, not only a doubt
    std::string text;
};

// The findings of the world file at path, by line. The world it read is left in place of the one
// loaded before, even when it holds errors; nothing else of the game is touched.
std::vector<Finding> checkWorldFile(const std::string& path);
// "LINE: error: TEXT" or "LINE: warning: TEXT".
std::string findingLine(const Finding& finding);
