// Every picture of the game: tile sheets, the cloaked player, stars, key icons, the studio logo
// and the application icon. All drawn from shapes and seeded noise, so reruns give the same files.
#include <algorithm>
#include <cmath>

#include "tools/assetgen/assetgen.h"
#include "tools/assetgen/paint.h"
#include "world/manifest.h"

namespace {

const float PI = 3.14159265358979f;

bool save(const std::string& dataDir, const std::string& path, const Canvas& c) {
    return writePng(inDataFolder(dataDir, path), c.width, c.height, c.pixels());
}

// Where a cell of a tile sheet starts.
int sheetCell(int cell) { return cell * TILE_SIZE; }

// ---------------------------------------------------------------- sheets

// One colour family per distance: deep blue at 0 through teal, green, gold and orange to red.
const int SHEET_HUES[10][3] = {
    {52, 84, 162}, {40, 108, 170}, {34, 134, 160}, {40, 146, 122}, {92, 150, 72},
    {168, 156, 54}, {206, 136, 48}, {216, 102, 40}, {210, 64, 40}, {222, 38, 36},
};

Rgba sheetColour(int d) { return rgb8(SHEET_HUES[d][0], SHEET_HUES[d][1], SHEET_HUES[d][2]); }

// A lighter glow of the family, drifting to white at the hot end.
Rgba sheetGlow(int d) {
    Rgba base = sheetColour(d);
    return mix(base, rgb8(255, 250, 235), 0.45f + 0.04f * d);
}

// Cells are painted in a local frame where "up" is away from the carrying wall or screen edge;
// dir 0 up, 1 right, 2 down, 3 left.
void toLocal(int dir, float x, float y, float& u, float& v) {
    switch (dir) {
    case 1: u = y; v = 40.0f - x; break;
    case 2: u = 40.0f - x; v = 40.0f - y; break;
    case 3: u = 40.0f - y; v = x; break;
    default: u = x; v = y; break;
    }
}

Shape turned(int dir, Shape s) {
    return [dir, s](float x, float y) {
        float u, v;
        toLocal(dir, x, y, u, v);
        return s(u, v);
    };
}

std::function<Rgba(float, float)> turnedColour(int dir, std::function<Rgba(float, float)> f) {
    return [dir, f](float x, float y) {
        float u, v;
        toLocal(dir, x, y, u, v);
        return f(u, v);
    };
}

// Pips on a 3 x 3 grid in dice order, so a count reads at a glance without colour.
const int PIP_LAYOUT[10][9] = {
    {0, 0, 0, 0, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 1, 0, 0, 0, 0}, {1, 0, 0, 0, 0, 0, 0, 0, 1},
    {1, 0, 0, 0, 1, 0, 0, 0, 1}, {1, 0, 1, 0, 0, 0, 1, 0, 1}, {1, 0, 1, 0, 1, 0, 1, 0, 1},
    {1, 0, 1, 1, 0, 1, 1, 0, 1}, {1, 0, 1, 1, 1, 1, 1, 0, 1}, {1, 1, 1, 1, 0, 1, 1, 1, 1},
    {1, 1, 1, 1, 1, 1, 1, 1, 1},
};

Canvas wallTile(int d) {
    Canvas c(40, 40);
    // Stone rather than plastic: the family colour, a little greyed.
    Rgba base = mix(sheetColour(d), rgb8(120, 118, 124), 0.2f - 0.014f * d);
    // Highlights warm up with the heat instead of bleaching to pink.
    Rgba light = mix(base, mix(rgb8(255, 255, 255), rgb8(255, 214, 150), d / 9.0f), 0.5f);
    Rgba dim = shade(base, 0.5f);
    uint32_t seed = 1000u + uint32_t(d);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x) {
            float fx = x + 0.5f, fy = y + 0.5f;
            float n = 0.6f * valueNoise(fx, fy, 6.0f, seed) + 0.4f * valueNoise(fx, fy, 2.5f, seed + 1);
            float grain = 0.74f + 0.34f * n + 0.08f * (hashNoise(x, y, seed) - 0.5f);
            Rgba col = shade(base, grain);
            int top = y, left = x, bottom = 39 - y, right = 39 - x;
            int lit = std::min(top, left), dark = std::min(bottom, right);
            if (std::min(lit, dark) == 0) {
                col = shade(base, 0.3f);  // the joint between blocks
            } else if (dark <= 2 && dark <= lit) {
                col = mix(col, dim, dark == 1 ? 0.85f : 0.5f);
            } else if (lit <= 2) {
                col = mix(col, light, lit == 1 ? 0.6f : 0.3f);
            }
            c.set(x, y, col);
        }
    // Chips, and from distance 6 on, cracks that glow with the heat.
    Rng rng(seed * 2654435761u);
    for (int i = 0; i < 6; ++i) {
        int x = 4 + int(rng.unit() * 32), y = 4 + int(rng.unit() * 32);
        if (x > 9 && x < 30 && y > 9 && y < 30) continue;
        c.blend(x, y, shade(base, 0.5f), 0.8f);
        c.blend(x + 1, y + 1, light, 0.5f);
    }
    Rgba crack = d >= 6 ? mix(rgb8(255, 170, 60), rgb8(255, 250, 220), (d - 6) / 3.0f) : shade(base, 0.45f);
    float crackAlpha = d >= 6 ? 0.45f + 0.15f * (d - 6) : 0.6f;
    float cx = 3.5f + rng.unit() * 3.0f, cy = 32.0f + rng.unit() * 4.0f;
    for (int i = 0; i < 8; ++i) {
        c.blend(int(cx), int(cy), crack, crackAlpha);
        cx += 0.9f;
        cy += (rng.unit() - 0.6f) * 1.6f;
    }
    cx = 36.5f - rng.unit() * 3.0f;
    cy = 3.5f + rng.unit() * 4.0f;
    for (int i = 0; i < 6; ++i) {
        c.blend(int(cx), int(cy), crack, crackAlpha);
        cy += 0.9f;
        cx -= (rng.unit() - 0.3f) * 1.4f;
    }
    // A carved socket that carries the distance pips: shadow on its upper rim, light on its lower.
    fill(c, roundRect(10.0f, 10.0f, 30.0f, 30.0f, 3.5f), withAlpha(light, 0.55f));
    fill(c, roundRect(10.0f, 10.0f, 29.0f, 29.0f, 3.5f), shade(base, 0.32f));
    fill(c, roundRect(11.0f, 11.0f, 29.0f, 29.0f, 3.0f), shade(base, 0.5f));
    Rgba pip = sheetGlow(d);
    for (int i = 0; i < 9; ++i) {
        if (!PIP_LAYOUT[d][i]) continue;
        float px = 14.5f + 5.5f * (i % 3), py = 14.5f + 5.5f * (i / 3);
        fill(c, circle(px, py, 2.8f), withAlpha(pip, 0.22f));
        fill(c, circle(px, py, 1.7f), pip);
    }
    return c;
}

Canvas backgroundTile(int d) {
    Canvas c(40, 40);
    Rgba base = sheetColour(d);
    Rgba night = rgb8(12, 12, 20);
    Rgba skyTop = mix(shade(base, 0.22f), night, 0.3f);
    Rgba skyLow = mix(shade(base, 0.46f), rgb8(60, 58, 64), 0.15f);
    Rgba far = mix(shade(base, 0.3f), night, 0.25f);
    Rgba near = mix(shade(base, 0.2f), night, 0.35f);
    uint32_t seed = 2000u + uint32_t(d);
    float phase = d * 0.7f;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x) {
            float fx = x + 0.5f, fy = y + 0.5f;
            float t = fy / 40.0f;
            Rgba col = mix(skyTop, skyLow, t);
            // A faint glow high up on the right, soft enough that its blocks do not show.
            float gd = std::hypot(fx - 29.0f, (fy - 9.0f) * 1.33f);
            col = mix(col, mix(base, rgb8(255, 255, 255), 0.3f), 0.2f * std::exp(-gd * gd / 30.0f));
            // Thin haze bands drifting across the sky.
            float haze = valueNoise(fx * 0.5f, fy * 2.5f, 6.0f, seed + 9);
            col = mix(col, skyLow, 0.18f * haze * (1.0f - t));
            // Two layers of distant ridges, the nearer one darker.
            float ridgeFar = 23.0f + 3.0f * std::sin(fx * 0.21f + phase) + 3.0f * valueNoise(fx, 0, 6.0f, seed);
            float ridgeNear = 30.0f + 2.0f * std::sin(fx * 0.33f + phase * 1.7f + 1.0f) +
                              2.5f * valueNoise(fx, 0, 5.0f, seed + 3);
            if (fy > ridgeFar) col = mix(far, skyLow, 0.35f * std::min(1.0f, (fy - ridgeFar) / 12.0f));
            if (fy > ridgeNear) col = mix(near, far, 0.3f * valueNoise(fx, fy, 4.0f, seed + 5));
            c.set(x, y, col);
        }
    return c;
}

Canvas checkpointTile(int d) {
    Canvas c(40, 40);
    Rgba metal = mix(rgb8(60, 62, 72), sheetColour(d), 0.25f);
    Rgba metalLight = mix(metal, rgb8(230, 230, 230), 0.35f);
    Rgba flame = rgb8(255, 214, 120);
    Rgba dark = rgb8(18, 18, 26);
    // Halo first, under everything.
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x) {
            float dd = std::hypot(x + 0.5f - 20.0f, (y + 0.5f - 14.0f) * 0.9f);
            // Cut off where it would only tint the whole cell.
            float a = 0.5f * std::exp(-dd * dd / 90.0f) - 0.03f;
            if (a > 0.0f) c.blend(x, y, rgb8(255, 210, 120), a);
        }
    Shape post = roundRect(18.5f, 22.0f, 21.5f, 37.0f, 1.0f);
    Shape foot = unite(roundRect(12.0f, 35.5f, 28.0f, 40.0f, 1.5f), roundRect(15.0f, 33.0f, 25.0f, 36.5f, 1.0f));
    Shape cap = polygon({12.0f, 7.0f, 28.0f, 7.0f, 23.5f, 2.5f, 16.5f, 2.5f});
    Shape ring = subtract(circle(20.0f, 1.8f, 1.8f), circle(20.0f, 1.8f, 0.7f));
    Shape body = polygon({13.0f, 7.0f, 27.0f, 7.0f, 25.5f, 22.0f, 14.5f, 22.0f});
    Shape glass = polygon({15.3f, 8.8f, 24.7f, 8.8f, 23.6f, 20.3f, 16.4f, 20.3f});
    Shape sill = roundRect(13.5f, 21.0f, 26.5f, 23.5f, 1.0f);
    Shape all = unite(unite(unite(post, foot), unite(cap, ring)), unite(body, sill));
    fill(c, grow(all, 1.0f), dark);
    fillWith(c, unite(post, foot), [&](float x, float) { return x < 20.0f ? metalLight : metal; });
    fill(c, unite(cap, ring), metalLight);
    fill(c, body, metal);
    fill(c, sill, metalLight);
    fillWith(c, glass, [&](float x, float y) {
        float dd = std::hypot(x - 20.0f, (y - 15.5f) * 0.8f);
        return mix(rgb8(255, 255, 240), flame, std::min(1.0f, dd / 5.0f));
    });
    // Frame bar across the glass and the flame in its middle.
    fill(c, roundRect(19.5f, 8.8f, 20.5f, 20.3f, 0.0f), withAlpha(metal, 0.55f));
    fill(c, polygon({20.0f, 11.0f, 22.0f, 16.5f, 20.0f, 18.5f, 18.0f, 16.5f}), rgb8(255, 255, 255));
    return c;
}

// Three spikes standing on a riveted base plate, in the local "up" frame.
void spikeTile(Canvas& c, int d, int dir) {
    Rgba steel = mix(rgb8(218, 222, 230), sheetColour(d), 0.22f);
    Rgba steelDark = mix(shade(steel, 0.5f), sheetColour(d), 0.15f);
    Rgba plate = mix(rgb8(70, 72, 82), sheetColour(d), 0.2f);
    Rgba dark = rgb8(18, 18, 26);
    Shape base = roundRect(1.0f, 34.5f, 39.0f, 40.0f, 1.0f);
    auto blade = [](int i) {
        float x0 = 1.5f + 12.5f * i;
        return polygon({x0, 36.0f, x0 + 6.25f, 6.0f, x0 + 12.5f, 36.0f});
    };
    Shape blades = unite(unite(blade(0), blade(1)), blade(2));
    fill(c, turned(dir, grow(unite(base, blades), 1.0f)), dark);
    fillWith(c, turned(dir, blades), turnedColour(dir, [&](float u, float v) {
        float cell = std::fmod(u - 1.5f, 12.5f);
        float along = std::clamp((36.0f - v) / 30.0f, 0.0f, 1.0f);  // 0 at the base, 1 at the tip
        // Lit flank brightens toward the tip, with a thin glint beside the ridge.
        Rgba col = cell < 6.25f ? mix(shade(steel, 0.85f), rgb8(255, 255, 255), 0.35f * along)
                                : mix(steelDark, steel, 0.25f * along);
        if (cell > 4.9f && cell < 6.25f) col = mix(col, rgb8(255, 255, 255), 0.4f);
        return col;
    }));
    fillWith(c, turned(dir, base), turnedColour(dir, [&](float, float v) {
        return v < 35.8f ? shade(plate, 1.4f) : plate;
    }));
    for (int i = 0; i < 4; ++i) {
        float rx = 5.0f + 10.0f * i;
        fill(c, turned(dir, circle(rx, 37.5f, 1.0f)), shade(plate, 1.8f));
    }
}

void spikeBall(Canvas& c, int d) {
    Rgba steel = mix(rgb8(214, 218, 226), sheetColour(d), 0.22f);
    Rgba dark = rgb8(18, 18, 26);
    Shape ball = circle(20.0f, 20.0f, 8.5f);
    for (int i = 0; i < 8; ++i) {
        float a = i * PI / 4.0f + PI / 8.0f;
        float ax = std::cos(a), ay = std::sin(a);
        float px = -ay, py = ax;
        ball = unite(ball, polygon({20.0f + ax * 6.0f + px * 4.5f, 20.0f + ay * 6.0f + py * 4.5f, 20.0f + ax * 18.5f,
                                    20.0f + ay * 18.5f, 20.0f + ax * 6.0f - px * 4.5f, 20.0f + ay * 6.0f - py * 4.5f}));
    }
    fill(c, grow(ball, 1.0f), dark);
    fillWith(c, ball, [&](float x, float y) {
        float l = ((20.0f - x) + (20.0f - y)) / 30.0f;
        return shade(steel, 0.8f + 0.45f * l);
    });
    fill(c, circle(17.0f, 17.0f, 2.4f), withAlpha(rgb8(255, 255, 255), 0.7f));
}

// A glow along the screen edge with a chevron pointing out through it.
void edgeTile(Canvas& c, int d, int dir) {
    Rgba glow = sheetGlow(d);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x) {
            float u, v;
            toLocal(dir, x + 0.5f, y + 0.5f, u, v);
            float k = std::max(0.0f, 1.0f - v / 14.0f);
            c.blend(x, y, glow, 0.28f * k * k);
        }
    Shape chevron = unite(segment(13.0f, 15.0f, 20.0f, 8.0f, 1.6f), segment(20.0f, 8.0f, 27.0f, 15.0f, 1.6f));
    Shape tail = unite(segment(15.0f, 21.0f, 20.0f, 16.0f, 1.2f), segment(20.0f, 16.0f, 25.0f, 21.0f, 1.2f));
    fill(c, turned(dir, grow(chevron, 1.5f)), withAlpha(glow, 0.25f));
    fill(c, turned(dir, chevron), withAlpha(glow, 0.75f));
    fill(c, turned(dir, tail), withAlpha(glow, 0.35f));
}

Canvas sheet(int d) {
    Canvas s(sheetCell(SHEET_CELLS), TILE_SIZE);
    s.blit(wallTile(d), sheetCell(SHEET_WALL), 0);
    s.blit(backgroundTile(d), sheetCell(SHEET_BACKGROUND), 0);
    s.blit(checkpointTile(d), sheetCell(SHEET_CHECKPOINT), 0);
    {
        Canvas cell(TILE_SIZE, TILE_SIZE);
        spikeBall(cell, d);
        s.blit(cell, sheetCell(SHEET_SPIKE + DIR_NONE), 0);
    }
    for (int dir = DIR_UP; dir <= DIR_LEFT; ++dir) {
        Canvas cell(TILE_SIZE, TILE_SIZE);
        spikeTile(cell, d, dir);
        s.blit(cell, sheetCell(SHEET_SPIKE + dir), 0);
    }
    for (int dir = DIR_UP; dir <= DIR_LEFT; ++dir) {
        Canvas cell(TILE_SIZE, TILE_SIZE);
        edgeTile(cell, d, dir);
        s.blit(cell, sheetCell(SHEET_EDGE + dir), 0);
    }
    return s;
}

// ---------------------------------------------------------------- the player

struct Pose {
    float bob;        // body offset, down is positive
    float crouch;     // 0 upright .. 1 squatting
    float front, back;          // foot offsets from the centre
    float frontLift, backLift;  // feet off the ground
    float flare;      // hem swept back
    float billow;     // hem lifted by the air
    float arm;        // 0 down .. 1 raised
};

// In order they walk; CLOAK_STAND, CLOAK_RISE and the others name the ones the game also shows alone.
const Pose CLOAK_POSES[CLOAK_FRAMES] = {
    {0.0f, 0.0f, 3.0f, -3.0f, 0.0f, 0.0f, 0.15f, 0.0f, 0.0f},
    {0.5f, 0.1f, 5.5f, -5.0f, 0.0f, 0.0f, 0.35f, 0.1f, 0.2f},
    {-1.5f, 0.0f, 4.5f, -4.0f, 1.5f, 0.8f, 0.55f, 0.35f, 1.0f},
    {-0.5f, 0.0f, 2.0f, -2.5f, 0.0f, 2.0f, 0.4f, 0.15f, 0.4f},
    {0.0f, 0.0f, 2.5f, -3.5f, 0.0f, 0.0f, 0.2f, 0.0f, 0.0f},
    {0.0f, 0.0f, 4.0f, -5.0f, 1.0f, 0.5f, 0.65f, 1.0f, 0.6f},
    {2.5f, 1.0f, 5.5f, -5.5f, 0.0f, 0.0f, 0.7f, 0.2f, 0.3f},
    {1.0f, 0.3f, 4.5f, -2.0f, 1.5f, 0.0f, 0.3f, 0.05f, 0.2f},
};

Canvas cloakFrame(const Pose& p) {
    Canvas c(32, 32);
    Rgba cloth = rgb8(234, 224, 202);
    Rgba clothShade = rgb8(172, 156, 144);
    Rgba lining = rgb8(120, 84, 96);
    Rgba boot = rgb8(58, 46, 44);
    Rgba scarf = rgb8(222, 142, 52);
    Rgba hollow = rgb8(22, 20, 34);
    Rgba eye = rgb8(255, 226, 130);
    float b = p.bob;
    float squat = p.crouch;
    float headY = 9.0f + b + squat * 1.5f;
    float hemY = 27.5f + b * 0.3f - squat * 0.5f;
    float width = 1.0f + squat * 0.25f;

    Shape feet = unite(ellipse(16.0f + p.back, 30.2f - p.backLift, 3.0f, 1.9f),
                       ellipse(16.5f + p.front, 30.2f - p.frontLift, 3.2f, 1.9f));
    // Cloak: a bell from the shoulders to a hem that sweeps back and lifts with the air.
    float backHemX = 16.0f - 8.0f * width - p.flare * 3.5f;
    float backHemY = hemY - p.billow * 5.0f - p.flare * 1.5f;
    float frontHemX = 16.0f + 7.0f * width + p.flare * 0.5f;
    float frontHemY = hemY - p.billow * 3.0f;
    float midY = (headY + hemY) * 0.5f + 1.5f;
    // The hem as a curve from the front corner to the back one, sagging in the middle.
    const int HEM_STEPS = 8;
    std::vector<float> hem;
    for (int i = 0; i <= HEM_STEPS; ++i) {
        float t = float(i) / HEM_STEPS;
        float x = frontHemX + (backHemX - frontHemX) * t;
        float y = frontHemY + (backHemY - frontHemY) * t + (1.2f + p.billow * 2.0f) * std::sin(t * PI);
        hem.push_back(x);
        hem.push_back(y);
    }
    std::vector<float> outlinePts = {13.0f, headY + 3.0f, 20.5f, headY + 3.0f, 22.0f + 0.3f * p.flare,
                                     headY + 6.5f, frontHemX - 0.8f, midY + 2.0f};
    outlinePts.insert(outlinePts.end(), hem.begin(), hem.end());
    outlinePts.insert(outlinePts.end(), {backHemX + 1.5f - p.flare * 0.5f, midY + 1.0f, 11.5f - p.flare, headY + 6.0f});
    Shape body = polygon(outlinePts);
    auto hemAt = [&](float x) {
        for (int i = 0; i < HEM_STEPS; ++i) {
            float x0 = hem[2 * i], y0 = hem[2 * i + 1], x1 = hem[2 * i + 2], y1 = hem[2 * i + 3];
            if ((x <= x0 && x >= x1) || (x >= x0 && x <= x1)) {
                float t = std::abs(x1 - x0) > 1e-4f ? (x - x0) / (x1 - x0) : 0.0f;
                return y0 + (y1 - y0) * t;
            }
        }
        return 99.0f;
    };
    // The hood, with its tip trailing behind.
    Shape hood = unite(circle(17.5f, headY, 6.2f),
                       polygon({12.0f, headY - 3.5f, 6.5f - p.flare * 2.0f, headY - 5.5f - p.billow * 1.5f,
                                12.5f, headY + 1.5f}));
    // Sleeve from the shoulder to a gloved hand that lifts when rising.
    float handX = 21.5f + p.arm * 3.0f, handY = headY + 12.5f - p.arm * 7.0f;
    Shape sleeve = segment(18.5f, headY + 6.0f, handX - 0.8f, handY - 0.3f, 2.1f);
    fill(c, feet, boot);
    fillWith(c, body, [&](float x, float y) {
        float t = std::clamp((y - headY) / 20.0f, 0.0f, 1.0f);
        Rgba col = mix(cloth, clothShade, 0.15f + 0.5f * t);
        if (x < 15.0f) col = mix(col, clothShade, std::min(1.0f, (15.0f - x) / 8.0f) * 0.6f);
        // Folds running down the cloak.
        float fold = std::abs(x - (17.0f + (y - headY) * 0.15f));
        if (fold < 0.8f && y > headY + 7.0f) col = mix(col, clothShade, 0.6f);
        float fold2 = std::abs(x - (13.0f - (y - headY) * 0.25f * (1.0f + p.flare)));
        if (fold2 < 0.7f && y > headY + 9.0f) col = mix(col, clothShade, 0.45f);
        // The lining shows where the hem lifts.
        if (y > hemAt(x) - 1.2f - p.billow * 2.2f) col = mix(col, lining, 0.35f + 0.5f * p.billow);
        return col;
    });
    fillWith(c, hood, [&](float x, float y) {
        float l = ((x - 17.5f) * -0.2f + (y - headY) * -0.25f) / 4.0f;
        return mix(cloth, clothShade, std::clamp(0.3f - l, 0.0f, 1.0f));
    });
    // The face is only a shadow with two eyes under the hood.
    fill(c, ellipse(19.8f, headY + 0.7f, 3.3f, 3.6f), hollow);
    c.blend(19, int(headY + 0.5f), eye);
    c.blend(21, int(headY + 0.5f), eye);
    // Scarf and its loose end.
    fill(c, roundRect(13.0f, headY + 4.0f, 22.0f, headY + 6.2f, 1.0f), scarf);
    fill(c, polygon({13.5f, headY + 4.3f, 8.5f - p.flare * 3.0f, headY + 5.8f - p.billow * 2.0f, 9.5f - p.flare * 2.5f,
                     headY + 7.6f - p.billow * 1.5f, 14.0f, headY + 6.3f}),
         shade(scarf, 0.85f));
    fill(c, sleeve, mix(cloth, clothShade, 0.3f));
    fill(c, circle(handX, handY, 1.5f), boot);
    outline(c, rgb8(24, 20, 36));
    return c;
}

Canvas cloakSheet() {
    Canvas s(32 * CLOAK_FRAMES, 32);
    for (int i = 0; i < CLOAK_FRAMES; ++i) s.blit(cloakFrame(CLOAK_POSES[i]), 32 * i, 0);
    return s;
}

// ---------------------------------------------------------------- stars

std::vector<float> starPoints(float cx, float cy, float outer, float inner) {
    std::vector<float> v;
    for (int i = 0; i < 10; ++i) {
        float a = -PI / 2.0f + i * PI / 5.0f;
        float r = (i % 2) ? inner : outer;
        v.push_back(cx + std::cos(a) * r);
        v.push_back(cy + std::sin(a) * r);
    }
    return v;
}

// Facets: each point is lit on one side and shaded on the other.
Rgba facet(float x, float y, float cx, float cy, Rgba light, Rgba dark) {
    float a = std::atan2(y - cy, x - cx) + PI / 2.0f;
    float sector = std::fmod(a + 4.0f * PI, 2.0f * PI / 5.0f) / (2.0f * PI / 5.0f);
    float lit = sector < 0.5f ? 1.0f : 0.0f;
    float rim = std::min(1.0f, std::hypot(x - cx, y - cy) / 26.0f);
    return mix(mix(dark, light, lit), light, 0.25f * (1.0f - rim));
}

Canvas roomStar() {
    Canvas c(64, 64);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            float d = std::hypot(x + 0.5f - 32.0f, y + 0.5f - 33.0f);
            c.blend(x, y, rgb8(255, 220, 110), 0.5f * std::exp(-d * d / 260.0f));
        }
    Shape star = polygon(starPoints(32.0f, 33.5f, 26.0f, 11.0f));
    fill(c, grow(star, 1.6f), rgb8(120, 70, 20));
    fillWith(c, star, [](float x, float y) { return facet(x, y, 32.0f, 33.5f, rgb8(255, 230, 110), rgb8(232, 160, 40)); });
    fill(c, circle(26.0f, 25.0f, 2.2f), withAlpha(rgb8(255, 255, 240), 0.8f));
    return c;
}

Canvas emptySlotStar() {
    Canvas c(64, 64);
    Shape star = polygon(starPoints(32.0f, 33.5f, 26.0f, 11.0f));
    fill(c, star, withAlpha(rgb8(200, 210, 230), 0.14f));
    Shape ring = subtract(grow(star, 1.5f), grow(star, -1.5f));
    fill(c, ring, withAlpha(rgb8(220, 228, 245), 0.6f));
    return c;
}

Canvas filledSlotStar() {
    Canvas c(64, 64);
    Shape star = polygon(starPoints(32.0f, 33.5f, 28.0f, 12.0f));
    fill(c, grow(star, 2.0f), rgb8(140, 90, 20));
    fillWith(c, star, [](float x, float y) { return facet(x, y, 32.0f, 33.5f, rgb8(255, 246, 170), rgb8(255, 196, 60)); });
    fill(c, circle(25.0f, 24.0f, 2.5f), withAlpha(rgb8(255, 255, 255), 0.9f));
    return c;
}

// ---------------------------------------------------------------- key icons

const Rgba CAP_DARK = rgb8(26, 28, 36);
const Rgba CAP_LABEL = rgb8(40, 44, 56);

void keyCap(Canvas& c, float x0, float x1) {
    fill(c, roundRect(x0, 3.0f, x1, 46.0f, 8.0f), CAP_DARK);
    fill(c, roundRect(x0 + 1.5f, 4.5f, x1 - 1.5f, 44.5f, 7.0f), rgb8(128, 134, 148));
    fillWith(c, roundRect(x0 + 4.0f, 5.5f, x1 - 4.0f, 38.5f, 6.0f), [](float, float y) {
        return mix(rgb8(246, 247, 250), rgb8(206, 210, 220), std::clamp((y - 6.0f) / 32.0f, 0.0f, 1.0f));
    });
}

void label(Canvas& c, const std::string& text, int size, float cx, float cy, Rgba colour) {
    TextMask m;
    if (renderText(openSansPath("Bold"), size, text, m)) drawMaskCentred(c, m, cx, cy, colour);
}

// An arrow pointing up in a 48 x 48 cap, turned for the other directions.
void arrowKey(Canvas& c, int dir) {
    keyCap(c, 2.0f, 46.0f);
    Shape arrow = unite(polygon({24.0f, 10.0f, 34.0f, 21.0f, 14.0f, 21.0f}), roundRect(21.0f, 19.0f, 27.0f, 32.0f, 1.0f));
    Shape t = [dir, arrow](float x, float y) {
        // Turn about the face's centre (24, 22).
        float u = x - 24.0f, v = y - 22.0f, ru = u, rv = v;
        if (dir == 1) { ru = v; rv = -u; }
        if (dir == 3) { ru = -v; rv = u; }
        return arrow(ru + 24.0f, rv + 22.0f);
    };
    fill(c, t, CAP_LABEL);
}

void padButton(Canvas& c, Rgba body, const char* letter) {
    fill(c, circle(24.0f, 24.0f, 21.0f), CAP_DARK);
    fillWith(c, circle(24.0f, 24.0f, 19.5f), [&](float x, float y) {
        float l = ((24.0f - x) + (24.0f - y)) / 40.0f;
        return shade(body, 0.85f + 0.4f * l);
    });
    fill(c, subtract(circle(24.0f, 24.0f, 19.5f), circle(24.0f, 24.0f, 17.5f)), withAlpha(shade(body, 0.6f), 0.6f));
    TextMask m;
    if (renderText(openSansPath("Bold"), 26, letter, m)) {
        drawMaskCentred(c, m, 24.0f, 25.0f, withAlpha(CAP_DARK, 0.5f));
        drawMaskCentred(c, m, 24.0f, 24.0f, rgb8(255, 255, 255));
    }
}

void dpad(Canvas& c) {
    Shape cross = unite(roundRect(17.0f, 4.0f, 31.0f, 44.0f, 3.0f), roundRect(4.0f, 17.0f, 44.0f, 31.0f, 3.0f));
    fill(c, grow(cross, 1.5f), CAP_DARK);
    fillWith(c, cross, [](float x, float y) {
        float l = ((24.0f - x) + (24.0f - y)) / 60.0f;
        return shade(rgb8(110, 116, 130), 0.9f + 0.5f * l);
    });
    fill(c, circle(24.0f, 24.0f, 3.5f), withAlpha(CAP_DARK, 0.45f));
    // The arms the game uses (left and right) carry bright arrows, the others faint ones.
    Rgba bright = rgb8(255, 255, 255), faint = withAlpha(rgb8(230, 232, 240), 0.45f);
    fill(c, polygon({6.5f, 24.0f, 12.5f, 19.5f, 12.5f, 28.5f}), bright);
    fill(c, polygon({41.5f, 24.0f, 35.5f, 19.5f, 35.5f, 28.5f}), bright);
    fill(c, polygon({24.0f, 6.5f, 19.5f, 12.5f, 28.5f, 12.5f}), faint);
    fill(c, polygon({24.0f, 41.5f, 19.5f, 35.5f, 28.5f, 35.5f}), faint);
}

Canvas narrowKeys() {
    Canvas s(48 * NARROW_ICONS, 48);
    const struct {
        int icon, dir;
    } arrows[] = {{ICON_LEFT, DIR_LEFT}, {ICON_RIGHT, DIR_RIGHT}, {ICON_UP, DIR_UP}};
    for (const auto& arrow : arrows) {
        Canvas k(48, 48);
        arrowKey(k, arrow.dir);
        s.blit(k, 48 * arrow.icon, 0);
    }
    const struct {
        int icon;
        const char* letter;
    } letters[] = {{ICON_F, "F"}, {ICON_A, "A"}, {ICON_D, "D"}, {ICON_W, "W"}, {ICON_M, "M"}};
    for (const auto& letter : letters) {
        Canvas k(48, 48);
        keyCap(k, 2.0f, 46.0f);
        label(k, letter.letter, 24, 24.0f, 22.0f, CAP_LABEL);
        s.blit(k, 48 * letter.icon, 0);
    }
    Canvas a(48, 48), y(48, 48), pad(48, 48);
    padButton(a, rgb8(70, 176, 88), "A");
    padButton(y, rgb8(228, 184, 48), "Y");
    dpad(pad);
    s.blit(a, 48 * ICON_PAD_A, 0);
    s.blit(y, 48 * ICON_PAD_Y, 0);
    s.blit(pad, 48 * ICON_DPAD, 0);
    return s;
}

void padPill(Canvas& c, const char* text, bool menuGlyph) {
    fill(c, roundRect(6.0f, 8.0f, 90.0f, 40.0f, 16.0f), CAP_DARK);
    fillWith(c, roundRect(7.5f, 9.5f, 88.5f, 38.5f, 14.5f), [](float, float y) {
        return mix(rgb8(98, 104, 120), rgb8(60, 64, 76), std::clamp((y - 10.0f) / 28.0f, 0.0f, 1.0f));
    });
    Rgba ink = rgb8(245, 246, 250);
    if (menuGlyph) {
        for (int i = 0; i < 3; ++i) fill(c, roundRect(17.0f, 18.5f + 4.5f * i, 27.0f, 20.5f + 4.5f * i, 1.0f), ink);
    } else {
        fill(c, subtract(roundRect(15.0f, 17.0f, 25.0f, 27.0f, 1.5f), roundRect(17.0f, 19.0f, 23.0f, 25.0f, 0.5f)), ink);
        fill(c, roundRect(19.0f, 21.0f, 29.0f, 31.0f, 1.5f), ink);
    }
    label(c, text, 17, 56.0f, 24.0f, ink);
}

Canvas wideKeys() {
    Canvas s(96 * WIDE_ICONS, 48);
    const struct {
        int icon;
        const char* name;
    } keys[] = {{ICON_SPACE, "SPACE"}, {ICON_CTRL, "CTRL"}, {ICON_ENTER, "ENTER"}, {ICON_ESC, "ESC"}};
    for (const auto& key : keys) {
        Canvas k(96, 48);
        keyCap(k, 2.0f, 94.0f);
        label(k, key.name, 19, 48.0f, 22.0f, CAP_LABEL);
        s.blit(k, 96 * key.icon, 0);
    }
    Canvas start(96, 48), back(96, 48);
    padPill(start, "START", true);
    padPill(back, "BACK", false);
    s.blit(start, 96 * ICON_START, 0);
    s.blit(back, 96 * ICON_BACK, 0);
    return s;
}

// ---------------------------------------------------------------- logo and icon

Canvas studioLogo() {
    Canvas c(400, 120);
    Rgba amber = rgb8(240, 168, 64);
    Rgba ivory = rgb8(240, 232, 214);
    // Emblem: a ring around two peaks and a lantern spark.
    fill(c, subtract(circle(56.0f, 60.0f, 40.0f), circle(56.0f, 60.0f, 35.0f)), amber);
    Shape peaks = polygon({30.0f, 78.0f, 46.0f, 44.0f, 56.0f, 62.0f, 66.0f, 44.0f, 82.0f, 78.0f, 74.0f, 78.0f, 66.0f,
                           60.0f, 56.0f, 78.0f, 46.0f, 60.0f, 38.0f, 78.0f});
    fill(c, peaks, ivory);
    for (int y = 0; y < 120; ++y)
        for (int x = 0; x < 120; ++x) {
            float d = std::hypot(x + 0.5f - 56.0f, y + 0.5f - 36.0f);
            c.blend(x, y, amber, 0.6f * std::exp(-d * d / 30.0f));
        }
    fill(c, circle(56.0f, 36.0f, 3.5f), rgb8(255, 240, 200));
    // Wordmark with wide tracking.
    TextMask word;
    if (renderText(openSansPath("Bold"), 50, "MORVELT", word, 5)) drawMaskCentred(c, word, 254.0f, 57.0f, ivory);
    fill(c, roundRect(116.0f, 86.0f, 388.0f, 88.0f, 1.0f), withAlpha(amber, 0.9f));
    TextMask sub;
    if (renderText(openSansPath("Semibold"), 14, "G  A  M  E  S", sub)) drawMaskCentred(c, sub, 252.0f, 101.0f, amber);
    return c;
}

Canvas appIcon(const Canvas& cloak) {
    Canvas c(256, 256);
    Rgba top = sheetColour(2), low = sheetColour(0);
    fill(c, roundRect(8.0f, 8.0f, 248.0f, 248.0f, 44.0f), rgb8(16, 18, 28));
    fillWith(c, roundRect(12.0f, 12.0f, 244.0f, 244.0f, 40.0f), [&](float, float y) {
        return shade(mix(top, low, y / 256.0f), 0.8f);
    });
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) {
            float d = std::hypot(x + 0.5f - 128.0f, y + 0.5f - 120.0f);
            c.blend(x, y, rgb8(255, 230, 160), 0.3f * std::exp(-d * d / 5000.0f));
        }
    Canvas frame(32, 32);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) frame.set(x, y, cloak.get(x, y));
    // Centre the figure's own outline, not its 32 x 32 box.
    int minX = 32, maxX = -1, minY = 32, maxY = -1;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            if (frame.get(x, y).a > 0.0f) {
                minX = std::min(minX, x);
                maxX = std::max(maxX, x);
                minY = std::min(minY, y);
                maxY = std::max(maxY, y);
            }
    if (maxX < 0) return c;
    int f = 6;
    int w = (maxX - minX + 1) * f, h = (maxY - minY + 1) * f;
    c.blit(scaleNearest(frame, f), 128 - w / 2 - minX * f, 128 - h / 2 - minY * f);
    return c;
}

}  // namespace

bool generatePictures(const std::string& dataDir) {
    if (!makeDirs(inDataFolder(dataDir, ASSET_PICTURES_FOLDER))) return false;
    bool ok = true;
    for (int d = 0; d < 10; ++d) ok = save(dataDir, sheetFile(d), sheet(d)) && ok;
    Canvas cloak = cloakSheet();
    ok = save(dataDir, ASSET_CLOAK, cloak) && ok;
    ok = save(dataDir, ASSET_ROOM_STAR, roomStar()) && ok;
    ok = save(dataDir, ASSET_EMPTY_STAR, emptySlotStar()) && ok;
    ok = save(dataDir, ASSET_FILLED_STAR, filledSlotStar()) && ok;
    ok = save(dataDir, ASSET_NARROW_KEYS, narrowKeys()) && ok;
    ok = save(dataDir, ASSET_WIDE_KEYS, wideKeys()) && ok;
    ok = save(dataDir, ASSET_LOGO, studioLogo()) && ok;
    ok = save(dataDir, ASSET_ICON, appIcon(cloak)) && ok;
    return ok;
}
