#pragma once
// Small painting kit for the generated pictures: float RGBA canvas, antialiased shapes
// from signed distances, FreeType text masks and a seeded noise source.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <ft2build.h>
#include FT_FREETYPE_H

struct Rgba {
    float r, g, b, a;  // 0..1, straight alpha
};

Rgba rgb8(int r, int g, int b, int a = 255);
Rgba mix(Rgba a, Rgba b, float t);
Rgba shade(Rgba c, float factor);  // scales rgb, keeps alpha
Rgba withAlpha(Rgba c, float a);

struct Canvas {
    int width = 0;
    int height = 0;
    std::vector<Rgba> px;
    Canvas() = default;
    Canvas(int w, int h) : width(w), height(h), px(size_t(w) * size_t(h), Rgba{0, 0, 0, 0}) {}
    Rgba get(int x, int y) const;
    void set(int x, int y, Rgba c);
    void blend(int x, int y, Rgba c, float coverage = 1.0f);  // source over
    void blit(const Canvas& src, int x, int y);
    std::vector<uint32_t> pixels() const;  // packed for writePng
};

// Signed distance (negative inside), in pixels, at a point given in canvas coordinates.
using Shape = std::function<float(float x, float y)>;

Shape circle(float cx, float cy, float r);
Shape ellipse(float cx, float cy, float rx, float ry);
Shape roundRect(float x0, float y0, float x1, float y1, float radius);
Shape polygon(std::vector<float> xy);  // x0, y0, x1, y1, ... in order
Shape segment(float x0, float y0, float x1, float y1, float halfWidth);
Shape unite(Shape a, Shape b);
Shape subtract(Shape a, Shape b);
Shape intersect(Shape a, Shape b);
Shape grow(Shape a, float by);

// Fills a shape with a colour, or with a colour chosen per pixel centre.
void fill(Canvas& c, const Shape& s, Rgba colour);
void fillWith(Canvas& c, const Shape& s, const std::function<Rgba(float x, float y)>& colourAt);
// Coverage of one pixel by a shape (0..1).
float coverage(const Shape& s, int x, int y);

// Paints a dark rim around everything not fully transparent.
void outline(Canvas& c, Rgba colour, float threshold = 0.35f);
// Scales up by a whole factor with nearest pixels.
Canvas scaleNearest(const Canvas& c, int factor);

// Text rendered with FreeType into an alpha mask.
struct TextMask {
    int width = 0;
    int height = 0;
    int baseline = 0;  // rows from the top to the baseline
    std::vector<float> alpha;
};
std::string openSansPath(const char* style);  // "Regular", "Bold", ...
// A font file opened with FreeType; false leaves nothing to free.
bool openFace(const std::string& fontPath, FT_Library& lib, FT_Face& face);
// tracking: extra pixels after each letter.
bool renderText(const std::string& fontPath, int pixelSize, const std::string& text, TextMask& out, int tracking = 0);
// Draws a mask centred on (cx, cy) (the ink box, not the line box).
void drawMaskCentred(Canvas& c, const TextMask& m, float cx, float cy, Rgba colour);

// Deterministic noise: a xorshift generator and a hash of lattice points.
struct Rng {
    uint32_t state;
    explicit Rng(uint32_t seed) : state(seed ? seed : 0x9e3779b9u) {}
    uint32_t next();
    float unit();  // 0 .. 1
};
float hashNoise(int x, int y, uint32_t seed);  // 0 .. 1
float valueNoise(float x, float y, float cell, uint32_t seed);  // smooth 0 .. 1

// Creates a folder and its parents; true when it exists afterwards.
bool makeDirs(const std::string& path);
