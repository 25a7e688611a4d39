#include "render/frame.h"
// stub: to be implemented
FrameState frame;
void drawFrame() {}
int tileFrame(int32_t, int32_t, int, int) { return -1; }
