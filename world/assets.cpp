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
#include "world/world.h"

AssetState assets;

namespace {

Sprite* loadFramed(const std::string& path, int columns, int rows) {
    Sprite* sprite = loadSprite(path);
    setSpriteFrames(sprite, columns, rows);
    return sprite;
}

struct SoundFile {
    int slot;
    const char* path;
};

// Slots 4 and 3 swap places: the load order is fixed, not the slot order.
constexpr SoundFile SOUND_FILES[] = {
    {SOUND_JUMP, "data/sounds/jump2.wav"},   {SOUND_LAND, "data/sounds/land2.wav"},
    {SOUND_CHECK, "data/sounds/check2.wav"}, {SOUND_DIE, "data/sounds/die2.wav"},
    {SOUND_MOVE, "data/sounds/move2.wav"},   {SOUND_STAR, "data/sounds/star2.wav"},
    {SOUND_LOGO, "data/sounds/morvelt.wav"},
};

}  // namespace

void loadAssets() {
    // The world's size bound too, before any picture is opened for nothing.
    std::string problem;
    if (!isWorldFileSound(WORLD_FILE, problem)) fatalExit("Game data not found!");

    for (int i = 0; i < 10; ++i)
        assets.sheets[i] = loadFramed("data/graphics/sheet" + std::to_string(i) + ".png", 12, 1);
    assets.splashLogo = loadSprite("data/graphics/morvelt.png");
    assets.stars[0] = loadSprite("data/graphics/star20.png");
    assets.stars[1] = loadSprite("data/graphics/star21.png");
    assets.stars[2] = loadSprite("data/graphics/star22.png");

    // A missing filled star has no height to measure; draw the stars at their own size then.
    int starHeight = spriteDrawHeight(assets.stars[2]);
    assets.starScale = starHeight > 0 ? 32.0f / static_cast<float>(starHeight) : 1.0f;
    for (Sprite* star : assets.stars) setSpriteScale(star, assets.starScale, assets.starScale);

    player.sprite = loadFramed("data/graphics/cloak.png", 8, 1);
    loadWorldLines();

    for (const SoundFile& file : SOUND_FILES) loadSound(file.slot, file.path, false);
    for (int slot = 1; slot < SOUND_SLOTS; ++slot) setSoundVolume(slot, sound.soundVolumes[slot]);

    assets.font = loadFont("data/fonts/open96.png");
    assets.narrowKeys = loadFramed("data/graphics/narrow.png", 11, 1);
    assets.wideKeys = loadFramed("data/graphics/wide.png", 6, 1);
    loadControllerMappings();
    createRoomCache();
}

void initWorld() {
    loadAssets();
    resetToStart();
}
