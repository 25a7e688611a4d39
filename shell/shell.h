#pragma once
// Start-up, the frame loop and shutdown.
#include <cstdint>
#include <string>

struct ShellState {
    int32_t zoomLevel;            // 4..15, window scale = zoomLevel * 0.1
    int32_t pausePressed;         // this frame: ESCAPE or controller START held
    int32_t pauseWasPressed;      // pausePressed of the previous frame
    int32_t showFps;              // TAB toggles the frame-rate text
    float fpsEstimate;            // frames per second, recomputed every 60 frames
    int32_t fpsFrameCount;        // frames since the last recomputation
    int32_t fpsWindowStart;       // clock at the last recomputation, ms
    int32_t lastFrameTime;        // clock right after the previous frame wait, ms
    int32_t screenshotRequested;  // F12 seen; consumed just before presenting
    int32_t quitGame;             // ends the loop at the end of the frame
};
extern ShellState shell;

constexpr int32_t FRAME_CAP_MS = 14;  // the least time from one frame to the next

void resetShellState();           // program-start values, first clock reading
int runGame();                    // the whole program; main only calls this
bool runFrame();                  // one pass of the loop; false once the game should end
void handleGlobalKeys();          // pause edge, F12, TAB, fullscreen, Ctrl+W, zoom
void waitForFrameCap();           // sleep in 1 ms steps until 14 ms have passed
void updateFpsEstimate();
[[noreturn]] void fatalExit(const std::string& message);
