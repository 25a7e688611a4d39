// kestravel-world route FILE [--plan PLAN]: finds a key script that takes all the stars.
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "gameplay/replay.h"
#include "tools/world/commands.h"
#include "tools/world/picture.h"
#include "tools/world/script.h"
#include "tools/world/search.h"
#include "tools/world/slack.h"
#include "tools/world/softlock.h"
#include "world/world.h"

namespace {

int usage() {
    std::fprintf(stderr,
                 "usage: kestravel-world route FILE [--plan PLAN] [--from SCRIPT] [--max-nodes N] [--weight W]\n"
                 "                             [--no-deaths] [--robust]\n"
                 "       kestravel-world route FILE --soft-locks [--max-nodes N]\n"
                 "       kestravel-world route FILE --from SCRIPT --picture OUT.png [--frames N] [--boxes] [--intro]\n"
                 "       kestravel-world route FILE --slack SCRIPT [--replays N]\n");
    return 2;
}

bool readPlan(const char* path, std::vector<RouteGoal>& goals) {
    std::ifstream in(path);
    if (!in) {
        std::fprintf(stderr, "kestravel-world route: cannot open %s\n", path);
        return false;
    }
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        size_t first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line[first] == '#') continue;
        RouteGoal goal;
        if (!parseGoal(line, goal)) {
            std::fprintf(stderr, "kestravel-world route: %s:%d: expected star, checkpoint, zone or any\n", path,
                         number);
            return false;
        }
        goals.push_back(goal);
    }
    return true;
}

// Only the first frames of a script.
void cutScript(std::vector<ScriptStep>& script, long frames) {
    std::vector<ScriptStep> kept;
    for (const ScriptStep& step : script) {
        if (frames <= 0) break;
        ScriptStep part = step;
        if (part.frames > frames) part.frames = static_cast<int32_t>(frames);
        frames -= part.frames;
        kept.push_back(part);
    }
    script.swap(kept);
}

// From every place reachable after a respawn, a death or another checkpoint must stay in reach.
int reportSoftLocks(const std::vector<TilePlace>& stars, long maxNodes) {
    bool clean = true;
    for (const TilePlace& checkpoint : findCheckpoints()) {
        SoftLockResult found = findSoftLocks(checkpoint, stars, maxNodes);
        std::printf("checkpoint %d,%d (%d,%d): %ld states%s, %ld stuck%s\n", checkpoint.zoneX, checkpoint.zoneY,
                    checkpoint.column, checkpoint.row, found.states, found.complete ? "" : " (cut short)",
                    found.stuck, found.otherCheckpoint ? "" : ", no other checkpoint in reach: only a death leads on");
        std::printf("  stars in reach:");
        for (const TilePlace& star : found.starsInReach)
            std::printf(" %d,%d", star.zoneX, star.zoneY);
        std::printf("%s\n", found.starsInReach.empty() ? " none" : "");
        for (const GameSnapshot& stuck : found.samples)
            std::printf("  stuck in zone %d,%d near x %.0f, y %.0f\n", stuck.progress.currentZoneX, stuck.progress.currentZoneY,
                        stuck.player.x, stuck.player.y);
        if (found.stuck > 0 || (!found.otherCheckpoint && found.complete)) clean = false;
    }
    return clean ? 0 : 1;
}

}  // namespace

int commandRoute(int argc, char** argv) {
    if (argc < 1) return usage();
    const char* path = argv[0];
    const char* planPath = nullptr;
    const char* fromPath = nullptr;
    const char* slackPath = nullptr;
    long replays = 100;  // per stage and jitter
    bool softLocks = false;
    bool capGiven = false;
    const char* picturePath = nullptr;
    bool boxes = false;
    bool intro = false;
    long frameLimit = 0;  // 0: the whole script
    SearchOptions options;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--plan") == 0 && i + 1 < argc) {
            planPath = argv[++i];
        } else if (std::strcmp(argv[i], "--picture") == 0 && i + 1 < argc) {
            picturePath = argv[++i];
        } else if (std::strcmp(argv[i], "--frames") == 0 && i + 1 < argc) {
            frameLimit = std::atol(argv[++i]);
            if (frameLimit < 1) return usage();
        } else if (std::strcmp(argv[i], "--slack") == 0 && i + 1 < argc) {
            slackPath = argv[++i];
        } else if (std::strcmp(argv[i], "--replays") == 0 && i + 1 < argc) {
            replays = std::atol(argv[++i]);
            if (replays < 1 || replays > 100000) return usage();
        } else if (std::strcmp(argv[i], "--boxes") == 0) {
            boxes = true;
        } else if (std::strcmp(argv[i], "--intro") == 0) {
            intro = true;
        } else if (std::strcmp(argv[i], "--soft-locks") == 0) {
            softLocks = true;
        } else if (std::strcmp(argv[i], "--from") == 0 && i + 1 < argc) {
            fromPath = argv[++i];
        } else if (std::strcmp(argv[i], "--max-nodes") == 0 && i + 1 < argc) {
            options.maxNodes = std::atol(argv[++i]);
            capGiven = true;
            if (options.maxNodes < 1) return usage();
        } else if (std::strcmp(argv[i], "--no-deaths") == 0) {
            options.noDeaths = true;
        } else if (std::strcmp(argv[i], "--robust") == 0) {
            options.robust = true;
        } else if (std::strcmp(argv[i], "--weight") == 0 && i + 1 < argc) {
            options.weight = std::atof(argv[++i]);
            if (!(options.weight >= 0.0)) return usage();
        } else {
            return usage();
        }
    }
    if (!isWorldReadable("kestravel-world route", path)) return 2;

    std::vector<RouteGoal> goals;
    if (planPath && !readPlan(planPath, goals)) return 2;

    if (picturePath) {
        if (!fromPath) return usage();
        KeyScript script;
        if (!readScriptFile("kestravel-world route", fromPath, script)) return 2;
        if (frameLimit > 0) cutScript(script.steps, frameLimit);
        return savePicture(path, script.steps, picturePath, boxes, intro) ? 0 : 1;
    }

    if (slackPath) {
        KeyScript script;
        if (!readScriptFile("kestravel-world route", slackPath, script)) return 2;
        startWorldGame(path);
        return reportSlack(script.steps, script.notes, script.lines, static_cast<int>(replays));
    }

    startWorldGame(path);
    std::vector<TilePlace> stars = findStars();
    // A whole world from one checkpoint outgrows a stage of a route.
    if (softLocks) return reportSoftLocks(stars, capGiven ? options.maxNodes : 4 * options.maxNodes);
    if (stars.empty()) {
        std::fprintf(stderr, "kestravel-world route: %s has no stars\n", path);
        return 1;
    }

    // Without a plan, or after it, the nearest star next until the game is complete.
    size_t wanted = std::min<size_t>(stars.size(), WORLD_STAR_SLOTS);

    std::vector<ScriptStep> script;
    long total = 0;
    if (fromPath) {
        KeyScript from;
        if (!readScriptFile("kestravel-world route", fromPath, from)) return 2;
        script = from.steps;
        for (const ScriptStep& step : script) {
            for (int32_t f = 0; f < step.frames; ++f) stepGame(step.keys);
            total += step.frames;
            std::fputs(keyScriptLine(step).c_str(), stdout);
        }
    }
    size_t next = 0;
    while (!game.gameComplete && static_cast<size_t>(progress.collectedStarCount) < wanted) {
        RouteGoal goal;
        goal.text = "any";
        if (next < goals.size()) goal = goals[next++];
        StageResult stage = searchStage(goal, stars, options);
        if (!stage.found) {
            std::fprintf(stderr, "kestravel-world route: no way found to \"%s\" after %ld frames (%ld states)\n",
                         goal.text.c_str(), total, stage.nodes);
            return 1;
        }
        total += stage.frames;
        std::fprintf(stderr, "%-24s %6ld frames, %8ld states, zone %d,%d, stars %d\n", goal.text.c_str(),
                     stage.frames, stage.nodes, progress.currentZoneX, progress.currentZoneY, progress.collectedStarCount);
        std::printf("# %s: zone %d,%d, %d stars, frame %ld\n", goal.text.c_str(), progress.currentZoneX,
                    progress.currentZoneY, progress.collectedStarCount, total);
        for (const ScriptStep& step : stage.steps) std::fputs(keyScriptLine(step).c_str(), stdout);
        script.insert(script.end(), stage.steps.begin(), stage.steps.end());
    }

    // The search restores saved states; a plain replay from the start must agree.
    startWorldGame(path);
    for (const ScriptStep& step : script)
        for (int32_t f = 0; f < step.frames; ++f) stepGame(step.keys);
    std::fprintf(stderr, "replayed: %ld frames, %d stars, complete %d, deaths %d, jumps %d, checks %d\n", total,
                 progress.collectedStarCount, game.gameComplete, game.deathCount, game.jumpCount, game.checkCount);
    std::printf("# replayed: %ld frames, %d stars, complete %d, deaths %d, jumps %d, checks %d\n", total,
                progress.collectedStarCount, game.gameComplete, game.deathCount, game.jumpCount, game.checkCount);
    return game.gameComplete || static_cast<size_t>(progress.collectedStarCount) >= wanted ? 0 : 1;
}
