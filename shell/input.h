#pragma once
// Keyboard, mouse gestures and the one game controller.
#include <SDL.h>
#include <cstdint>

struct InputState {
    SDL_GameController* controller;  // the open controller, or null
    SDL_Event event;                 // receives each polled event
    int32_t fullscreenButtonLatch;   // BACK acts once per press
    int32_t stickRightPeak;          // largest right deflection seen (starts 24575)
    int32_t stickLeftPeak;           // largest left deflection seen (starts -24575)
    int32_t stickRight;              // this update: controller says right
    int32_t stickLeft;               // this update: controller says left
};
extern InputState input;

void resetInputState();              // program-start values
void updateInput();
// The two halves of updateInput around the event drain; tests that own the key
// array change it between them.
void savePreviousKeyState();
void handleAltEnter();
int pollEvent();
bool keyDown(int scancode);
bool keyPushed(int scancode);
bool ctrlDown();
bool altDown();
bool padButton(int button);
int16_t padAxis(int axis);
bool quitRequested();
void updateController();
void loadControllerMappings();
