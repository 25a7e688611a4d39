#include "tools/world/slack.h"

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>

#include "gameplay/movement.h"
#include "tools/world/goals.h"
#include "tools/world/snapshot.h"
#include "world/world.h"

namespace {

constexpr long SLACK_GRACE_FRAMES = 60;     // a replay may meet the goal this much after the exact end
constexpr uint32_t SLACK_SEED = 1;          // fixed, so a report only changes with the world or the script
constexpr int SLACK_JITTERS = 2;            // frames each line is shifted by, at most: 1, then 2
constexpr int SLACK_REACH = 13;             // frames a press is moved each way, about a tile of walking
constexpr double SLACK_MIN_HELD[SLACK_JITTERS + 1] = {0.0, 80.0, 50.0};  // percent that should hold, by jitter
constexpr long SLACK_MAX_FRAMES = 1000000;  // a script beyond four hours of play is a mistake
constexpr int SLACK_MIN_WINDOW = 9;         // px of take-off, at full walking speed, a needed jump should allow

struct Stage {
    RouteGoal goal;
    int32_t line = 0;                 // of its "#" mark
    size_t first = 0, end = 0;        // its steps
    long frames = 0;                  // exact length
    GameSnapshot start;
    int32_t deaths = 0;               // the exact script's own deaths in it, which a replay may repeat
    bool exact = false;               // the exact script meets the goal
    int held[SLACK_JITTERS + 1] = {}; // replays holding, by jitter
    int jumps = 0, needed = 0;
    int narrowest = -1;               // px of the narrowest needed jump; -1 without one
};

struct Jump {
    size_t stage = 0, step = 0;  // the press is the first frame of that step
    long elapsed = 0;            // frames into the stage before the press
    std::vector<GameSnapshot> before;  // before[e]: the state e frames before the press
    bool needed = false;         // without it the stage fails
    int low = 0, high = 0;       // press moved by this many frames still holds
};

int windowPixels(const Jump& jump) {
    return static_cast<int>((jump.high - jump.low + 1) * MOVEMENT_WALK_SPEED);
}

// 1 once the goal is met, -1 once the replay has failed, 0 while it goes on.
int judge(const Stage& stage) {
    if (game.deathCount > stage.start.game.deathCount + stage.deaths) return -1;
    GameSnapshot now = saveGame();
    if (stage.goal.keepCheckpoint &&
        (now.progress.checkpointZoneX != stage.start.progress.checkpointZoneX || now.progress.checkpointZoneY != stage.start.progress.checkpointZoneY))
        return -1;
    return goalMet(stage.goal, stage.start, now) ? 1 : 0;
}

// From a state `elapsed` frames into the stage: the lead steps, then the script from step `next` on,
// then no keys, until the goal, a death or the deadline.
bool reachesGoal(const Stage& stage, const GameSnapshot& from, long elapsed, const std::vector<ScriptStep>& lead,
                 const std::vector<ScriptStep>& script, size_t next) {
    restoreGame(from);
    const long deadline = stage.frames + SLACK_GRACE_FRAMES;
    int verdict = 0;
    auto play = [&](uint16_t keys, long frames) {
        for (long f = 0; f < frames && verdict == 0; ++f) {
            if (elapsed >= deadline) {
                verdict = -1;
                return;
            }
            stepGame(keys);
            ++elapsed;
            verdict = judge(stage);
        }
    };
    for (const ScriptStep& step : lead) play(step.keys, step.frames);
    for (size_t i = next; i < script.size() && verdict == 0; ++i) play(script[i].keys, script[i].frames);
    play(0, deadline);
    return verdict > 0;
}

// The rest of the script from frame t on: the remainder of its step, then the steps after it.
void appendFrom(const std::vector<long>& stepStart, const std::vector<ScriptStep>& script, long t,
                std::vector<ScriptStep>& lead, size_t& next) {
    next = script.size();
    for (size_t i = 0; i < script.size(); ++i) {
        if (stepStart[i + 1] <= t) continue;
        lead.push_back({script[i].keys, static_cast<int32_t>(stepStart[i + 1] - t)});
        next = i + 1;
        return;
    }
}

// The press `shift` frames later (the approach held longer) or earlier (cut short); the frames after
// the jump key's hold give back or take up the difference, so the rest of the script keeps its time.
bool shiftedPressHolds(const Stage& stage, const Jump& jump, int shift, const std::vector<long>& stepStart,
                       const std::vector<ScriptStep>& script) {
    size_t hold = jump.step;
    while (hold < script.size() && (script[hold].keys & REPLAY_JUMP)) ++hold;
    std::vector<ScriptStep> lead;
    size_t next = hold;
    int earlier = 0;
    if (shift > 0) {
        uint16_t approach = jump.step > 0 ? script[jump.step - 1].keys : 0;
        lead.push_back({approach, shift});
        lead.insert(lead.end(), script.begin() + static_cast<long>(jump.step),
                    script.begin() + static_cast<long>(hold));
        appendFrom(stepStart, script, stepStart[hold] + shift, lead, next);
    } else {
        earlier = -shift;
        lead.insert(lead.end(), script.begin() + static_cast<long>(jump.step),
                    script.begin() + static_cast<long>(hold));
        lead.push_back({hold < script.size() ? script[hold].keys : uint16_t(0), -shift});
    }
    return reachesGoal(stage, jump.before[static_cast<size_t>(earlier)], jump.elapsed - earlier, lead, script, next);
}

// Up to SLACK_REACH frames each way. The press does not move before its stage's start: the stage's
// bounds are the search's, not the world's, so a side cut there counts as open.
void measureWindow(const Stage& stage, Jump& jump, const std::vector<long>& stepStart,
                   const std::vector<ScriptStep>& script) {
    int reach[2] = {0, 0};
    for (int side = 0; side < 2; ++side) {
        int sign = side == 0 ? -1 : 1;
        for (int d = 1; d <= SLACK_REACH; ++d) {
            if (sign < 0 && (d > jump.elapsed || d >= static_cast<int>(jump.before.size()))) {
                reach[side] = SLACK_REACH;
                break;
            }
            if (!shiftedPressHolds(stage, jump, sign * d, stepStart, script)) break;
            reach[side] = d;
        }
    }
    jump.low = -reach[0];
    jump.high = reach[1];
}

// The same stage without this press: the jump key let go for the whole hold that starts with it.
bool neededJump(const Stage& stage, const Jump& jump, const std::vector<ScriptStep>& script) {
    std::vector<ScriptStep> lead;
    size_t next = jump.step;
    while (next < script.size() && (script[next].keys & REPLAY_JUMP)) {
        lead.push_back({static_cast<uint16_t>(script[next].keys & ~REPLAY_JUMP), script[next].frames});
        ++next;
    }
    return !reachesGoal(stage, jump.before[0], jump.elapsed, lead, script, next);
}

// The stage's own steps, each lengthened or shortened by up to `jitter` frames (a line may vanish).
std::vector<ScriptStep> jittered(const Stage& stage, const std::vector<ScriptStep>& script, int jitter,
                                std::mt19937& random) {
    std::vector<ScriptStep> steps;
    for (size_t i = stage.first; i < stage.end; ++i) {
        int shift = static_cast<int>(random() % static_cast<uint32_t>(2 * jitter + 1)) - jitter;
        int32_t frames = std::max(0, script[i].frames + shift);
        if (frames > 0) steps.push_back({script[i].keys, frames});
    }
    return steps;
}

double share(long held, long tried) {
    return tried > 0 ? 100.0 * static_cast<double>(held) / static_cast<double>(tried) : 100.0;
}

}  // namespace

int reportSlack(const std::vector<ScriptStep>& script, const std::vector<ScriptNote>& notes,
                const std::vector<int32_t>& lines, int replays) {
    // A note "GOAL: ..." in the words of a plan line opens a stage; other notes are remarks.
    std::vector<Stage> stages;
    for (const ScriptNote& note : notes) {
        RouteGoal goal;
        size_t colon = note.text.find(':');
        if (colon == std::string::npos || !parseGoal(note.text.substr(0, colon), goal)) continue;
        if (!stages.empty()) stages.back().end = note.step;
        Stage stage;
        stage.goal = goal;
        stage.line = note.line;
        stage.first = note.step;
        stage.end = script.size();
        stages.push_back(stage);
    }
    if (stages.empty()) {
        std::fprintf(stderr, "kestravel-world route: the script marks no stage (a line \"# GOAL: ...\")\n");
        return 2;
    }

    std::vector<long> stepStart = {0};
    for (const ScriptStep& step : script) stepStart.push_back(stepStart.back() + step.frames);
    if (stepStart.back() > SLACK_MAX_FRAMES) {
        std::fprintf(stderr, "kestravel-world route: the script runs %ld frames, more than %ld\n", stepStart.back(),
                     SLACK_MAX_FRAMES);
        return 2;
    }

    // The exact script once: where each stage starts and which presses take off, with the last few
    // states before each press.
    std::vector<GameSnapshot> recent = {saveGame()};  // recent[t % size]: after t frames
    recent.resize(SLACK_REACH + 1);
    long t = 0;
    std::vector<Jump> jumps;
    size_t stage = 0;
    int32_t deaths = game.deathCount;
    auto openStages = [&](size_t step) {
        while (stage < stages.size() && stages[stage].first == step) {
            if (stage > 0) stages[stage - 1].deaths = game.deathCount - deaths;
            stages[stage].start = saveGame();
            deaths = game.deathCount;
            ++stage;
        }
    };
    for (size_t i = 0; i < script.size(); ++i) {
        openStages(i);
        bool press = stage > 0 && (script[i].keys & REPLAY_JUMP) && !(i > 0 && (script[i - 1].keys & REPLAY_JUMP));
        int32_t before = game.jumpCount;
        for (int32_t f = 0; f < script[i].frames; ++f, ++t) {
            stepGame(script[i].keys);
            if (f == 0 && press && game.jumpCount > before) {
                Jump jump;
                jump.stage = stage - 1;
                jump.step = i;
                jump.elapsed = stepStart[i] - stepStart[stages[stage - 1].first];
                for (long e = 0; e <= std::min<long>(t, SLACK_REACH); ++e)
                    jump.before.push_back(recent[static_cast<size_t>((t - e) % (SLACK_REACH + 1))]);
                jumps.push_back(jump);
            }
            recent[static_cast<size_t>((t + 1) % (SLACK_REACH + 1))] = saveGame();
        }
    }
    openStages(script.size());
    stages.back().deaths = game.deathCount - deaths;
    for (Stage& st : stages) st.frames = stepStart[st.end] - stepStart[st.first];

    for (size_t s = 0; s < stages.size(); ++s) {
        Stage& st = stages[s];
        st.exact = reachesGoal(st, st.start, 0, {}, script, st.first);
        for (int jitter = 1; jitter <= SLACK_JITTERS && st.exact; ++jitter) {
            std::mt19937 random(SLACK_SEED + 7919u * static_cast<uint32_t>(s) + static_cast<uint32_t>(jitter));
            for (int r = 0; r < replays; ++r)
                st.held[jitter] += reachesGoal(st, st.start, 0, jittered(st, script, jitter, random), script, st.end);
        }
    }
    for (Jump& jump : jumps) {
        Stage& st = stages[jump.stage];
        ++st.jumps;
        if (!st.exact) continue;
        jump.needed = neededJump(st, jump, script);
        if (!jump.needed) continue;
        ++st.needed;
        measureWindow(st, jump, stepStart, script);
        if (st.narrowest < 0 || windowPixels(jump) < st.narrowest) st.narrowest = windowPixels(jump);
    }

    std::printf("stage  line  frames    j1%%    j2%%  jumps  needed  window  goal\n");
    long held[SLACK_JITTERS + 1] = {}, tried = 0;
    int allJumps = 0, allNeeded = 0, narrowest = -1, narrow = 0;
    bool exact = true;
    for (size_t s = 0; s < stages.size(); ++s) {
        const Stage& st = stages[s];
        std::string window = st.narrowest < 0 ? "-" : std::to_string(st.narrowest);
        if (st.exact)
            std::printf("%5zu %5d %7ld %6.1f %6.1f %6d %7d %7s  %s\n", s + 1, st.line, st.frames,
                        share(st.held[1], replays), share(st.held[2], replays), st.jumps, st.needed, window.c_str(),
                        st.goal.text.c_str());
        else
            std::printf("%5zu %5d %7ld  missed by the exact script  %s\n", s + 1, st.line, st.frames,
                        st.goal.text.c_str());
        exact = exact && st.exact;
        for (int jitter = 1; jitter <= SLACK_JITTERS; ++jitter) held[jitter] += st.held[jitter];
        tried += replays;
        allJumps += st.jumps;
        allNeeded += st.needed;
        if (st.narrowest >= 0 && (narrowest < 0 || st.narrowest < narrowest)) narrowest = st.narrowest;
    }
    for (const Jump& jump : jumps) {
        if (!jump.needed) continue;
        const GameSnapshot& at = jump.before[0];
        int width = windowPixels(jump);
        narrow += width < SLACK_MIN_WINDOW;
        int number = jump.step < lines.size() ? lines[jump.step] : 0;
        std::printf("jump  stage %zu  line %d  frame %ld  zone %d,%d  x %.1f  frames %+d..%+d  %d px%s\n",
                    jump.stage + 1, number, stepStart[jump.step] + 1,
                    at.progress.currentZoneX, at.progress.currentZoneY, at.player.x, jump.low, jump.high, width,
                    width < SLACK_MIN_WINDOW ? "  narrow" : "");
    }
    double j1 = share(held[1], tried), j2 = share(held[2], tried);
    bool ok = exact && j1 >= SLACK_MIN_HELD[1] && j2 >= SLACK_MIN_HELD[2] && narrow == 0;
    std::printf("total  replays %d  j1 %.1f  j2 %.1f  jumps %d  needed %d  narrowest %d  narrow %d  %s\n", replays, j1,
                j2, allJumps, allNeeded, narrowest, narrow, ok ? "ok" : "short");
    return ok ? 0 : 1;
}
