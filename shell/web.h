#pragma once
// The browser's side of the shell (emscripten builds only): the frame loop driven by the browser,
// and what a page does in place of message boxes, the Pictures folder and desktop fullscreen.
#ifdef __EMSCRIPTEN__
#include <SDL.h>

#include <string>

[[noreturn]] void runFramesInBrowser();  // after start-up; hands the loop to the browser
void showInPage(const std::string& title, const std::string& text);
void endInPage(bool clean);              // the loop stops and the page shows how the game ended
void downloadFile(const std::string& path);
void requestPageFullscreen(bool full);   // asynchronous; the page reports the outcome
void followKeyEvent(const SDL_Event& event);  // the key state the frame sees, as events are polled
#endif
