#pragma once
// What a world maker's running game keeps when its world file has been read again.
#include <cstdint>

struct ReloadOutcome {
    int32_t starsForgotten = 0;   // taken stars whose "$" the file no longer holds
    bool checkpointGone = false;  // its "@" is gone: the start block's checkpoint stands in its place
    bool respawned = false;       // the zone is gone or a wall stands where the player was
};

// Call once the new world is read. Taken stars stay taken where their "$" still is; the checkpoint
// stays while its "@" is there, else the start block's is the checkpoint; the player keeps zone,
// place and speed unless the zone is gone or a wall now stands in the way, and goes back to the
// checkpoint then (to the start block's tile when the checkpoint has nowhere to stand). The room is
// built again from the new world in every case.
ReloadOutcome carryRunOver();
