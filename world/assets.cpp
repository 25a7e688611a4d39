#include "world/assets.h"

#include <string>

#include "gameplay/sound.h"
#include "gameplay/state.h"
#include "render/frame.h"
#include "render/font.h"
#include "render/sprite.h"
#include "shell/input.h"
#include "shell/platform.h"
#include "shell/shell.h"
#include "world/manifest.h"
#include "world/world.h"

AssetState assets;

namespace {

Sprite* loadFramed(const std::string& path, int columns, int rows) {
    Sprite* sprite = loadSprite(path);
    setSpriteFrames(sprite, columns, rows);
    return sprite;
}

// Slots 4 and 3 swap places: the load order is fixed, not the slot order.
constexpr int SOUND_LOAD_ORDER[] = {SOUND_JUMP, SOUND_LAND, SOUND_CHECK, SOUND_DIE, SOUND_MOVE, SOUND_STAR, SOUND_LOGO};

}  // namespace

void loadAssets(const std::string& worldFile) {
    // The world's size bound too, before any picture is opened for nothing.
    std::string problem;
    if (!worldFile.empty() && !isWorldFileSound(worldFile, problem)) fatalExit("Game data not found!");

    for (int i = 0; i < 10; ++i) assets.sheets[i] = loadFramed(sheetFile(i), SHEET_CELLS, 1);
    assets.splashLogo = loadSprite(ASSET_LOGO);
    assets.stars[0] = loadSprite(ASSET_ROOM_STAR);
    assets.stars[1] = loadSprite(ASSET_EMPTY_STAR);
    assets.stars[2] = loadSprite(ASSET_FILLED_STAR);

    // A missing filled star has no height to measure; draw the stars at their own size then.
    int starHeight = spriteDrawHeight(assets.stars[2]);
    assets.starScale = starHeight > 0 ? 32.0f / static_cast<float>(starHeight) : 1.0f;
    for (Sprite* star : assets.stars) setSpriteScale(star, assets.starScale, assets.starScale);

    player.sprite = loadFramed(ASSET_CLOAK, CLOAK_FRAMES, 1);
    if (!worldFile.empty()) loadWorldLinesFrom(worldFile);

    for (int slot : SOUND_LOAD_ORDER) loadSound(slot, ASSET_SOUNDS[slot], false);
    for (int slot = 1; slot < SOUND_SLOTS; ++slot) setSoundVolume(slot, sound.soundVolumes[slot]);

    assets.font = loadFont(ASSET_FONT);
    assets.narrowKeys = loadFramed(ASSET_NARROW_KEYS, NARROW_ICONS, 1);
    assets.wideKeys = loadFramed(ASSET_WIDE_KEYS, WIDE_ICONS, 1);
    loadControllerMappings();
    createRoomCache();
}

void initWorld() {
    loadAssets();
    resetToStart();
}
