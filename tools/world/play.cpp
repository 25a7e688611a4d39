// kestravel-world play FILE [--at ...] [--checkpoint ...] [--stars N ROUTE]: the real game in its window
// on a world file, read again whenever the file is saved, with keys for the world maker.
#include <SDL.h>

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "gameplay/flow.h"
#include "gameplay/hazards.h"
#include "gameplay/movement.h"
#include "gameplay/replay.h"
#include "gameplay/sound.h"
#include "gameplay/state.h"
#include "render/font.h"
#include "render/sprite.h"
#include "shell/display.h"
#include "shell/input.h"
#include "shell/platform.h"
#include "shell/screenshot.h"
#include "shell/shell.h"
#include "tools/world/boxes.h"
#include "tools/world/check.h"
#include "tools/world/commands.h"
#include "tools/world/reload.h"
#include "tools/world/start.h"
#include "world/assets.h"
#include "world/world.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace {

const char* const PLAY_KEYS[] = {
    "F1  this overlay: the zone, the distance, the checkpoint, the player",
    "F2  the kill zones and the box of the player",
    "F3  back to the checkpoint",
    "F4  the lantern of this zone becomes the checkpoint",
    "F5  pause or go on;  F6  one frame while paused",
    "F7  print this spot as options for run and route",
    "F8  save the keys since the last F3, F4 or move as a run script",
    "I J K L  move to the zone above, left, below, right",
};
constexpr int PLAY_CHECK_FRAMES = 15;      // how often the file is looked at: a fifth of a second or so
constexpr size_t PLAY_SHOWN_FINDINGS = 5;  // of a broken save, in the window
constexpr float PLAY_TEXT_SCALE = 0.17f;   // the game's font at about 16 pixels a line
constexpr int PLAY_LINE = 17;

// What the file looked like when last read; an editor that saves by renaming changes the inode.
struct FileStamp {
    bool exists = false;
    int64_t size = 0;
    int64_t time = 0;
    uint64_t inode = 0;
    bool operator==(const FileStamp&) const = default;
};

// Where the recorded keys start: what the run command needs to stand there too.
struct Spot {
    int32_t zoneX = 0, zoneY = 0;
    float x = 0.0f, y = 0.0f;
    int32_t checkX = 0, checkY = 0;
    int32_t checkpointIdentity = 0;
    int32_t stars = 0;
};

struct PlayState {
    std::string worldFile;               // absolute; only ever read
    std::string callerFolder;            // where saved scripts go: the game moves into its data folder
    RunStart start;                      // the options it began with
    FileStamp stamp;                     // of the world file as last read
    int32_t framesToCheck = 0;           // until the file is looked at again
    bool overlay = false;                // F1
    bool boxes = false;                  // F2
    bool paused = false;                 // F5
    bool step = false;                   // F6: one frame while paused
    std::vector<std::string> findings;   // of the last save, while it could not be played
    Spot mark;                           // where the recorded keys begin
    std::vector<ScriptStep> recorded;    // the keys of every frame played since the mark
};
PlayState play;

FileStamp stampOf(const std::string& path) {
    FileStamp stamp;
    stamp.time = fileWriteTime(path);
    stamp.size = fileSize(path);
    stamp.exists = stamp.time >= 0 && stamp.size >= 0;
#ifndef _WIN32
    struct stat info {};
    if (stat(path.c_str(), &info) == 0) stamp.inode = static_cast<uint64_t>(info.st_ino);
#endif
    return stamp;
}

// The keys held now as a script line's letters: every key the game reads maps onto one of them.
uint16_t heldLetters() {
    uint16_t keys = 0;
    auto add = [&](bool held, char letter) {
        if (held) keys = static_cast<uint16_t>(keys | (1u << (std::strchr(REPLAY_LETTERS, letter) - REPLAY_LETTERS)));
    };
    add(keyDown(SDL_SCANCODE_LEFT) || keyDown(SDL_SCANCODE_A), 'L');
    add(keyDown(SDL_SCANCODE_RIGHT) || keyDown(SDL_SCANCODE_D), 'R');
    add(keyDown(SDL_SCANCODE_SPACE) || keyDown(SDL_SCANCODE_Z) || keyDown(SDL_SCANCODE_X) || keyDown(SDL_SCANCODE_W),
        'J');
    add(keyDown(SDL_SCANCODE_UP), 'U');
    add(keyDown(SDL_SCANCODE_DOWN) || keyDown(SDL_SCANCODE_S), 'D');
    add(keyDown(SDL_SCANCODE_ESCAPE), 'P');
    add(keyDown(SDL_SCANCODE_RETURN), 'C');
    add(keyDown(SDL_SCANCODE_BACKSPACE), 'B');
    add(keyDown(SDL_SCANCODE_M), 'M');
    return keys;
}

// The recording starts here, from a state the run command starts from too.
void markSpot() {
    resetMovementState();
    play.mark = {progress.currentZoneX, progress.currentZoneY, player.x, player.y, progress.checkpointZoneX,
                 progress.checkpointZoneY, progress.checkpointIdentity, progress.collectedStarCount};
    play.recorded.clear();
}

// "--at ZX ZY X Y --checkpoint ZX ZY [C R] [--stars N ROUTE]" for the spot.
std::string spotOptions(const Spot& spot) {
    char text[256];
    std::snprintf(text, sizeof text, "--at %d %d %.9g %.9g --checkpoint %d %d", spot.zoneX, spot.zoneY,
                  static_cast<double>(spot.x), static_cast<double>(spot.y), spot.checkX, spot.checkY);
    std::string options = text;
    // Without a lantern of its own (the start block's checkpoint) run takes the zone's first one, if any.
    if (spot.checkpointIdentity != 0) {
        const TilePlace lantern = tilePlace(spot.checkpointIdentity);
        std::snprintf(text, sizeof text, " %d %d", lantern.column, lantern.row);
        options += text;
    }
    if (spot.stars > 0 && play.start.route && spot.stars == play.start.stars) {
        std::snprintf(text, sizeof text, " --stars %d ", spot.stars);
        options.append(text).append(play.start.route);
    }
    return options;
}

void printSpot() {
    Spot here = {progress.currentZoneX, progress.currentZoneY, player.x, player.y, progress.checkpointZoneX,
                 progress.checkpointZoneY, progress.checkpointIdentity, progress.collectedStarCount};
    std::printf("%s\n", spotOptions(here).c_str());
    if (here.stars > 0 && !(play.start.route && here.stars == play.start.stars))
        std::printf("# %d stars are taken here; run takes stars only from a route, with --stars\n", here.stars);
    std::fflush(stdout);
}

void saveRecording() {
    const std::string path = uniqueFilePath(play.callerFolder, "kestravel-move", "txt");
    std::string text = "# kestravel-world run " + play.worldFile + " " + spotOptions(play.mark) + " < SCRIPT\n";
    for (const ScriptStep& step : play.recorded) text += keyScriptLine(step);
    std::FILE* file = openFile(path, "wb");
    const bool written = file && std::fwrite(text.data(), 1, text.size(), file) == text.size();
    if (file && std::fclose(file) != 0) std::remove(path.c_str());
    if (!written) {
        std::fprintf(stderr, "kestravel-world play: cannot write %s\n", path.c_str());
        return;
    }
    std::printf("kestravel-world run '%s' %s --last < '%s'\n", play.worldFile.c_str(), spotOptions(play.mark).c_str(),
                path.c_str());
    std::fflush(stdout);
}

// The first lantern of the zone, in the order a respawn looks for it.
void takeThisZonesLantern() {
    for (int index = 0; index < ZONE_TILES; ++index) {
        if (!(room.tileFlags[index] & (TILE_CHECKPOINT | TILE_CHECKPOINT_ACTIVE))) continue;
        activateCheckpoint(index % ZONE_COLUMNS, index / ZONE_COLUMNS);
        loadZone(progress.currentZoneX, progress.currentZoneY);  // any other lantern here goes dark
        markSpot();
        return;
    }
    std::fprintf(stderr, "kestravel-world play: zone %d,%d has no lantern\n", progress.currentZoneX,
                 progress.currentZoneY);
}

void moveZone(int32_t dx, int32_t dy) {
    if (!loadZone(progress.currentZoneX + dx, progress.currentZoneY + dy)) return;
    player.vx = 0.0f;
    player.vy = 0.0f;
    player.flags |= PLAYER_AIRBORNE;
    markSpot();
}

// Read again; a file the linter finds an error in leaves the last good world playing.
void reloadWorld() {
    WorldState previous = std::move(world);
    const std::vector<Finding> findings = checkWorldFile(play.worldFile);
    play.findings.clear();
    for (const Finding& finding : findings) {
        if (!finding.error) continue;
        std::fprintf(stderr, "kestravel-world play: %s: %s\n", play.worldFile.c_str(), findingLine(finding).c_str());
        if (play.findings.size() < PLAY_SHOWN_FINDINGS) play.findings.push_back(findingLine(finding));
    }
    if (!play.findings.empty()) {
        world = std::move(previous);
        return;
    }
    const ReloadOutcome outcome = carryRunOver();
    std::fprintf(stderr, "kestravel-world play: %s read again%s%s%s\n", play.worldFile.c_str(),
                 outcome.respawned ? "; back to the checkpoint" : "",
                 outcome.checkpointGone ? "; the lantern is gone, the start block's checkpoint stands" : "",
                 outcome.starsForgotten > 0 ? "; taken stars whose \"$\" is gone are forgotten" : "");
    if (outcome.respawned) markSpot();
}

void watchWorldFile() {
    if (--play.framesToCheck > 0) return;
    play.framesToCheck = PLAY_CHECK_FRAMES;
    const FileStamp now = stampOf(play.worldFile);
    if (now == play.stamp) return;
    play.stamp = now;
    reloadWorld();
}

bool beforeUpdate() {
    watchWorldFile();
    if (keyPushed(SDL_SCANCODE_F1)) play.overlay = !play.overlay;
    if (keyPushed(SDL_SCANCODE_F2)) play.boxes = !play.boxes;
    if (keyPushed(SDL_SCANCODE_F3)) {
        respawnAtCheckpoint();
        markSpot();
    }
    if (keyPushed(SDL_SCANCODE_F4)) takeThisZonesLantern();
    if (keyPushed(SDL_SCANCODE_F5)) play.paused = !play.paused;
    if (keyPushed(SDL_SCANCODE_F6)) play.step = true;
    if (keyPushed(SDL_SCANCODE_F7)) printSpot();
    if (keyPushed(SDL_SCANCODE_F8)) saveRecording();
    if (keyPushed(SDL_SCANCODE_I)) moveZone(0, 1);
    if (keyPushed(SDL_SCANCODE_J)) moveZone(-1, 0);
    if (keyPushed(SDL_SCANCODE_K)) moveZone(0, -1);
    if (keyPushed(SDL_SCANCODE_L)) moveZone(1, 0);
    const bool update = !play.paused || play.step;
    play.step = false;
    if (!update) return false;
    const uint16_t keys = heldLetters();
    if (!play.recorded.empty() && play.recorded.back().keys == keys && play.recorded.back().frames < REPLAY_MAX_FRAMES)
        ++play.recorded.back().frames;
    else
        play.recorded.push_back({keys, 1});
    return true;
}

void panel(int y, size_t lines, Colour colour) {
    fillRect(0, y, SCREEN_WIDTH, static_cast<int>(lines) * PLAY_LINE + 6, colour);
}

void text(int y, const std::string& line) {
    drawText(assets.font, 6.0f, static_cast<float>(y), line, PLAY_TEXT_SCALE, false, false);
}

void afterDraw() {
    if (play.boxes) {
        drawKillZones();
        drawPlayerBox();
    }
    setFontAlpha(assets.font, 255);
    if (play.overlay) {
        char lines[2][160];
        std::snprintf(lines[0], sizeof lines[0], "zone %d,%d  distance %d  checkpoint zone %d,%d%s",
                      progress.currentZoneX, progress.currentZoneY, progress.zoneDistance, progress.checkpointZoneX,
                      progress.checkpointZoneY, play.paused ? "  PAUSED" : "");
        std::snprintf(lines[1], sizeof lines[1], "x %.2f  y %.2f  speed %.2f, %.2f", static_cast<double>(player.x),
                      static_cast<double>(player.y), static_cast<double>(player.vx), static_cast<double>(player.vy));
        panel(0, 2 + std::size(PLAY_KEYS), rgba(0, 0, 0, 170));
        text(2, lines[0]);
        text(2 + PLAY_LINE, lines[1]);
        for (size_t i = 0; i < std::size(PLAY_KEYS); ++i) text(2 + PLAY_LINE * static_cast<int>(2 + i), PLAY_KEYS[i]);
    } else if (play.paused) {
        panel(0, 1, rgba(0, 0, 0, 170));
        text(2, "PAUSED  (F5 goes on, F6 one frame)");
    }
    if (!play.findings.empty()) {
        const int top = SCREEN_HEIGHT - static_cast<int>(play.findings.size() + 1) * PLAY_LINE - 6;
        panel(top, play.findings.size() + 1, rgba(120, 0, 0, 200));
        text(top + 2, "the saved file was not read: the last good world plays on");
        for (size_t i = 0; i < play.findings.size(); ++i)
            text(top + 2 + PLAY_LINE * static_cast<int>(1 + i), play.findings[i]);
    }
}

int usage() {
    std::fprintf(stderr,
                 "usage: kestravel-world play FILE [--at ZX ZY X Y] [--checkpoint ZX ZY [C R]] [--stars N ROUTE]\n"
                 "The real game on FILE, read again whenever FILE is saved. Keys besides the game's:\n");
    for (const char* line : PLAY_KEYS) std::fprintf(stderr, "  %s\n", line);
    return 2;
}

}  // namespace

int commandPlay(int argc, char** argv) {
    if (argc < 1 || std::strcmp(argv[0], "--help") == 0) return usage();
    for (int i = 1; i < argc; ++i)
        if (readStartOption(argc, argv, i, play.start) != 1) return usage();
    if (!isWorldReadable("kestravel-world play", argv[0])) return 2;
    // The game moves into its data folder; the file stays where it was named.
    play.worldFile = absolutePath(argv[0]);
    play.callerFolder = currentDirectory();
    play.stamp = stampOf(play.worldFile);

    GameStart start;
    start.display = GAME_WINDOW;
    start.worldFile = play.worldFile;
    const char* failure = nullptr;
    int status = 0;
    if (!startGame(start, failure)) {
        std::fprintf(stderr, "kestravel-world play: %s\n", failure);
        status = 1;
    } else if (!setUpStart("kestravel-world play", play.start)) {
        status = 2;
    } else {
        // The start may have played a route headless; from here on the keyboard plays.
        screen.keyState = SDL_GetKeyboardState(nullptr);
        std::memset(screen.previousKeyState, 0, sizeof screen.previousKeyState);
        flow.introFrames = INTRO_FRAMES;
        markSpot();
        const FrameHooks hooks = {beforeUpdate, afterDraw};
        raiseTimerResolution();
        while (runFrame(&hooks)) {
        }
        restoreTimerResolution();
    }
    freeAssets();
    stopAllSounds();
    closeAudio();
    shutdownVideo();
    return status;
}
