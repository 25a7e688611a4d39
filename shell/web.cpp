#ifdef __EMSCRIPTEN__
#include "shell/web.h"

#include <emscripten.h>

#include <cmath>
#include <cstdint>
#include <cstring>

#include "render/sprite.h"
#include "shell/display.h"
#include "shell/platform.h"
#include "shell/shell.h"

// The page (tools/web/index.html) puts its hooks on Module.kestravel; without them the game
// still runs, saying what it would have shown on the console.
EM_JS(void, pageMessage, (const char* title, const char* text), {
    const page = Module["kestravel"];
    if (page && page.message) page.message(UTF8ToString(title), UTF8ToString(text));
    else console.error(UTF8ToString(title) + ": " + UTF8ToString(text));
});

EM_JS(void, pageEnded, (int clean), {
    const page = Module["kestravel"];
    if (page && page.ended) page.ended(clean != 0);
});

EM_JS(void, pageFullscreen, (int full), {
    const page = Module["kestravel"];
    if (page && page.fullscreen) page.fullscreen(full != 0);
});

// 1 or 0 once the page has entered or left fullscreen (or failed to), -1 while nothing changed.
EM_JS(int, pageFullscreenChange, (), {
    const page = Module["kestravel"];
    return page && page.fullscreenChange ? page.fullscreenChange() : -1;
});

EM_JS(void, pageDownload, (const char* path), {
    const name = UTF8ToString(path);
    let bytes;
    try {
        bytes = FS.readFile(name);
    } catch (error) {
        return;
    }
    const url = URL.createObjectURL(new Blob([bytes], {type: "image/png"}));
    const link = document.createElement("a");
    link.href = url;
    link.download = name.substring(name.lastIndexOf("/") + 1);
    document.body.appendChild(link);
    link.click();
    link.remove();
    setTimeout(function() { URL.revokeObjectURL(url); }, 60000);
    // The name stays taken for the visit, so a second shot in the same second gets -2; the
    // pixels need not stay in memory.
    FS.writeFile(name, new Uint8Array(0));
});

// The time of the display refresh being drawn, in ms: the same for every callback of one refresh
// however late it runs, where the clock would carry the page's other work as jitter.
EM_JS(double, pageFrameTime, (), {
    const timeline = document.timeline;
    return timeline && timeline.currentTime != null ? Number(timeline.currentTime) : performance.now();
});

namespace {
double lastUpdateTime = -1e9;

// The browser changes SDL's key state as keys go, between frames, where the desktop changes it
// only while the frame polls its events. The frame reads this copy instead, changed as the
// events are polled, so that "pushed since the previous frame" means the same as on the desktop.
uint8_t frameKeys[SDL_NUM_SCANCODES];

void browserFrame() {
    // Called once per display refresh. Refreshes less than 14 whole milliseconds after the last
    // update are skipped, as the desktop's frame cap waits them out: every refresh at 60 Hz,
    // every second one at 120 and 144 Hz (13.9 ms there, which the desktop's millisecond clock
    // lets pass too).
    const double now = pageFrameTime();
    if (std::floor(now) < std::floor(lastUpdateTime) + FRAME_CAP_MS) return;
    lastUpdateTime = now;
    // Escape, or the browser's own controls, can leave fullscreen behind the game's back.
    const int pageFull = pageFullscreenChange();
    if (pageFull >= 0 && pageFull != (isFullscreen() ? 1 : 0)) {
        screen.windowed = pageFull ? 0 : 1;
        applyScreenSettings();
    }
    // Paced already: the loop's own wait must return at once rather than spin.
    shell.lastFrameTime = clockMs() - FRAME_CAP_MS;
    if (runFrame()) return;
    freeAssets();
    closeScreen();
    fatalExit("");
}
}  // namespace

void followKeyEvent(const SDL_Event& event) {
    if (event.type != SDL_KEYDOWN && event.type != SDL_KEYUP) return;
    const int scancode = event.key.keysym.scancode;
    if (scancode >= 0 && scancode < SDL_NUM_SCANCODES) frameKeys[scancode] = event.type == SDL_KEYDOWN ? 1 : 0;
}

void runFramesInBrowser() {
    if (screen.keyState) std::memcpy(frameKeys, screen.keyState, sizeof frameKeys);
    screen.keyState = frameKeys;
    // The window title would become the page's; the page keeps the game's name.
    emscripten_set_window_title("Kestravel");
    // The browser calls each frame (requestAnimationFrame) rather than the desktop loop sleeping
    // under ASYNCIFY: nothing waits or spins between frames, frames meet the display's refresh,
    // and the .wasm stays free of the unwinding code (1.2 MB against 1.7 MB, less CPU).
    emscripten_set_main_loop(browserFrame, 0, 1);
    __builtin_unreachable();
}

void showInPage(const std::string& title, const std::string& text) { pageMessage(title.c_str(), text.c_str()); }

void endInPage(bool clean) {
    emscripten_cancel_main_loop();
    pageEnded(clean ? 1 : 0);
}

void downloadFile(const std::string& path) { pageDownload(path.c_str()); }

void requestPageFullscreen(bool full) { pageFullscreen(full ? 1 : 0); }
#endif
