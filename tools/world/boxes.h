#pragma once
// What kills, drawn over a zone: the player's box and the kill zones of the current zone's spikes.

// Every spike's tile, which the middle of the box must not enter; for a spike on the floor also
// the tile's bottom edge, which the feet must not touch while standing.
void drawKillZones();
// The player's box with its middle and its two foot points.
void drawPlayerBox();
