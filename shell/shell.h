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
    int64_t fpsWindowStart;       // clock at the last recomputation, ms
    int64_t lastFrameTime;        // clock right after the previous frame wait, ms
    int32_t screenshotRequested;  // F12 seen; consumed just before presenting
    int32_t quitGame;             // ends the loop at the end of the frame
};
extern ShellState shell;

constexpr int32_t FRAME_CAP_MS = 14;  // the least time from one frame to the next

constexpr const char* WINDOW_TITLE = "Kestravel  -  Ctrl+F for Fullscreen";

// How a game starts: the program's own way, or a tool's or a test's.
enum GameDisplay {
    GAME_HEADLESS,   // nothing of SDL: the world and the update, keys held through the replay record
    GAME_OFFSCREEN,  // an offscreen window drawn in software with every picture and the font, no sound; keys
                     // held through the replay record
    GAME_WINDOW,     // the program's own: SDL, the sound output, the window and every asset, keys from the keyboard
};
struct GameStart {
    GameDisplay display = GAME_HEADLESS;
    std::string worldFile;                   // the world to play; "": the data folder's own, found as the game finds it
    const std::string* worldText = nullptr;  // the world itself, read as a world file reads, instead of a file
    bool skipIntro = true;                   // from the first frame after the logo; the program shows it
};
// Every record to its program-start value, then SDL, the screen, the assets and the world as the display asks,
// and the player at the world's start. False, with the message the game shows for the step that failed, when
// the data folder, SDL, the sound output or the window cannot be had; the pictures are only looked for where
// a world file is named, and a folder without them leaves them out.
bool startGame(const GameStart& start, const char*& failure);
// A new game on the world already read: every record but the world, the screen and the assets at its
// program-start value, the player at the world's start, the intro over, keys held through the replay record.
void restartHeadlessGame();
// Every record but the world's, the screen's and the assets' at its program-start value.
void resetPlayRecords();
void resetShellState();           // program-start values, first clock reading
int runGame();                    // the whole program; main only calls this
// What a caller may add to the game's own frame, as the world maker's play mode does; the game adds nothing.
struct FrameHooks {
    bool (*beforeUpdate)();  // after the global keys; false holds the game still for this frame
    void (*afterDraw)();     // over the frame just drawn, before it is shown
};
bool runFrame(const FrameHooks* hooks = nullptr);  // one pass of the loop; false once the game should end
void handleGlobalKeys();          // pause edge, F12, TAB, fullscreen, Ctrl+W, zoom
void waitForFrameCap();           // sleep in 1 ms steps until 14 ms have passed
void updateFpsEstimate();
// Shows message (none when empty) and ends the process; allocates nothing of its own.
[[noreturn]] void fatalExit(const char* message);
// The new-handler while the game starts: memory ran out, say so and end.
[[noreturn]] void outOfMemoryExit();
