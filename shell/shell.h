#pragma once
// Start-up, the frame loop and shutdown.
#include <cstdint>

struct ShellState {
    int32_t zoomLevel;            // 4..15, window scale = zoomLevel * 0.1
    int32_t pausePressed;         // this frame: ESCAPE or controller START held
    int32_t pauseWasPressed;      // pausePressed of the previous frame
    int32_t showFps;              // TAB toggles the frame-rate text
    float fpsEstimate;            // frames per second, recomputed every 60 frames
    int32_t fpsFrameCount;        // frames since the last recomputation
    int64_t fpsWindowStart;       // clock at the last recomputation, ms
    int64_t lastFrameTime;        // clock right after the previous frame wait, ms
    int32_t screenshotRequested;  // F12 seen; consumed just before presenting
    int32_t quitGame;             // ends the loop at the end of the frame
};
extern ShellState shell;

void resetShellState();           // program-start values, first clock reading
int runGame();                    // the whole program; main only calls this
bool runFrame();                  // one pass of the loop; false once the game should end
void handleGlobalKeys();          // pause edge, F12, TAB, fullscreen, Ctrl+W, zoom
void waitForFrameCap();           // sleep in 1 ms steps until 14 ms have passed
void updateFpsEstimate();
// Shows message (none when empty) and ends the process; allocates nothing of its own.
[[noreturn]] void fatalExit(const char* message);
// The new-handler while the game starts: memory ran out, say so and end.
[[noreturn]] void outOfMemoryExit();
