#pragma once
// How much timing a route script forgives: its stages replayed with jittered line lengths, and
// the take-off window of every jump a stage cannot do without.
#include <vector>

#include "tools/world/script.h"

// Plays the script from the loaded world's start and prints the stage table, the jumps and the
// totals; 0 when the script meets every stage goal and the slack reaches the thresholds, 1 if not,
// 2 when the script marks no stage.
int reportSlack(const std::vector<ScriptStep>& script, const std::vector<ScriptNote>& notes,
                const std::vector<int32_t>& lines, int replays);
