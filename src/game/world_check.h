// Consistency checks of the game world, and a hash of its state, for the
// scenario and soak tests and the headless runner's summary.
#pragma once

#include <cstdint>

// Checks what the game keeps true from the loading of a map through every
// frame of play, and writes a plain-words description of the first
// violation into why (why_size bytes, always terminated; "" when all holds):
// - the grids were built for the map's size;
// - slot 0 is never used, and every slot that is not active is all zero;
// - every active unit has active 1, race, team, state, action, direction,
//   anim_step, path_length and target within their tables, and stands
//   inside the map on an object cell of kind 1 that names its slot;
// - every object cell of kind 1 names an active unit whose cell it is;
// - unit_count equals the number of active slots of 1..399. The live units
//   need not fill slots 1..unit_count: a removal lowers unit_count without
//   moving anyone, so during play live units may stand above unit_count and
//   free slots lie below it. This holds for a map whose stored slots
//   1..unit_count are all live (the hero placed); a map saved with the
//   hero's slot reserved but empty counts one slot too many;
// - base_grid is 255 exactly on water, objects and the two-cell border band
//   inside the map, 254 on the rest of the map and 0 outside it.
bool check_world(char* why, int why_size);

// A 64-bit hash of the world's state: the unit table and unit_count, the
// object layer, base_grid and the random generator's state. Two runs from
// the same start with the same inputs give the same hash at every frame.
uint64_t world_hash();
