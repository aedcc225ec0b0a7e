// The program's one random generator: a 32-bit linear congruential state
// that starts at 1 and is never reseeded, so a run replays the same choices
// for the same inputs. Game logic, new maps, the terrain painter and the
// editors' tools draw from it; nothing cosmetic may.
#pragma once

#include <cstdint>

// One draw: state = state * 214013 + 2531011 (mod 2^32); yields
// (state >> 16) & 0x7FFF, a value 0..32767.
int random_draw();

// lo + (draw mod (hi - lo)): a value lo..hi-1. One draw always happens; a
// range with hi <= lo yields lo rather than dividing by zero.
int random_range(int lo, int hi);

// The generator's state, for the world hash of the headless runner and for
// tests that replay a sequence from a known point.
uint32_t random_state();
void set_random_state(uint32_t state);
