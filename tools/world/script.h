#pragma once
// Key scripts as the route command writes and reads them: "COUNT KEYS" lines of L, R, J or "-",
// and "#" notes, some of which mark where a stage of the route begins.
#include <cstdint>
#include <string>
#include <vector>

#include "tools/world/search.h"

struct ScriptNote {
    size_t step;       // index of the step the note stands before
    int32_t line;      // its line in the file, from 1
    std::string text;  // after the "#", without the blanks around it
};

// False with a message naming the line when the file cannot be read or a line is neither a step
// nor a note. Notes and the line of each step go to the optional lists.
bool readRouteScript(const char* path, std::vector<RouteStep>& steps, std::vector<ScriptNote>* notes = nullptr,
                     std::vector<int32_t>* lines = nullptr);
