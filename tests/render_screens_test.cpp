#include <gtest/gtest.h>

#include <filesystem>

#include "gameplay/flow.h"
#include "gameplay/hazards.h"
#include "gameplay/state.h"
#include "render/font.h"
#include "render/screens.h"
#include "render/sprite.h"
#include "shell/display.h"
#include "shell/shell.h"
#include "tests/support/render_support.h"
#include "world/assets.h"
#include "world/world.h"

using namespace rendertest;

namespace {

constexpr int VEIL = 32 * 176 / 255;  // the pause veil over black

int slotX(int n) { return 124 + 40 * n; }

class ScreensTest : public RenderTest {
protected:
    void SetUp() override {
        RenderTest::SetUp();
        ASSERT_TRUE(loadTestPictures(dir));
        // White glyphs 10 wide, line height 40: a pixel's brightness is the text's alpha.
        std::vector<TestGlyph> glyphs;
        for (int c = 'A'; c <= 'Z'; c++) glyphs.push_back({c, 10});
        for (int c = '0'; c <= '9'; c++) glyphs.push_back({c, 10});
        for (int c : {'.', ':', ' '}) glyphs.push_back({c, 10});
        SDL_Color white{255, 255, 255, 255};
        ASSERT_TRUE(writeFontImage(dir + "/font.png", 2, 43, glyphs, &white));
        assets.font = loadFont(dir + "/font.png");
        ASSERT_NE(assets.font, nullptr);
        ASSERT_EQ(assets.font->lineHeight, 40);
        clearScreen(0);
    }
    static int alphaOf(Sprite* sprite) {
        Uint8 alpha = 0;
        SDL_GetTextureAlphaMod(sprite->texture, &alpha);
        return alpha;
    }
    // White text with `alpha` drawn over `under`.
    static bool textAt(int x, int y, int alpha, int under) {
        int v = blend(255, alpha, under);
        return near(readPixel(x, y), v, v, v);
    }
    // Palette colour `index` drawn with `alpha` over a grey `under`.
    static bool colourAt(int x, int y, int index, int alpha, int under) {
        SDL_Color c = paletteColour(index);
        return near(readPixel(x, y), blend(c.r, alpha, under), blend(c.g, alpha, under), blend(c.b, alpha, under));
    }
};

TEST(FormatTime, MinutesAndHours) {
    EXPECT_EQ(formatTime(0), "0:00");
    EXPECT_EQ(formatTime(59), "0:00");
    EXPECT_EQ(formatTime(60), "0:01");
    EXPECT_EQ(formatTime(3599), "0:59");
    EXPECT_EQ(formatTime(3600), "1:00");
    EXPECT_EQ(formatTime(36000), "10:00");
    EXPECT_EQ(formatTime(3600 * 60 - 1), "59:59");
    EXPECT_EQ(formatTime(216000), "1:00:00");
    EXPECT_EQ(formatTime(223380), "1:02:03");
    EXPECT_EQ(formatTime(216000 * 12 + 60 * 65), "12:01:05");
    EXPECT_EQ(formatTime(-100), "0:00");
    EXPECT_EQ(formatTime(2147483647), "9942:03:14");
}

TEST_F(ScreensTest, TitleFadesInHoldsAndFadesOut) {
    game.titleFrames = 60;
    drawTitle();
    EXPECT_EQ(game.titleFrames, 61);
    EXPECT_TRUE(near(readPixel(320, 120), 0, 0, 0));

    const struct {
        int frames;
        int alpha;
        bool drawn;
    } cases[] = {{61, 3, true}, {120, 204, true}, {240, 204, true}, {270, 102, true}, {300, 0, false}, {1019, 0, false}};
    for (const auto& c : cases) {
        clearScreen(0);
        game.titleFrames = c.frames;
        drawTitle();
        EXPECT_EQ(game.titleFrames, c.frames + 1);
        if (c.drawn) {
            EXPECT_EQ(alphaOf(assets.font->sprite), c.alpha) << c.frames;
        }
        // "KESTRAVEL" at scale 0.5: 45 wide and 20 high around (320, 120).
        EXPECT_TRUE(textAt(320, 120, c.drawn ? c.alpha : 0, 0)) << c.frames;
        EXPECT_TRUE(textAt(298, 110, c.drawn ? c.alpha : 0, 0)) << c.frames;
        EXPECT_TRUE(near(readPixel(296, 120), 0, 0, 0));
        EXPECT_TRUE(near(readPixel(320, 109), 0, 0, 0));
    }

    game.titleFrames = 1020;
    drawTitle();
    EXPECT_EQ(game.titleFrames, 1020);
    game.titleFrames = 100;
    flow.paused = 1;
    drawTitle();
    EXPECT_EQ(game.titleFrames, 100);
}

TEST_F(ScreensTest, StarRowRightAfterAPickUp) {
    progress.collectedStarCount = 1;
    game.starPopupTimer = 239;
    hazards.starPopupX = 300;
    hazards.starPopupY = 300;
    drawStarRow();
    EXPECT_FLOAT_EQ(hazards.starPopupX, 300 + (124 - 300) * 0.04f);
    EXPECT_FLOAT_EQ(hazards.starPopupY, 300 + (84 - 300) * 0.04f);
    EXPECT_EQ(alphaOf(assets.stars[1]), 3);
    EXPECT_EQ(alphaOf(assets.stars[0]), 252);
    EXPECT_EQ(alphaOf(assets.stars[2]), 255);

    EXPECT_TRUE(near(readPixel(slotX(0) + 5, 90), 0, 0, 0));  // the star is still flying
    for (int n = 1; n < 10; n++) EXPECT_TRUE(colourAt(slotX(n) + 5, 90, 21, 3, 0)) << n;
    // The flying star at (293, 291): the filled look with the room look at 252 over it.
    SDL_Color room = paletteColour(20);
    SDL_Color filled = paletteColour(22);
    EXPECT_TRUE(near(readPixel(293, 291), blend(room.r, 252, filled.r), blend(room.g, 252, filled.g),
                     blend(room.b, 252, filled.b)));
    EXPECT_TRUE(near(readPixel(292, 291), 0, 0, 0));
    EXPECT_TRUE(near(readPixel(293 + 24, 291), 0, 0, 0));
}

TEST_F(ScreensTest, StarRowPhases) {
    progress.collectedStarCount = 1;
    hazards.starPopupX = 300;
    hazards.starPopupY = 300;

    // Fading out: the slot shows the filled star, nothing flies.
    game.starPopupTimer = 79;
    drawStarRow();
    EXPECT_EQ(alphaOf(assets.stars[2]), 251);
    EXPECT_TRUE(colourAt(slotX(0) + 5, 90, 22, 251, 0));
    EXPECT_TRUE(colourAt(slotX(1) + 5, 90, 21, 251, 0));
    EXPECT_TRUE(near(readPixel(300, 300), 0, 0, 0));

    // Holding: full strength, the star flies without its room look.
    clearScreen(0);
    game.starPopupTimer = 120;
    drawStarRow();
    EXPECT_EQ(alphaOf(assets.stars[1]), 255);
    EXPECT_EQ(alphaOf(assets.stars[0]), 255);
    EXPECT_TRUE(near(readPixel(slotX(0) + 5, 90), 0, 0, 0));
    EXPECT_TRUE(colourAt(int(hazards.starPopupX + 0.5f) + 3, int(hazards.starPopupY + 0.5f) + 3, 22, 255, 0));

    // Nothing at all once the timer has run out.
    clearScreen(0);
    game.starPopupTimer = 0;
    drawStarRow();
    for (int n = 0; n < 10; n++) EXPECT_TRUE(near(readPixel(slotX(n) + 5, 90), 0, 0, 0));
}

TEST_F(ScreensTest, StarRowWhilePaused) {
    flow.paused = 1;
    flow.menuPage = MENU_MAIN;
    progress.collectedStarCount = 3;
    game.starPopupTimer = 0;
    drawStarRow();
    for (int n = 0; n < 10; n++) EXPECT_TRUE(colourAt(slotX(n) + 5, 90, n < 3 ? 22 : 21, 255, 0)) << n;

    for (int page : {MENU_CONTROLS, MENU_ABOUT}) {
        clearScreen(0);
        flow.menuPage = page;
        game.starPopupTimer = 200;  // even mid pop-up
        drawStarRow();
        for (int n = 0; n < 10; n++) EXPECT_TRUE(near(readPixel(slotX(n) + 5, 90), 0, 0, 0));
    }

    clearScreen(0);
    flow.menuPage = MENU_MAIN;
    progress.collectedStarCount = 0;
    drawStarRow();
    for (int n = 0; n < 10; n++) EXPECT_TRUE(near(readPixel(slotX(n) + 5, 90), 0, 0, 0));
}

TEST_F(ScreensTest, CompletedRowHoldsAtFullStrength) {
    progress.collectedStarCount = 10;
    game.gameComplete = 1;
    game.starPopupTimer = 0;
    hazards.starPopupX = float(slotX(9));
    hazards.starPopupY = 84;
    for (int i = 0; i < 500; i++) drawStarRow();
    EXPECT_EQ(game.starPopupTimer, 120);
    for (int n = 0; n < 10; n++) EXPECT_TRUE(colourAt(slotX(n) + 5, 90, 22, 255, 0)) << n;
    EXPECT_FLOAT_EQ(hazards.starPopupX, float(slotX(9)));

    game.starPopupTimer = 200;  // a later value is left alone
    drawStarRow();
    EXPECT_EQ(game.starPopupTimer, 200);
}

TEST_F(ScreensTest, CompletionStatistics) {
    game.gameComplete = 1;
    game.timeFrames = 223380;
    game.deathCount = 12;
    drawCompletionStats();
    EXPECT_EQ(alphaOf(assets.font->sprite), 204);
    // Line height 40 at 0.335: 13 pixels around each row's y.
    for (int y : {192, 240, 288, 336}) {
        EXPECT_TRUE(textAt(256, y, 204, 0)) << y;
        EXPECT_TRUE(textAt(448, y, 204, 0)) << y;
        EXPECT_TRUE(near(readPixel(256, y - 8), 0, 0, 0)) << y;
    }
    // "1:02:03" is 7 glyphs: 23.45 wide around 448.
    EXPECT_TRUE(textAt(437, 192, 204, 0));
    EXPECT_TRUE(near(readPixel(435, 192), 0, 0, 0));

    clearScreen(0);
    flow.paused = 1;
    drawCompletionStats();
    EXPECT_TRUE(near(readPixel(256, 192), 0, 0, 0));
    flow.paused = 0;
    game.gameComplete = 0;
    drawCompletionStats();
    EXPECT_TRUE(near(readPixel(256, 192), 0, 0, 0));
}

TEST_F(ScreensTest, MainMenuHighlightsTheSelection) {
    flow.paused = 1;
    flow.menuPage = MENU_MAIN;
    flow.menuSelection = MENU_SHOW_CONTROLS;
    drawPauseMenu();
    EXPECT_TRUE(near(readPixel(5, 5), VEIL, VEIL, VEIL));
    EXPECT_TRUE(near(readPixel(639, 479), VEIL, VEIL, VEIL));

    // Others at 0.25: 10 high, e.g. CONTINUE over rows 163..172 and x 310..329.
    EXPECT_TRUE(textAt(320, 163, 160, VEIL));
    EXPECT_TRUE(textAt(320, 172, 160, VEIL));
    EXPECT_TRUE(textAt(310, 168, 160, VEIL));
    EXPECT_TRUE(near(readPixel(320, 162), VEIL, VEIL, VEIL));
    EXPECT_TRUE(near(readPixel(320, 173), VEIL, VEIL, VEIL));
    EXPECT_TRUE(near(readPixel(309, 168), VEIL, VEIL, VEIL));
    EXPECT_TRUE(textAt(320, 328, 160, VEIL));  // EXIT

    // The selection at 0.3: CONTROLS 12 high over rows 242..253, x 308..331.
    EXPECT_TRUE(textAt(320, 242, 225, VEIL));
    EXPECT_TRUE(textAt(320, 253, 225, VEIL));
    EXPECT_TRUE(textAt(308, 248, 225, VEIL));
    EXPECT_TRUE(textAt(331, 248, 225, VEIL));
    EXPECT_TRUE(near(readPixel(320, 241), VEIL, VEIL, VEIL));
    EXPECT_TRUE(near(readPixel(320, 254), VEIL, VEIL, VEIL));
    EXPECT_TRUE(near(readPixel(307, 248), VEIL, VEIL, VEIL));
    EXPECT_TRUE(near(readPixel(332, 248), VEIL, VEIL, VEIL));

    clearScreen(0);
    flow.paused = 0;
    drawPauseMenu();
    EXPECT_TRUE(near(readPixel(5, 5), 0, 0, 0));
}

TEST_F(ScreensTest, ControlsPageWithKeyboardIcons) {
    flow.paused = 1;
    flow.menuPage = MENU_CONTROLS;
    screen.lastInputDevice = 0;
    drawPauseMenu();
    EXPECT_EQ(alphaOf(assets.narrowKeys), 192);
    EXPECT_EQ(alphaOf(assets.wideKeys), 192);
    // Icons sit 24 above their row; narrow n is colour 36 + n, wide n colour 30 + n.
    const struct {
        int x, y, colour;
    } icons[] = {{276, 91, 40}, {324, 91, 41}, {396, 91, 36}, {444, 91, 37}, {300, 151, 42}, {420, 151, 38},
                 {336, 211, 33}, {360, 271, 43}, {312, 331, 31}, {408, 331, 39}};
    for (const auto& icon : icons) {
        EXPECT_TRUE(colourAt(icon.x, icon.y, icon.colour, 192, VEIL)) << icon.x << "," << icon.y;
        EXPECT_TRUE(colourAt(icon.x + 20, icon.y + 20, icon.colour, 192, VEIL)) << icon.x << "," << icon.y;
        EXPECT_TRUE(near(readPixel(icon.x - 1, icon.y), VEIL, VEIL, VEIL)) << icon.x << "," << icon.y;
    }
    EXPECT_TRUE(near(readPixel(365, 91), VEIL, VEIL, VEIL));  // no controller icon
    // Labels at 0.25 centred on x 192; each glyph is cut to 2 of its 2.5 pixels, so 190 is inside for all.
    for (int y : {115, 175, 235, 295, 345, 377}) EXPECT_TRUE(textAt(190, y, 192, VEIL)) << y;
    EXPECT_TRUE(near(readPixel(192, 361), VEIL, VEIL, VEIL));
}

TEST_F(ScreensTest, ControlsPageWithControllerIcons) {
    flow.paused = 1;
    flow.menuPage = MENU_CONTROLS;
    screen.lastInputDevice = 1;
    drawPauseMenu();
    const struct {
        int x, y, colour;
    } icons[] = {{360, 91, 46}, {360, 151, 44}, {336, 211, 34}, {360, 271, 45}, {336, 331, 35}};
    for (const auto& icon : icons) {
        EXPECT_TRUE(colourAt(icon.x + 2, icon.y + 2, icon.colour, 192, VEIL)) << icon.x << "," << icon.y;
    }
    // Exactly one icon per row: the keyboard places stay empty.
    for (int x : {280, 330, 400, 450}) EXPECT_TRUE(near(readPixel(x, 95), VEIL, VEIL, VEIL)) << x;
    for (int x : {305, 425}) EXPECT_TRUE(near(readPixel(x, 155), VEIL, VEIL, VEIL)) << x;
    EXPECT_TRUE(near(readPixel(415, 335), VEIL, VEIL, VEIL));
}

TEST_F(ScreensTest, AboutPage) {
    flow.paused = 1;
    flow.menuPage = MENU_ABOUT;
    drawPauseMenu();
    EXPECT_TRUE(textAt(320, 86, 192, VEIL));    // KESTRAVEL at 0.5: rows 86..105
    EXPECT_TRUE(textAt(320, 105, 192, VEIL));
    EXPECT_TRUE(near(readPixel(320, 85), VEIL, VEIL, VEIL));
    EXPECT_TRUE(textAt(320, 278, 192, VEIL));   // LANTERNS ON THE QUAY
    EXPECT_TRUE(textAt(319, 437, 192, VEIL));   // 1.6 at 0.125: 1-pixel glyphs at 318, 319, 320
    EXPECT_TRUE(near(readPixel(321, 437), VEIL, VEIL, VEIL));
    EXPECT_TRUE(near(readPixel(319, 440), VEIL, VEIL, VEIL));
    for (int y : {168, 198, 248, 308, 358, 388}) EXPECT_TRUE(textAt(320, y, 192, VEIL)) << y;
    EXPECT_TRUE(near(readPixel(320, 225), VEIL, VEIL, VEIL));
}

TEST_F(ScreensTest, FrameRateText) {
    // Digits in their own colours, 20 wide: 2 pixels each at scale 0.1.
    std::vector<TestGlyph> digits;
    for (int c = '0'; c <= '9'; c++) digits.push_back({c, 20});
    digits.push_back({'.', 20});
    ASSERT_TRUE(writeFontImage(dir + "/digits.png", 0, 41, digits));
    freeFont(assets.font);
    assets.font = loadFont(dir + "/digits.png");
    ASSERT_NE(assets.font, nullptr);
    setFontAlpha(assets.font, 40);

    shell.fpsEstimate = 59.98f;
    drawFps();
    EXPECT_TRUE(near(readPixel(0, 0), 0, 0, 0));  // off by default
    shell.showFps = 1;
    drawFps();
    const int expected[] = {5, 9, 10, 9, 8};  // "59.98"
    for (int i = 0; i < 5; i++) EXPECT_EQ(paletteAt(2 * i, 0), expected[i]) << i;
    EXPECT_EQ(paletteAt(2 * 5, 0), -1);
    EXPECT_EQ(paletteAt(0, 3), 5);  // 4 rows high
    EXPECT_EQ(paletteAt(0, 4), -1);
}

TEST_F(ScreensTest, SplashLogoIsCentred) {
    flow.introFrames = 10;
    drawSplash();
    EXPECT_EQ(paletteAt(270, 215), 23);
    EXPECT_EQ(paletteAt(369, 264), 23);
    EXPECT_EQ(paletteAt(269, 215), -1);
    clearScreen(0);
    flow.introFrames = 75;
    drawSplash();
    EXPECT_EQ(paletteAt(300, 240), -1);
}

TEST_F(ScreensTest, MissingFontAndIconsLeaveTheMenuSilent) {
    freeAssets();
    flow.paused = 1;
    game.gameComplete = 1;
    shell.showFps = 1;
    for (int page : {MENU_MAIN, MENU_CONTROLS, MENU_ABOUT}) {
        flow.menuPage = page;
        drawStarRow();
        drawPauseMenu();
        drawFps();
    }
    flow.paused = 0;
    clearScreen(0);
    drawCompletionStats();
    drawTitle();
    EXPECT_TRUE(near(readPixel(320, 120), 0, 0, 0));
    EXPECT_TRUE(near(readPixel(256, 192), 0, 0, 0));
}

}  // namespace
