#include "render/screens.h"

#include <cmath>
#include <cstdio>

#include "gameplay/flow.h"
#include "gameplay/hazards.h"
#include "gameplay/state.h"
#include "render/font.h"
#include "render/sprite.h"
#include "shell/display.h"
#include "shell/shell.h"
#include "world/assets.h"
#include "world/manifest.h"
#include "world/world.h"

static int nearest(double v) { return int(std::lround(v)); }

static constexpr double SLOT_SPACING = 40.0;
static int slotX(int n) { return nearest((n + 3) * SLOT_SPACING + 4.0); }
static constexpr int SLOT_Y = 84;

void drawSplash() {
    if (flow.introFrames >= 75) return;
    Sprite* logo = assets.splashLogo;
    drawSprite(logo, (SCREEN_WIDTH - spriteDrawWidth(logo)) / 2, (SCREEN_HEIGHT - spriteDrawHeight(logo)) / 2);
}

void drawStarRow() {
    if (game.gameComplete && game.starPopupTimer < 120) game.starPopupTimer = 120;
    bool mainPage = flow.paused && flow.menuPage == MENU_MAIN;
    int collected = progress.collectedStarCount;
    if (collected < 0) collected = 0;
    if (collected > WORLD_STAR_SLOTS) collected = WORLD_STAR_SLOTS;

    int v;
    if (flow.paused) {
        v = mainPage && collected > 0 ? 240 : 0;
    } else {
        v = game.starPopupTimer > 0 ? game.starPopupTimer : 0;
    }
    if (v == 0) return;
    if (v > 240) v = 240;  // past the top of the pop-up the row simply holds
    int k = v * 3 / 240;
    double a = k == 0 ? v / 80.0 : k == 2 ? 1.0 - (v - 160) / 80.0 : 1.0;
    for (Sprite* star : assets.stars) setSpriteAlpha(star, int(a * 255.0));

    // The flying star covers 4 percent of the remaining way each frame.
    float targetX = float(slotX(collected - 1));
    hazards.starPopupX = hazards.starPopupX + (targetX - hazards.starPopupX) * 0.04f;
    hazards.starPopupY = hazards.starPopupY + (float(SLOT_Y) - hazards.starPopupY) * 0.04f;

    int last = collected - 1;
    for (int n = 0; n < WORLD_STAR_SLOTS; n++) {
        if (n < last || (n == last && (k == 0 || mainPage))) {
            drawSprite(assets.stars[2], slotX(n), SLOT_Y);
        } else if (n > last) {
            drawSprite(assets.stars[1], slotX(n), SLOT_Y);
        }
    }

    if (k == 1 || k == 2) {
        int x = nearest(hazards.starPopupX);
        int y = nearest(hazards.starPopupY);
        setSpriteAlpha(assets.stars[2], 255);
        drawSprite(assets.stars[2], x, y);
        if (k == 2) {
            // Keeps its room look at first and turns into the slot look as the row fades in.
            setSpriteAlpha(assets.stars[0], nearest((1.0 - a) * 255.0));
            drawSprite(assets.stars[0], x, y);
        }
    }
}

void drawCompletionStats() {
    if (flow.paused || !game.gameComplete) return;
    Font* font = assets.font;
    setFontAlpha(font, int(0.8 * 255));
    char time[32];
    char deaths[16];
    char jumps[16];
    char checks[16];
    std::snprintf(time, sizeof time, "%s", formatTime(game.timeFrames).c_str());
    std::snprintf(deaths, sizeof deaths, "%d", game.deathCount);
    std::snprintf(jumps, sizeof jumps, "%d", game.jumpCount);
    std::snprintf(checks, sizeof checks, "%d", game.checkCount);
    const struct {
        const char* label;
        int y;
        const char* value;
    } rows[] = {{"TIME", 192, time}, {"DEATHS", 240, deaths}, {"JUMPS", 288, jumps}, {"CHECKS", 336, checks}};
    for (const auto& row : rows) {
        drawText(font, 256, float(row.y), row.label, 0.335f, true, true);
        drawText(font, 448, float(row.y), row.value, 0.335f, true, true);
    }
}

std::string formatTime(int frames) {
    if (frames < 0) frames = 0;  // a clock never runs backwards
    int seconds = frames / 60;
    int minutes = 0;
    int hours = 0;
    if (seconds >= 60) {
        minutes = seconds / 60;
        seconds -= minutes * 60;
        if (minutes >= 60) {
            hours = minutes / 60;
            minutes -= hours * 60;
        }
    }
    char text[40];
    if (hours > 0) {
        std::snprintf(text, sizeof text, "%d:%02d:%02d", hours, minutes, seconds);
    } else {
        // Minutes stay unpadded while there are no hours.
        std::snprintf(text, sizeof text, "%d:%02d", minutes, seconds);
    }
    return text;
}

void drawTitle() {
    if (flow.paused || game.titleFrames >= 1020) return;
    if (game.titleFrames > 60) {
        int elapsed = game.titleFrames - 60;
        int k = elapsed / 60;
        double f = (elapsed - k * 60) / 60.0;
        double strength = k % 4 == 0 ? f * 0.8 : k % 4 == 3 ? (1.0 - f) * 0.8 : 0.8;
        setFontAlpha(assets.font, int(strength * 255.0));
        if (k < 4) drawText(assets.font, 320, 120, "KESTRAVEL", 0.5f, true, true);
    }
    game.titleFrames++;
}

namespace {
struct MenuItem {
    const char* text;
    int y;
};
const MenuItem MAIN_ITEMS[MENU_ITEMS] = {
    {"CONTINUE", 168}, {"RESTART", 208}, {"CONTROLS", 248}, {"ABOUT", 288}, {"EXIT", 328},
};

struct ControlIcon {
    bool wide;   // from the wide sheet, else the narrow one
    int frame;
    int x;
};
struct ControlRow {
    int y;              // row y; icons sit 24 pixels above it
    const char* labels[2];
    int labelY[2];
    ControlIcon keyboard[4];
    int keyboardCount;
    ControlIcon controller;
};
const ControlRow CONTROL_ROWS[] = {
    {115, {"MOVE", nullptr}, {115, 0},
     {{false, ICON_A, 276}, {false, ICON_D, 324}, {false, ICON_LEFT, 396}, {false, ICON_RIGHT, 444}}, 4,
     {false, ICON_DPAD, 360}},
    {175, {"JUMP", nullptr}, {175, 0}, {{false, ICON_W, 300}, {false, ICON_UP, 420}}, 2, {false, ICON_PAD_A, 360}},
    {235, {"PAUSE", nullptr}, {235, 0}, {{true, ICON_ESC, 336}}, 1, {true, ICON_START, 336}},
    {295, {"MUTE", nullptr}, {295, 0}, {{false, ICON_M, 360}}, 1, {false, ICON_PAD_Y, 360}},
    {355, {"FULL", "SCREEN"}, {345, 377}, {{true, ICON_CTRL, 312}, {false, ICON_F, 408}}, 2, {true, ICON_BACK, 336}},
};

struct AboutLine {
    const char* text;
    int y;
    float scale;
};
const AboutLine ABOUT_LINES[] = {
    {"KESTRAVEL", 96, 0.5f},
    {"GAME BY", 168, 0.175f},
    {"M. ESKER", 198, 0.2f},
    {"MUSIC:", 248, 0.175f},
    {"LANTERNS ON THE QUAY", 278, 0.2f},
    {"BY ODALRIC VENN", 308, 0.2f},
    {"PLAYER ART BY", 358, 0.175f},
    {"ISA MERROWIN", 388, 0.2f},
    {KESTRAVEL_VERSION, 438, 0.125f},
};
}  // namespace

static void drawIcon(const ControlIcon& icon, int rowY) {
    Sprite* sheet = icon.wide ? assets.wideKeys : assets.narrowKeys;
    selectFrame(sheet, icon.frame);
    drawSpriteEx(sheet, icon.x, rowY - 24, 0.0, 0);
}

static void drawControlsPage() {
    Font* font = assets.font;
    setFontAlpha(font, 192);
    setSpriteAlpha(assets.narrowKeys, 192);
    setSpriteAlpha(assets.wideKeys, 192);
    bool controller = screen.lastInputDevice == 1;
    for (const ControlRow& row : CONTROL_ROWS) {
        for (int i = 0; i < 2 && row.labels[i]; i++) {
            drawText(font, 192, float(row.labelY[i]), row.labels[i], 0.25f, true, true);
        }
        if (controller) {
            drawIcon(row.controller, row.y);
        } else {
            for (int i = 0; i < row.keyboardCount; i++) drawIcon(row.keyboard[i], row.y);
        }
    }
}

void drawPauseMenu() {
    if (!flow.paused) return;
    fillRect(0, 0, screen.logicalWidth, screen.logicalHeight, rgba(32, 32, 32, 176));
    Font* font = assets.font;
    switch (flow.menuPage) {
        case MENU_MAIN:
            for (int i = 0; i < MENU_ITEMS; i++) {
                bool selected = i == flow.menuSelection;
                setFontAlpha(font, selected ? 225 : 160);
                drawText(font, 320, float(MAIN_ITEMS[i].y), MAIN_ITEMS[i].text, selected ? 0.3f : 0.25f, true, true);
            }
            break;
        case MENU_CONTROLS:
            drawControlsPage();
            break;
        case MENU_ABOUT:
            setFontAlpha(font, 192);
            for (const AboutLine& line : ABOUT_LINES) drawText(font, 320, float(line.y), line.text, line.scale, true, true);
            break;
        default:
            break;
    }
}

void drawFps() {
    if (!shell.showFps) return;
    char text[48];
    std::snprintf(text, sizeof text, "%.2f", double(shell.fpsEstimate));
    setFontAlpha(assets.font, 255);
    drawText(assets.font, 0, 0, text, 0.1f, false, false);
}
