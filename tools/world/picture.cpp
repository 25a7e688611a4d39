// The frame the game would show after a key script, drawn offscreen into a PNG.
#include "tools/world/picture.h"
#include "tools/world/boxes.h"
#include "tools/world/offscreen.h"

#include <SDL.h>
#include <SDL_image.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "gameplay/replay.h"
#include "gameplay/sound.h"
#include "gameplay/state.h"
#include "render/frame.h"
#include "render/sprite.h"
#include "shell/display.h"
#include "world/assets.h"
#include "world/world.h"


bool savePicture(const std::string& worldPath, const std::vector<RouteStep>& script, const std::string& outPath,
                 bool boxes) {
    std::error_code error;
    std::filesystem::path worldFile = std::filesystem::absolute(worldPath, error);
    if (error) worldFile = worldPath;
    std::filesystem::path out = std::filesystem::absolute(outPath, error);
    if (error) out = outPath;
    std::filesystem::path here = std::filesystem::current_path(error);

    Offscreen video;
    if (!openOffscreen(video, "kestravel-world route")) return false;

    // The pictures, the font and the shipped world come from the data folder; then the world asked for.
    if (!findDataFolder(WORLD_FILE)) {
        std::fprintf(stderr, "kestravel-world route: no data folder with the pictures from here\n");
        return false;
    }
    loadAssets();
    if (!here.empty()) std::filesystem::current_path(here, error);

    Sprite* cloak = player.sprite;  // the resets below forget it
    resetWorldState();
    resetGameState();
    resetSoundState();
    startHeadlessGame();
    if (loadWorldLinesFrom(worldFile.string()) <= 0) {
        std::fprintf(stderr, "kestravel-world route: cannot read %s\n", worldFile.string().c_str());
        return false;
    }
    resetToStart();
    player.sprite = cloak;
    // Every frame is drawn: the caption, the flying star and the preview move only while drawn.
    drawFrame();
    for (const RouteStep& step : script)
        for (int32_t f = 0; f < step.frames; ++f) {
            stepGame(step.keys);
            drawFrame();
        }
    if (boxes) {
        drawKillZones();
        drawPlayerBox();
    }
    if (!readOffscreen(video, "kestravel-world route")) return false;
    if (IMG_SavePNG(video.frame, out.string().c_str()) != 0) {
        std::fprintf(stderr, "kestravel-world route: cannot write %s: %s\n", out.string().c_str(), SDL_GetError());
        return false;
    }
    return true;
}
