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
// - the hero (slot 1) is in team 1 and no other unit is;
// - every object cell of kind 1 names an active unit whose cell it is;
// - unit_count equals the number of active slots of 1..399. The live units
//   need not fill slots 1..unit_count: a removal lowers unit_count without
//   moving anyone, so during play live units may stand above unit_count and
//   free slots lie below it. The map loader refuses a map that breaks any
//   of the rules above and closes up empty stored slots, so this holds from
//   the load on whenever the hero is placed; a map whose hero's slot is
//   kept empty counts that slot too (and the game shows defeat at once);
// - base_grid is 255 exactly on water, objects and the two-cell border band
//   inside the map, 254 on the rest of the map and 0 outside it.
bool check_world(char* why, int why_size);

// A 64-bit hash of the world's state: the unit table and unit_count, the
// object layer, base_grid and the random generator's state. Two runs from
// the same start with the same inputs give the same hash at every frame.
uint64_t world_hash();
