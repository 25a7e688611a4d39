#pragma once
// The frame the game would show after a key script, as a 640 x 480 PNG.
#include <string>
#include <vector>

#include "tools/world/search.h"

// Pictures and font come from the data folder found as the game finds it, or from a data/ folder beside
// the world; false with a message on failure. With boxes, the player's box and the kill zones of the spikes
// are drawn over the frame; with intro, the script starts at the first frame of the logo. The clock the
// game reads moves a sixtieth of a second a frame, so a picture comes out the same at every run.
bool savePicture(const std::string& worldPath, const std::vector<ScriptStep>& script, const std::string& outPath,
                 bool boxes, bool intro);
