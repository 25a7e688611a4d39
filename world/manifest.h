#pragma once
// Every file the game loads and how its pictures are laid out: what the game reads and the asset
// generator writes, named once for both.
#include <string>

#include "gameplay/sound.h"
#include "world/world.h"

// Paths from the folder that holds data/, as the game opens them.
constexpr const char* ASSET_PICTURES_FOLDER = "data/graphics";
constexpr const char* ASSET_SHEET_PREFIX = "data/graphics/sheet";  // + the distance 0..9 + ".png"
constexpr const char* ASSET_LOGO = "data/graphics/morvelt.png";
constexpr const char* ASSET_ROOM_STAR = "data/graphics/star20.png";
constexpr const char* ASSET_EMPTY_STAR = "data/graphics/star21.png";
constexpr const char* ASSET_FILLED_STAR = "data/graphics/star22.png";
constexpr const char* ASSET_CLOAK = "data/graphics/cloak.png";
constexpr const char* ASSET_NARROW_KEYS = "data/graphics/narrow.png";
constexpr const char* ASSET_WIDE_KEYS = "data/graphics/wide.png";
constexpr const char* ASSET_ICON = "data/graphics/icon.png";
constexpr const char* ASSET_FONT = "data/fonts/open96.png";
constexpr const char* ASSET_MUSIC = "data/music/QuayShort.ogg";
constexpr const char* ASSET_MAPPINGS = "data/game/gamecontrollerdb.txt";
// The effects by sound slot; slot 0 is the music, streamed from ASSET_MUSIC.
constexpr const char* ASSET_SOUNDS[SOUND_SLOTS] = {
    nullptr,                  "data/sounds/jump2.wav", "data/sounds/land2.wav", "data/sounds/die2.wav",
    "data/sounds/check2.wav", "data/sounds/move2.wav", "data/sounds/star2.wav", "data/sounds/morvelt.wav",
};

inline std::string sheetFile(int distance) { return ASSET_SHEET_PREFIX + std::to_string(distance) + ".png"; }
// The same file under another data folder, such as the generator's: "data/x" becomes folder + "/x".
inline std::string inDataFolder(const std::string& folder, const std::string& path) {
    return folder + path.substr(path.find('/'));
}

// A tile sheet: one row of TILE_SIZE cells, left to right.
constexpr int SHEET_CELLS = 12;
constexpr int SHEET_WALL = 0;
constexpr int SHEET_BACKGROUND = 1;  // stretched over the whole zone
constexpr int SHEET_CHECKPOINT = 2;
constexpr int SHEET_SPIKE = 4;       // + the spike's DIR_ value; DIR_NONE gives the spiked ball before them
constexpr int SHEET_EDGE = 8;        // + the DIR_ value of the way out an open border tile shows

// The player: one row of square frames. In order they walk; some also stand for a state of their own.
constexpr int CLOAK_FRAMES = 8;
constexpr int CLOAK_STAND = 0;         // standing, as is CLOAK_STAND_TOO
constexpr int CLOAK_RISE = 2;          // rising in a jump
constexpr int CLOAK_AFTER_RISE = 3;    // what a rise shows once on the ground
constexpr int CLOAK_STAND_TOO = 4;
constexpr int CLOAK_FALL = 5;          // falling
constexpr int CLOAK_HARD_LANDING = 6;  // landing from a fast fall

// The key and button icons of the controls page, by frame.
enum NarrowIcon {
    ICON_LEFT, ICON_RIGHT, ICON_UP, ICON_F, ICON_A, ICON_D, ICON_W, ICON_M, ICON_PAD_A, ICON_PAD_Y, ICON_DPAD,
    NARROW_ICONS
};
enum WideIcon { ICON_SPACE, ICON_CTRL, ICON_ENTER, ICON_ESC, ICON_START, ICON_BACK, WIDE_ICONS };
