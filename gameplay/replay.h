#pragma once
// Frames without a window: what the frame loop does for the game, with the keys given; and the
// key scripts that say which keys to hold for how many frames.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

constexpr int REPLAY_KEYS = 512;

struct ReplayState {
    uint8_t keys[REPLAY_KEYS];   // key state of the current frame; screen.keyState points here
    int32_t pauseWasPressed;     // ESCAPE held in the previous frame
};
extern ReplayState replay;

// One frame: previous keys saved, these keys held, the pause edge, then one update.
void runHeadlessFrame(const uint8_t keys[REPLAY_KEYS]);

// The keys a script holds, one letter each: walk left and right, jump, menu up and down, pause,
// confirm, back and the sound toggle. Bit i of a step's keys is the letter REPLAY_LETTERS[i].
constexpr char REPLAY_LETTERS[] = "LRJUDPCBM";
constexpr uint16_t REPLAY_LEFT = 1;
constexpr uint16_t REPLAY_RIGHT = 2;
constexpr uint16_t REPLAY_JUMP = 4;
constexpr int32_t REPLAY_MAX_FRAMES = 2000000000;              // frames of one script line
constexpr uint64_t REPLAY_MAX_SCRIPT_BYTES = uint64_t(64) << 20;  // a script past this is not read

struct ScriptStep {
    uint16_t keys;   // REPLAY_LETTERS bits
    int32_t frames;  // 1 .. REPLAY_MAX_FRAMES
};
struct ScriptNote {
    size_t step;       // index of the step the note stands before
    int32_t line;      // its line, from 1
    std::string text;  // after the "#", without the blanks around it
};
struct KeyScript {
    std::vector<ScriptStep> steps;
    std::vector<int32_t> lines;     // the line of each step, from 1
    std::vector<ScriptNote> notes;  // the "#" lines
};

// "COUNT KEYS" lines: a frame count, then the keys held for those frames, letters of REPLAY_LETTERS
// in either case, or "-" for none; "#" lines are notes and blank lines nothing. False at the first
// line that is none of these, with "line N: " and what is wrong in error.
bool readKeyScript(std::string_view text, KeyScript& script, std::string& error);
// The whole of a file or stream as a script; a read error or a file over the bound is refused too.
bool readKeyScript(std::FILE* file, KeyScript& script, std::string& error);
// One step as a script line, line break included: "12 RJ", "3 -".
std::string keyScriptLine(const ScriptStep& step);
std::string keyLetters(uint16_t keys);  // in REPLAY_LETTERS order; "-" for none
// The key state that holds these keys, everything else up.
void heldKeys(uint16_t keys, uint8_t state[REPLAY_KEYS]);
// Runs the steps frame by frame; after each, `next(frame)` (counted from 1) says whether to go on.
// Returns the frames run.
long playKeyScript(const std::vector<ScriptStep>& steps, const std::function<bool(long frame)>& next);
