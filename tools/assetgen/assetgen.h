#pragma once
// The asset generator: every picture, sound, the font and the music, made from fixed seeds.
#include <cstdint>
#include <string>
#include <vector>

// Each writes its files under dataDir (the repository's data/ folder or a test's folder).
bool generatePictures(const std::string& dataDir);   // graphics/*.png
bool generateFont(const std::string& dataDir);       // fonts/open96.png
bool generateSounds(const std::string& dataDir);     // sounds/*.wav
bool generateMusic(const std::string& dataDir);      // music/QuayShort.ogg
bool generateControllerMappings(const std::string& dataDir);  // game/gamecontrollerdb.txt

// RGBA pixels, red in the lowest byte, row-major from the top.
bool writePng(const std::string& path, int width, int height, const std::vector<uint32_t>& pixels);
