#pragma once
// Where a run or a play begins when not at the file's start block: --at, --checkpoint and --stars.
#include <cstdint>
#include <string>

struct RunStart {
    bool at = false;                      // --at
    int32_t zoneX = 0, zoneY = 0;
    float x = 0.0f, y = 0.0f;             // the box's left and bottom edges
    bool checkpoint = false;              // --checkpoint
    int32_t checkX = 0, checkY = 0;
    int32_t column = -1, row = -1;        // -1: the zone's first checkpoint, if it has one
    long stars = 0;                       // --stars: taken from the route first
    const char* route = nullptr;
};

// When argv[i] is one of the options, reads it and its values into start and moves i onto its last
// word: 1. 0 when argv[i] is another word, -1 when its values are wrong.
int readStartOption(int argc, char** argv, int& i, RunStart& start);
// The game as resetToStart leaves it, then the stars, the checkpoint and the place the options ask
// for; false, said on stderr as `who`, when the world has no such place.
bool setUpStart(const char* who, const RunStart& start);
