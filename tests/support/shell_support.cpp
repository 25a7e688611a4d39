#include "tests/support/shell_support.h"

#include <cstdlib>
#include <cstring>

#include "shell/display.h"
#include "shell/input.h"

void useHeadlessDrivers() {
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
}

FakeKeyboard::FakeKeyboard() : saved(screen.keyState) { screen.keyState = current; }

FakeKeyboard::~FakeKeyboard() {
    if (screen.keyState == current) screen.keyState = saved;
}

void FakeKeyboard::hold(int scancode) {
    if (scancode >= 0 && scancode < 512) pending[scancode] = 1;
}

void FakeKeyboard::release(int scancode) {
    if (scancode >= 0 && scancode < 512) pending[scancode] = 0;
}

void FakeKeyboard::releaseAll() { std::memset(pending, 0, sizeof pending); }

void FakeKeyboard::holdOnly(std::initializer_list<int> scancodes) {
    releaseAll();
    for (int scancode : scancodes) hold(scancode);
}

void FakeKeyboard::updateInput() {
    screen.keyState = current;
    savePreviousKeyState();
    std::memcpy(current, pending, sizeof current);
    while (pollEvent() != 0) {
    }
    handleAltEnter();
}
