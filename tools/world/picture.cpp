// The frame the game would show after a key script, drawn offscreen into a PNG.
#include "tools/world/picture.h"
#include "tools/world/boxes.h"
#include "tools/world/offscreen.h"

#include <SDL.h>
#include <SDL_image.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iterator>

#include "gameplay/replay.h"
#include "gameplay/sound.h"
#include "gameplay/state.h"
#include "render/frame.h"
#include "render/sprite.h"
#include "shell/display.h"
#include "shell/platform.h"
#include "world/assets.h"
#include "world/world.h"

namespace {

int64_t framesDrawn = 0;
int64_t frameClock() { return framesDrawn * 1000 / 60; }

}  // namespace

bool savePicture(const std::string& worldPath, const std::vector<ScriptStep>& script, const std::string& outPath,
                 bool boxes, bool intro) {
    const std::string out = absolutePath(outPath);

    Offscreen video;
    if (!openOffscreen(video, "kestravel-world route", worldPath, intro)) return false;
    if (std::none_of(std::begin(assets.sheets), std::end(assets.sheets), [](Sprite* s) { return s != nullptr; })) {
        std::fprintf(stderr, "kestravel-world route: no data folder with the pictures from here or beside %s\n",
                     worldPath.c_str());
        return false;
    }
    if (world.lines.empty()) {
        std::fprintf(stderr, "kestravel-world route: cannot read %s\n", worldPath.c_str());
        return false;
    }
    // Every frame is drawn: the caption, the flying star and the preview move only while drawn.
    setClockSource(frameClock);
    drawFrame();
    for (const ScriptStep& step : script)
        for (int32_t f = 0; f < step.frames; ++f) {
            stepGame(step.keys);
            ++framesDrawn;
            drawFrame();
        }
    if (boxes) {
        drawKillZones();
        drawPlayerBox();
    }
    if (!readOffscreen(video, "kestravel-world route")) return false;
    if (IMG_SavePNG(video.frame, out.c_str()) != 0) {
        std::fprintf(stderr, "kestravel-world route: cannot write %s: %s\n", out.c_str(), SDL_GetError());
        return false;
    }
    return true;
}
