#include "tools/world/boxes.h"

#include <cmath>

#include "gameplay/hazards.h"
#include "gameplay/state.h"
#include "render/sprite.h"
#include "world/world.h"

namespace {

constexpr int BOXES_LINE = 3;   // px, thick enough to survive the map's shrinking
constexpr int BOXES_FEET = 6;   // px of the floor spike's bottom edge drawn
constexpr int BOXES_POINT = 6;  // px across a marked point

void outline(int x, int y, int w, int h, Colour colour) {
    fillRect(x, y, w, BOXES_LINE, colour);
    fillRect(x, y + h - BOXES_LINE, w, BOXES_LINE, colour);
    fillRect(x, y + BOXES_LINE, BOXES_LINE, h - 2 * BOXES_LINE, colour);
    fillRect(x + w - BOXES_LINE, y + BOXES_LINE, BOXES_LINE, h - 2 * BOXES_LINE, colour);
}

// A point in zone pixels (y up) as a small square on the screen.
void point(float x, float y, Colour colour) {
    int left = static_cast<int>(std::lround(x)) - BOXES_POINT / 2;
    int top = ZONE_HEIGHT - static_cast<int>(std::lround(y)) - BOXES_POINT / 2;
    fillRect(left, top, BOXES_POINT, BOXES_POINT, colour);
}

}  // namespace

void drawKillZones() {
    const Colour middle = rgba(255, 40, 40, 230);
    const Colour inside = rgba(255, 40, 40, 60);
    const Colour feet = rgba(255, 230, 40, 255);
    for (int index = 0; index < ZONE_TILES; ++index) {
        if (room.tileFlags[index] != TILE_SPIKE) continue;
        int x = (index % ZONE_COLUMNS) * TILE_SIZE;
        int top = ZONE_HEIGHT - (index / ZONE_COLUMNS + 1) * TILE_SIZE;
        fillRect(x, top, TILE_SIZE, TILE_SIZE, inside);
        outline(x, top, TILE_SIZE, TILE_SIZE, middle);
        if (room.tileDirection[index] == DIR_UP)
            fillRect(x, top + TILE_SIZE - BOXES_FEET, TILE_SIZE, BOXES_FEET, feet);
    }
}

void drawPlayerBox() {
    const Colour box = rgba(60, 230, 255, 255);
    const Colour feet = rgba(255, 230, 40, 255);
    int left = static_cast<int>(std::lround(player.x));
    int top = ZONE_HEIGHT - static_cast<int>(std::lround(player.y + player.height));
    outline(left, top, static_cast<int>(player.width), static_cast<int>(player.height), box);
    point(player.x + player.width * 0.5f, player.y + player.height * 0.5f, rgba(255, 40, 40, 255));
    point(player.x + player.width * HAZARD_FOOT_LEFT, player.y, feet);
    point(player.x + player.width * HAZARD_FOOT_RIGHT, player.y, feet);
}
