#include "tools/assetgen/paint.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <sys/stat.h>

Rgba rgb8(int r, int g, int b, int a) { return {r / 255.0f, g / 255.0f, b / 255.0f, a / 255.0f}; }

Rgba mix(Rgba a, Rgba b, float t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t, a.a + (b.a - a.a) * t};
}

Rgba shade(Rgba c, float f) {
    return {std::clamp(c.r * f, 0.0f, 1.0f), std::clamp(c.g * f, 0.0f, 1.0f), std::clamp(c.b * f, 0.0f, 1.0f), c.a};
}

Rgba withAlpha(Rgba c, float a) { return {c.r, c.g, c.b, a}; }

Rgba Canvas::get(int x, int y) const {
    if (x < 0 || y < 0 || x >= width || y >= height) return {0, 0, 0, 0};
    return px[size_t(y) * size_t(width) + size_t(x)];
}

void Canvas::set(int x, int y, Rgba c) {
    if (x < 0 || y < 0 || x >= width || y >= height) return;
    px[size_t(y) * size_t(width) + size_t(x)] = c;
}

void Canvas::blend(int x, int y, Rgba c, float cov) {
    if (x < 0 || y < 0 || x >= width || y >= height) return;
    float sa = std::clamp(c.a * cov, 0.0f, 1.0f);
    if (sa <= 0.0f) return;
    Rgba& d = px[size_t(y) * size_t(width) + size_t(x)];
    float oa = sa + d.a * (1.0f - sa);
    if (oa <= 0.0f) {
        d = {0, 0, 0, 0};
        return;
    }
    d.r = (c.r * sa + d.r * d.a * (1.0f - sa)) / oa;
    d.g = (c.g * sa + d.g * d.a * (1.0f - sa)) / oa;
    d.b = (c.b * sa + d.b * d.a * (1.0f - sa)) / oa;
    d.a = oa;
}

void Canvas::blit(const Canvas& src, int x, int y) {
    for (int j = 0; j < src.height; ++j)
        for (int i = 0; i < src.width; ++i) blend(x + i, y + j, src.get(i, j));
}

std::vector<uint32_t> Canvas::pixels() const {
    std::vector<uint32_t> out(px.size());
    auto q = [](float v) { return uint32_t(std::lround(std::clamp(v, 0.0f, 1.0f) * 255.0f)); };
    for (size_t i = 0; i < px.size(); ++i) {
        const Rgba& p = px[i];
        uint32_t a = q(p.a);
        // Fully transparent pixels carry no colour, so the files stay small and stable.
        if (a == 0) {
            out[i] = 0;
            continue;
        }
        out[i] = q(p.r) | (q(p.g) << 8) | (q(p.b) << 16) | (a << 24);
    }
    return out;
}

Shape circle(float cx, float cy, float r) {
    return [=](float x, float y) { return std::hypot(x - cx, y - cy) - r; };
}

Shape ellipse(float cx, float cy, float rx, float ry) {
    return [=](float x, float y) {
        float u = (x - cx) / rx, v = (y - cy) / ry;
        return (std::sqrt(u * u + v * v) - 1.0f) * std::min(rx, ry);
    };
}

Shape roundRect(float x0, float y0, float x1, float y1, float radius) {
    float cx = (x0 + x1) * 0.5f, cy = (y0 + y1) * 0.5f;
    float hx = (x1 - x0) * 0.5f - radius, hy = (y1 - y0) * 0.5f - radius;
    return [=](float x, float y) {
        float qx = std::abs(x - cx) - hx, qy = std::abs(y - cy) - hy;
        float ox = std::max(qx, 0.0f), oy = std::max(qy, 0.0f);
        return std::hypot(ox, oy) + std::min(std::max(qx, qy), 0.0f) - radius;
    };
}

Shape polygon(std::vector<float> v) {
    return [v](float px, float py) {
        size_t n = v.size() / 2;
        if (n < 3) return 1e9f;
        float d = 1e30f;
        bool inside = false;
        for (size_t i = 0, j = n - 1; i < n; j = i++) {
            float xi = v[2 * i], yi = v[2 * i + 1], xj = v[2 * j], yj = v[2 * j + 1];
            float ex = xj - xi, ey = yj - yi, wx = px - xi, wy = py - yi;
            float len2 = ex * ex + ey * ey;
            float t = len2 > 0 ? std::clamp((wx * ex + wy * ey) / len2, 0.0f, 1.0f) : 0.0f;
            float dx = wx - ex * t, dy = wy - ey * t;
            d = std::min(d, dx * dx + dy * dy);
            if ((yi > py) != (yj > py) && px < (xj - xi) * (py - yi) / (yj - yi) + xi) inside = !inside;
        }
        float dist = std::sqrt(d);
        return inside ? -dist : dist;
    };
}

Shape segment(float x0, float y0, float x1, float y1, float hw) {
    return [=](float px, float py) {
        float ex = x1 - x0, ey = y1 - y0, wx = px - x0, wy = py - y0;
        float len2 = ex * ex + ey * ey;
        float t = len2 > 0 ? std::clamp((wx * ex + wy * ey) / len2, 0.0f, 1.0f) : 0.0f;
        return std::hypot(wx - ex * t, wy - ey * t) - hw;
    };
}

Shape unite(Shape a, Shape b) {
    return [=](float x, float y) { return std::min(a(x, y), b(x, y)); };
}
Shape subtract(Shape a, Shape b) {
    return [=](float x, float y) { return std::max(a(x, y), -b(x, y)); };
}
Shape intersect(Shape a, Shape b) {
    return [=](float x, float y) { return std::max(a(x, y), b(x, y)); };
}
Shape grow(Shape a, float by) {
    return [=](float x, float y) { return a(x, y) - by; };
}

float coverage(const Shape& s, int x, int y) {
    // Four samples per pixel keep corners and thin tips honest where the distance is rough.
    static const float offs[4][2] = {{0.3f, 0.3f}, {0.7f, 0.3f}, {0.3f, 0.7f}, {0.7f, 0.7f}};
    float sum = 0.0f;
    for (auto& o : offs) sum += std::clamp(0.5f - s(x + o[0], y + o[1]) * 2.0f, 0.0f, 1.0f);
    return sum * 0.25f;
}

void fill(Canvas& c, const Shape& s, Rgba colour) {
    for (int y = 0; y < c.height; ++y)
        for (int x = 0; x < c.width; ++x) {
            float cov = coverage(s, x, y);
            if (cov > 0.0f) c.blend(x, y, colour, cov);
        }
}

void fillWith(Canvas& c, const Shape& s, const std::function<Rgba(float, float)>& colourAt) {
    for (int y = 0; y < c.height; ++y)
        for (int x = 0; x < c.width; ++x) {
            float cov = coverage(s, x, y);
            if (cov > 0.0f) c.blend(x, y, colourAt(x + 0.5f, y + 0.5f), cov);
        }
}

void outline(Canvas& c, Rgba colour, float threshold) {
    Canvas rim(c.width, c.height);
    for (int y = 0; y < c.height; ++y)
        for (int x = 0; x < c.width; ++x) {
            float best = 0.0f;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) {
                    float a = c.get(x + dx, y + dy).a;
                    if (dx != 0 && dy != 0) a *= 0.6f;  // softer diagonal corners
                    best = std::max(best, a);
                }
            if (best > threshold) rim.set(x, y, withAlpha(colour, colour.a * std::min(1.0f, best * 1.4f)));
        }
    // The figure goes on top of its rim.
    rim.blit(c, 0, 0);
    c = rim;
}

Canvas scaleNearest(const Canvas& c, int f) {
    Canvas out(c.width * f, c.height * f);
    for (int y = 0; y < out.height; ++y)
        for (int x = 0; x < out.width; ++x) out.set(x, y, c.get(x / f, y / f));
    return out;
}

std::string openSansPath(const char* style) {
    std::string path = std::string("/usr/share/fonts/truetype/open-sans/OpenSans-") + style + ".ttf";
    struct stat st;
    if (stat(path.c_str(), &st) == 0) return path;
    return "/usr/share/fonts/truetype/open-sans/OpenSans-Regular.ttf";
}

bool openFace(const std::string& fontPath, FT_Library& lib, FT_Face& face) {
    if (FT_Init_FreeType(&lib)) return false;
    if (FT_New_Face(lib, fontPath.c_str(), 0, &face) == 0) return true;
    FT_Done_FreeType(lib);
    return false;
}

bool renderText(const std::string& fontPath, int pixelSize, const std::string& text, TextMask& out, int tracking) {
    FT_Library lib;
    FT_Face face;
    if (!openFace(fontPath, lib, face)) return false;
    FT_Set_Pixel_Sizes(face, 0, FT_UInt(pixelSize));
    int ascent = int(face->size->metrics.ascender >> 6);
    int lineH = int((face->size->metrics.ascender - face->size->metrics.descender) >> 6) + 2;
    // First pass: pen positions and the ink box.
    struct Placed {
        std::vector<uint8_t> bits;
        int w, h, x, y;
    };
    std::vector<Placed> placed;
    long pen = 0;  // 26.6
    FT_UInt prev = 0;
    int minX = 1 << 30, maxX = -(1 << 30), minY = 1 << 30, maxY = -(1 << 30);
    for (unsigned char ch : text) {
        FT_UInt gi = FT_Get_Char_Index(face, ch);
        if (prev && gi && FT_HAS_KERNING(face)) {
            FT_Vector k;
            FT_Get_Kerning(face, prev, gi, FT_KERNING_DEFAULT, &k);
            pen += k.x;
        }
        if (FT_Load_Glyph(face, gi, FT_LOAD_RENDER | FT_LOAD_TARGET_NORMAL)) continue;
        FT_GlyphSlot g = face->glyph;
        Placed p;
        p.w = int(g->bitmap.width);
        p.h = int(g->bitmap.rows);
        p.x = int((pen + 32) >> 6) + g->bitmap_left;
        p.y = ascent - g->bitmap_top;
        p.bits.resize(size_t(p.w) * size_t(p.h));
        for (int r = 0; r < p.h; ++r)
            for (int col = 0; col < p.w; ++col)
                p.bits[size_t(r) * size_t(p.w) + size_t(col)] = g->bitmap.buffer[r * g->bitmap.pitch + col];
        if (p.w > 0 && p.h > 0) {
            minX = std::min(minX, p.x);
            maxX = std::max(maxX, p.x + p.w);
            minY = std::min(minY, p.y);
            maxY = std::max(maxY, p.y + p.h);
        }
        pen += g->advance.x + tracking * 64;
        prev = gi;
        placed.push_back(std::move(p));
    }
    FT_Done_Face(face);
    FT_Done_FreeType(lib);
    (void)lineH;
    if (minX > maxX) return false;
    out.width = maxX - minX;
    out.height = maxY - minY;
    out.baseline = ascent - minY;
    out.alpha.assign(size_t(out.width) * size_t(out.height), 0.0f);
    for (auto& p : placed)
        for (int r = 0; r < p.h; ++r)
            for (int col = 0; col < p.w; ++col) {
                int x = p.x + col - minX, y = p.y + r - minY;
                float& a = out.alpha[size_t(y) * size_t(out.width) + size_t(x)];
                a = std::min(1.0f, a + p.bits[size_t(r) * size_t(p.w) + size_t(col)] / 255.0f);
            }
    return true;
}

void drawMaskCentred(Canvas& c, const TextMask& m, float cx, float cy, Rgba colour) {
    int x0 = int(std::lround(cx - m.width * 0.5f)), y0 = int(std::lround(cy - m.height * 0.5f));
    for (int y = 0; y < m.height; ++y)
        for (int x = 0; x < m.width; ++x) {
            float a = m.alpha[size_t(y) * size_t(m.width) + size_t(x)];
            if (a > 0.0f) c.blend(x0 + x, y0 + y, colour, a);
        }
}

uint32_t Rng::next() {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
}

float Rng::unit() { return float(next() >> 8) / float(1u << 24); }

float hashNoise(int x, int y, uint32_t seed) {
    uint32_t h = uint32_t(x) * 374761393u + uint32_t(y) * 668265263u + seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    h ^= h >> 16;
    return float(h & 0xffffff) / float(0xffffff);
}

float valueNoise(float x, float y, float cell, uint32_t seed) {
    float fx = x / cell, fy = y / cell;
    int ix = int(std::floor(fx)), iy = int(std::floor(fy));
    float tx = fx - ix, ty = fy - iy;
    tx = tx * tx * (3 - 2 * tx);
    ty = ty * ty * (3 - 2 * ty);
    float a = hashNoise(ix, iy, seed), b = hashNoise(ix + 1, iy, seed);
    float c = hashNoise(ix, iy + 1, seed), d = hashNoise(ix + 1, iy + 1, seed);
    return (a + (b - a) * tx) + ((c + (d - c) * tx) - (a + (b - a) * tx)) * ty;
}
