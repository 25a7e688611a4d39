#pragma once
// The frame the game would show after a key script, as a 640 x 480 PNG.
#include <string>
#include <vector>

#include "tools/world/search.h"

// Pictures and font come from the data folder found from the current folder; false with a message on failure.
// With boxes, the player's box and the kill zones of the spikes are drawn over the frame.
bool savePicture(const std::string& worldPath, const std::vector<ScriptStep>& script, const std::string& outPath,
                 bool boxes);
