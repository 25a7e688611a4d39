#include "gameplay/replay.h"

#include <SDL.h>

#include <cstring>

#include "gameplay/flow.h"
#include "shell/display.h"
#include "shell/input.h"
#include "shell/shell.h"

ReplayState replay;

void runHeadlessFrame(const uint8_t keys[REPLAY_KEYS]) {
    std::memcpy(screen.previousKeyState, replay.keys, REPLAY_KEYS);
    std::memcpy(replay.keys, keys, REPLAY_KEYS);
    screen.keyState = replay.keys;

    int32_t pausePressed = keyDown(SDL_SCANCODE_ESCAPE) ? 1 : 0;
    if (pausePressed && !replay.pauseWasPressed && flow.introFrames >= INTRO_FRAMES) pauseAction();
    replay.pauseWasPressed = pausePressed;

    updateGame();
}

namespace {

// The key each letter of REPLAY_LETTERS holds, in its order.
constexpr int LETTER_KEYS[] = {SDL_SCANCODE_LEFT,   SDL_SCANCODE_RIGHT,  SDL_SCANCODE_SPACE,
                               SDL_SCANCODE_UP,     SDL_SCANCODE_DOWN,   SDL_SCANCODE_ESCAPE,
                               SDL_SCANCODE_RETURN, SDL_SCANCODE_BACKSPACE, SDL_SCANCODE_M};
static_assert(sizeof LETTER_KEYS / sizeof LETTER_KEYS[0] == sizeof REPLAY_LETTERS - 1);


char upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// A step line: the count, one or more blanks, the keys, nothing but blanks after them.
bool readStep(std::string_view line, int32_t number, ScriptStep& step, std::string& error) {
    size_t at = 0;
    int64_t count = 0;
    while (at < line.size() && line[at] >= '0' && line[at] <= '9' && count <= REPLAY_MAX_FRAMES)
        count = count * 10 + (line[at++] - '0');
    const size_t keysAt = line.find_first_not_of(" \t", at);
    const size_t keysEnd = keysAt == std::string_view::npos ? keysAt : line.find_first_of(" \t\r", keysAt);
    const bool rest = keysEnd != std::string_view::npos &&
                      line.find_first_not_of(" \t\r", keysEnd) != std::string_view::npos;
    if (at == 0 || count < 1 || count > REPLAY_MAX_FRAMES || keysAt == at || keysAt == std::string_view::npos ||
        rest) {
        error = "line " + std::to_string(number) + ": expected a positive frame count and keys";
        return false;
    }
    const std::string_view keys = line.substr(keysAt, keysEnd == std::string_view::npos ? keysEnd : keysEnd - keysAt);
    step.frames = static_cast<int32_t>(count);
    step.keys = 0;
    if (keys == "-") return true;
    for (char letter : keys) {
        const char* found = letter ? std::strchr(REPLAY_LETTERS, upper(letter)) : nullptr;
        if (!found) {
            error = "line " + std::to_string(number) + ": unknown key '" + letter + "' (use L R J U D P C B M or -)";
            return false;
        }
        step.keys = static_cast<uint16_t>(step.keys | (1u << (found - REPLAY_LETTERS)));
    }
    return true;
}

}  // namespace

bool readKeyScript(std::string_view text, KeyScript& script, std::string& error) {
    script = KeyScript{};
    int32_t number = 0;
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        ++number;
        const size_t first = line.find_first_not_of(" \t\r");
        if (first == std::string_view::npos) continue;
        line.remove_prefix(first);
        if (line[0] == '#') {
            const size_t from = line.find_first_not_of(" \t", 1);
            const size_t to = line.find_last_not_of(" \t\r");
            std::string note = from == std::string_view::npos || to < from ? "" : std::string(line.substr(from, to - from + 1));
            script.notes.push_back({script.steps.size(), number, std::move(note)});
            continue;
        }
        ScriptStep step{};
        if (!readStep(line, number, step, error)) return false;
        script.steps.push_back(step);
        script.lines.push_back(number);
    }
    return true;
}

bool readKeyScript(std::FILE* file, KeyScript& script, std::string& error) {
    std::string text;
    char buffer[65536];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
        if (text.size() + got > REPLAY_MAX_SCRIPT_BYTES) {
            error = "larger than " + std::to_string(REPLAY_MAX_SCRIPT_BYTES >> 20) + " MiB";
            return false;
        }
        text.append(buffer, got);
    }
    if (std::ferror(file)) {
        error = "cannot be read";
        return false;
    }
    return readKeyScript(text, script, error);
}

std::string keyLetters(uint16_t keys) {
    std::string letters;
    for (size_t bit = 0; REPLAY_LETTERS[bit]; ++bit)
        if (keys & (1u << bit)) letters += REPLAY_LETTERS[bit];
    return letters.empty() ? "-" : letters;
}

std::string keyScriptLine(const ScriptStep& step) {
    return std::to_string(step.frames) + " " + keyLetters(step.keys) + "\n";
}

void heldKeys(uint16_t keys, uint8_t state[REPLAY_KEYS]) {
    std::memset(state, 0, REPLAY_KEYS);
    for (size_t bit = 0; REPLAY_LETTERS[bit]; ++bit)
        if (keys & (1u << bit)) state[LETTER_KEYS[bit]] = 1;
}

long playKeyScript(const std::vector<ScriptStep>& steps, const std::function<bool(long frame)>& next) {
    uint8_t keys[REPLAY_KEYS];
    long frame = 0;
    for (const ScriptStep& step : steps) {
        heldKeys(step.keys, keys);
        for (int32_t i = 0; i < step.frames; ++i) {
            runHeadlessFrame(keys);
            if (!next(++frame)) return frame;
        }
    }
    return frame;
}
