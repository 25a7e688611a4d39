// The game's bitmap font: Open Sans glyphs in one strip, their table in the bottom row.
// Semibold, because the game shrinks text with nearest-pixel sampling and thinner strokes break up.
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>

#include "tools/assetgen/assetgen.h"
#include "tools/assetgen/paint.h"
#include "world/manifest.h"

namespace {

const int FONT_LINE_HEIGHT = 96;
const int FONT_GAP = 4;  // keeps filtered glyphs from sampling their neighbours
const int FONT_FIRST = 32;
const int FONT_LAST = 126;

struct GlyphImage {
    int code;
    int width;                  // the advance: text has no other spacing
    std::vector<uint8_t> alpha; // width x FONT_LINE_HEIGHT
};

// Picks the pixel size whose ascender-to-descender span fills the line.
int pixelSizeForLine(FT_Face face) {
    int best = 8;
    for (int size = 8; size < 200; ++size) {
        FT_Set_Pixel_Sizes(face, 0, FT_UInt(size));
        double span = double(face->ascender - face->descender) * size / face->units_per_EM;
        if (span > FONT_LINE_HEIGHT - 1) break;
        best = size;
    }
    return best;
}

bool rasterise(const std::string& fontPath, std::vector<GlyphImage>& out) {
    FT_Library lib;
    FT_Face face;
    if (!openFace(fontPath, lib, face)) return false;
    int size = pixelSizeForLine(face);
    FT_Set_Pixel_Sizes(face, 0, FT_UInt(size));
    double span = double(face->ascender - face->descender) * size / face->units_per_EM;
    double ascent = double(face->ascender) * size / face->units_per_EM;
    // Centre the span in the line so neither accents nor descenders touch its edges.
    int baseline = int(std::lround(ascent + (FONT_LINE_HEIGHT - span) * 0.5));
    bool ok = true;
    for (int code = FONT_FIRST; code <= FONT_LAST && ok; ++code) {
        FT_UInt gi = FT_Get_Char_Index(face, FT_ULong(code));
        // Unhinted outlines: at this size hinting adds nothing and would tie the picture to one FreeType.
        if (FT_Load_Glyph(face, gi, FT_LOAD_RENDER | FT_LOAD_NO_HINTING)) {
            ok = false;
            break;
        }
        FT_GlyphSlot g = face->glyph;
        GlyphImage img;
        img.code = code;
        img.width = std::max(1, int(std::lround(double(g->linearHoriAdvance) / 65536.0)));
        img.alpha.assign(size_t(img.width) * FONT_LINE_HEIGHT, 0);
        int bw = int(g->bitmap.width), bh = int(g->bitmap.rows);
        int left = g->bitmap_left;
        // Ink that would hang outside the cell is nudged in; the cell is all the game draws.
        if (left < 0) left = 0;
        if (left + bw > img.width) left = std::max(0, img.width - bw);
        int top = baseline - g->bitmap_top;
        for (int r = 0; r < bh; ++r) {
            int y = top + r;
            if (y < 0 || y >= FONT_LINE_HEIGHT) continue;
            for (int c = 0; c < bw; ++c) {
                int x = left + c;
                if (x < 0 || x >= img.width) continue;
                img.alpha[size_t(y) * size_t(img.width) + size_t(x)] = g->bitmap.buffer[r * g->bitmap.pitch + c];
            }
        }
        out.push_back(std::move(img));
    }
    FT_Done_Face(face);
    FT_Done_FreeType(lib);
    return ok;
}

}  // namespace

bool generateFont(const std::string& dataDir) {
    std::vector<GlyphImage> glyphs;
    if (!rasterise(openSansPath("Semibold"), glyphs)) return false;
    int n = int(glyphs.size());
    int width = 0;
    for (auto& g : glyphs) width += g.width + FONT_GAP;
    width = std::max(width, 2 + 2 * n);
    int height = FONT_LINE_HEIGHT + FONT_GAP + 1;
    std::vector<uint32_t> px(size_t(width) * size_t(height), 0);
    int x0 = 0;
    for (auto& g : glyphs) {
        for (int y = 0; y < FONT_LINE_HEIGHT; ++y)
            for (int x = 0; x < g.width; ++x) {
                uint32_t a = g.alpha[size_t(y) * size_t(g.width) + size_t(x)];
                if (a) px[size_t(y) * size_t(width) + size_t(x0 + x)] = 0x00ffffffu | (a << 24);
            }
        x0 += g.width + FONT_GAP;
    }
    // The table: a value is red + green * 256 + blue * 65536, opaque so no decoder drops it.
    auto put = [&](int x, int value) {
        uint32_t v = uint32_t(value) & 0xffffffu;
        px[size_t(height - 1) * size_t(width) + size_t(x)] = v | 0xff000000u;
    };
    put(0, FONT_GAP);
    put(1, n);
    for (int i = 0; i < n; ++i) {
        put(2 + 2 * i, glyphs[size_t(i)].code);
        put(3 + 2 * i, glyphs[size_t(i)].width);
    }
    const std::string path = inDataFolder(dataDir, ASSET_FONT);
    if (!makeDirs(path.substr(0, path.rfind('/')))) return false;
    return writePng(path, width, height, px);
}
