#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "render/font.h"
#include "render/sprite.h"
#include "tests/support/render_support.h"

using namespace rendertest;

namespace {

class FontTest : public RenderTest {
protected:
    void TearDown() override {
        freeFont(font);
        RenderTest::TearDown();
    }
    Font* load(int gap, int height, const std::vector<TestGlyph>& glyphs, int extraWidth = 0, int declared = -1) {
        std::string path = dir + "/font.png";
        if (!writeFontImage(path, gap, height, glyphs, nullptr, extraWidth, declared)) return nullptr;
        freeFont(font);
        font = loadFont(path);
        return font;
    }
    Font* loadRaw(int width, int height, const std::vector<int>& values) {
        std::string path = dir + "/raw.png";
        if (!writeMetadataImage(path, width, height, values)) return nullptr;
        freeFont(font);
        font = loadFont(path);
        return font;
    }
    // Glyphs must stay inside the image they are cut from.
    void expectInside(const Font* f) {
        for (const Glyph& glyph : f->glyphs) {
            EXPECT_GE(glyph.x, 0);
            EXPECT_GE(glyph.width, 0);
            EXPECT_LE(glyph.x + glyph.width, f->sprite->width);
        }
        EXPECT_GE(f->lineHeight, 1);
        EXPECT_LE(f->lineHeight, f->sprite->height - 1);
    }
    Font* font = nullptr;
};

TEST_F(FontTest, MetadataRowGivesLineHeightAndGlyphEdges) {
    ASSERT_NE(load(4, 100, {{'A', 10}, {'B', 12}, {'C', 8}}), nullptr);
    EXPECT_EQ(font->lineHeight, 95);
    ASSERT_EQ(font->glyphs.size(), 3u);
    EXPECT_EQ(font->glyphs[0].code, 'A');
    EXPECT_EQ(font->glyphs[0].x, 0);
    EXPECT_EQ(font->glyphs[1].x, 14);
    EXPECT_EQ(font->glyphs[2].x, 30);
    EXPECT_EQ(font->glyphs[2].width, 8);
    EXPECT_EQ(font->sprite->source.y, 0);
    EXPECT_EQ(font->sprite->source.h, 95);
}

TEST_F(FontTest, ValuesAboveOneByteUseGreenAndBlue) {
    // Code 0x2014 (em dash) and a glyph 300 pixels wide.
    ASSERT_NE(load(0, 10, {{0x2014, 300}, {'x', 2}}), nullptr);
    EXPECT_EQ(font->glyphs[0].code, 0x2014);
    EXPECT_EQ(font->glyphs[0].width, 300);
    EXPECT_EQ(font->glyphs[1].x, 300);
}

TEST_F(FontTest, ReadsAnyPixelLayout) {
    std::vector<int> values{3, 2, 'A', 4, 'B', 5};
    SDL_Surface* rgba = makeMetadataSurface(20, 12, values);
    ASSERT_NE(rgba, nullptr);
    for (Uint32 format : {SDL_PIXELFORMAT_RGB24, SDL_PIXELFORMAT_BGR888, SDL_PIXELFORMAT_ABGR8888}) {
        SDL_Surface* converted = SDL_ConvertSurfaceFormat(rgba, format, 0);
        ASSERT_NE(converted, nullptr);
        Font f{};
        ASSERT_TRUE(readFontMetadata(converted, &f)) << SDL_GetPixelFormatName(format);
        EXPECT_EQ(f.lineHeight, 8);
        ASSERT_EQ(f.glyphs.size(), 2u);
        EXPECT_EQ(f.glyphs[1].code, 'B');
        EXPECT_EQ(f.glyphs[1].x, 7);
        SDL_FreeSurface(converted);
    }
    SDL_FreeSurface(rgba);

    // A palette image: the value is the palette entry's colour, not its index.
    SDL_Surface* indexed = SDL_CreateRGBSurfaceWithFormat(0, 8, 4, 8, SDL_PIXELFORMAT_INDEX8);
    ASSERT_NE(indexed, nullptr);
    SDL_Color colours[4] = {{255, 255, 255, 255}, {1, 0, 0, 255}, {65, 0, 0, 255}, {6, 0, 0, 255}};
    SDL_SetPaletteColors(indexed->format->palette, colours, 0, 4);
    Uint8* row = static_cast<Uint8*>(indexed->pixels) + 3 * indexed->pitch;
    const Uint8 line[8] = {1, 1, 2, 3, 0, 0, 0, 0};  // gap 1, one glyph 'A' 6 wide
    std::memcpy(row, line, 8);
    Font f{};
    ASSERT_TRUE(readFontMetadata(indexed, &f));
    EXPECT_EQ(f.lineHeight, 2);
    ASSERT_EQ(f.glyphs.size(), 1u);
    EXPECT_EQ(f.glyphs[0].code, 'A');
    EXPECT_EQ(f.glyphs[0].width, 6);
    SDL_FreeSurface(indexed);
}

TEST_F(FontTest, MalformedMetadataStaysInsideTheImage) {
    // Far more glyphs than the row can describe: cut to (width - 2) / 2.
    ASSERT_NE(loadRaw(10, 20, {0, 255, 'a', 1, 'b', 1, 'c', 1, 'd', 1, 'e', 1}), nullptr);
    EXPECT_EQ(font->glyphs.size(), 4u);
    expectInside(font);

    // Glyphs running past the right edge are cut there, and later ones are dropped.
    ASSERT_NE(loadRaw(20, 10, {2, 3, 'a', 15, 'b', 15, 'c', 15}), nullptr);
    ASSERT_EQ(font->glyphs.size(), 2u);
    EXPECT_EQ(font->glyphs[1].x, 17);
    EXPECT_EQ(font->glyphs[1].width, 3);
    expectInside(font);

    // Enormous widths and gaps must not overflow the running position.
    ASSERT_NE(loadRaw(12, 0x30, {0x20, 5, 'a', 0xFFFFFF, 'b', 0xFFFFFF, 'c', 3, 'd', 3}), nullptr);
    expectInside(font);

    // The gap leaves no line height.
    EXPECT_EQ(loadRaw(10, 10, {9, 1, 'a', 2}), nullptr);
    EXPECT_EQ(loadRaw(10, 10, {200, 1, 'a', 2}), nullptr);
    ASSERT_NE(loadRaw(10, 10, {8, 1, 'a', 2}), nullptr);
    EXPECT_EQ(font->lineHeight, 1);

    // Too small to hold the gap and the count.
    EXPECT_EQ(loadRaw(1, 1, {0}), nullptr);
    EXPECT_EQ(loadRaw(1, 40, {0}), nullptr);
    EXPECT_EQ(loadRaw(2, 1, {0, 0}), nullptr);  // a lone metadata row has no glyph rows
    ASSERT_NE(loadRaw(2, 5, {0, 3}), nullptr);   // room for no glyph at all
    EXPECT_TRUE(font->glyphs.empty());

    SDL_Surface* empty = SDL_CreateRGBSurfaceWithFormat(0, 8, 0, 32, SDL_PIXELFORMAT_RGBA32);
    if (empty) {
        Font f{};
        EXPECT_FALSE(readFontMetadata(empty, &f));
        SDL_FreeSurface(empty);
    }
    Font f{};
    EXPECT_FALSE(readFontMetadata(nullptr, &f));

    EXPECT_EQ(loadFont(dir + "/missing.png"), nullptr);
    EXPECT_EQ(loadFont(""), nullptr);
}

TEST_F(FontTest, CentredTextKeepsFractionsBetweenGlyphs) {
    ASSERT_NE(load(2, 41, {{'a', 10}, {'b', 20}}), nullptr);  // line height 38
    clearScreen(0);
    drawText(font, 320, 100, "ab", 0.5f, true, false);
    // The first glyph starts at 312.5: drawn at 312, 5 wide; the second at 317.5: drawn at 317, 10 wide.
    EXPECT_EQ(paletteAt(311, 105), -1);
    EXPECT_EQ(paletteAt(312, 105), 0);
    EXPECT_EQ(paletteAt(316, 105), 0);
    EXPECT_EQ(paletteAt(317, 105), 1);
    EXPECT_EQ(paletteAt(326, 105), 1);
    EXPECT_EQ(paletteAt(327, 105), -1);
    // Height trunc(38 * 0.5) = 19 from y 100.
    EXPECT_EQ(paletteAt(320, 118), 1);
    EXPECT_EQ(paletteAt(320, 119), -1);

    clearScreen(0);
    drawText(font, 100, 100, "a", 1.0f, true, true);  // middle of the line at y 100
    EXPECT_EQ(paletteAt(95, 81), 0);
    EXPECT_EQ(paletteAt(95, 80), -1);
    EXPECT_EQ(paletteAt(95, 118), 0);
    EXPECT_EQ(paletteAt(95, 119), -1);
    EXPECT_EQ(paletteAt(94, 100), -1);
}

TEST_F(FontTest, MissingCharactersNeitherDrawNorAdvance) {
    ASSERT_NE(load(1, 21, {{'a', 10}, {'b', 6}, {'a', 3}}), nullptr);
    clearScreen(0);
    drawText(font, 50, 50, "a?\xC3\xA9\xF0\x9F\x98\x80\xFFzb", 1.0f, false, false);
    EXPECT_EQ(paletteAt(50, 55), 0);  // the first 'a' wins
    EXPECT_EQ(paletteAt(59, 55), 0);
    EXPECT_EQ(paletteAt(60, 55), 1);
    EXPECT_EQ(paletteAt(65, 55), 1);
    EXPECT_EQ(paletteAt(66, 55), -1);

    // Centring counts only the glyphs found: 16 pixels, so 'a' starts at 92.
    clearScreen(0);
    drawText(font, 100, 50, "a?b", 1.0f, true, false);
    EXPECT_EQ(paletteAt(91, 55), -1);
    EXPECT_EQ(paletteAt(92, 55), 0);
    EXPECT_EQ(paletteAt(107, 55), 1);
    EXPECT_EQ(paletteAt(108, 55), -1);

    clearScreen(0);
    drawText(font, 100, 50, "", 1.0f, true, true);
    drawText(font, 100, 50, "zzz", 1.0f, false, false);
    drawText(nullptr, 100, 50, "ab", 1.0f, true, true);
    for (int x = 80; x < 130; x += 3) EXPECT_EQ(paletteAt(x, 55), -1);
}

TEST_F(FontTest, AlphaIsClamped) {
    ASSERT_NE(load(1, 21, {{'a', 10}}), nullptr);
    SDL_Color c = paletteColour(0);
    setFontAlpha(font, 300);
    clearScreen(0);
    drawText(font, 0, 0, "a", 1.0f, false, false);
    EXPECT_TRUE(near(readPixel(5, 5), c.r, c.g, c.b));
    setFontAlpha(font, 100);
    clearScreen(0);
    drawText(font, 0, 0, "a", 1.0f, false, false);
    EXPECT_TRUE(near(readPixel(5, 5), blend(c.r, 100, 0), blend(c.g, 100, 0), blend(c.b, 100, 0)));
    setFontAlpha(nullptr, 10);
    Font empty{};
    setFontAlpha(&empty, 10);
    drawText(&empty, 0, 0, "a", 1.0f, true, true);
}

}  // namespace
