#pragma once
// Drawing one whole frame: room, player, preview, fades, then the screens.
#include <cstdint>

struct FrameState {
    int32_t previewScreenY;   // screen y of the jump preview when last drawn
};
extern FrameState frame;

void drawFrame();
int tileFrame(int32_t flags, int32_t direction, int column, int row);  // -1 for none
// Background, tiles and room stars of the current zone with the sheet of its distance.
void drawRoom();
