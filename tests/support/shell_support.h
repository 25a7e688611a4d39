#pragma once
// Headless SDL and a keyboard the test owns, for driving frames without real key events.
#include <cstdint>
#include <initializer_list>

// Offscreen video (real renderer with read-back) and dummy audio; call before SDL_Init.
void useHeadlessDrivers();

// Points screen.keyState at its own 512 bytes for its lifetime.
class FakeKeyboard {
public:
    FakeKeyboard();
    ~FakeKeyboard();
    FakeKeyboard(const FakeKeyboard&) = delete;
    FakeKeyboard& operator=(const FakeKeyboard&) = delete;

    // Keys as they will be at the next updateInput.
    void hold(int scancode);
    void release(int scancode);
    void releaseAll();
    // Exactly these keys held at the next updateInput.
    void holdOnly(std::initializer_list<int> scancodes);

    // updateInput as if the pending keys arrived during the event pump.
    void updateInput();

    uint8_t current[512] = {};
    uint8_t pending[512] = {};

private:
    const uint8_t* saved;
};
