// Unit behaviour and combat: every unit's eight-state machine, walking cell
// by cell, swings and hits, dying and removal, and the sounds they make.
#pragma once

#include <cstdint>

// The sword strokes, one played at the end of each swing heard.
constexpr int sword_effect_count = 3;

// Effect slots of the sword strokes and the two death cries; -1 until the
// game loop loads them (load_effect writes the slot back). A slot outside
// 0..99 is never played.
extern int32_t effect_sword[sword_effect_count];
extern int32_t effect_orc_death;
extern int32_t effect_human_death;

// Where the behaviour's effects go: (pan, volume, effect slot). The game loop
// points it at play_effect (sound.h); tests record the calls. While it is
// null nothing is played; the game itself runs the same either way.
using effect_player_fn = void (*)(int32_t pan, int32_t volume, int32_t slot);
extern effect_player_fn effect_player;

// The screen size the sound placement uses; the game loop sets it to its
// screen_width and screen_height. 800 x 600, the game's screen, until then.
extern int32_t sound_screen_width;
extern int32_t sound_screen_height;

// One frame of behaviour: every active unit of slots 1..399 in slot order.
// Called once per frame by the game loop, before the world is drawn.
void update_units();

// One unit's frame: the turn to dying when its hit points fell below 1, then
// the handler of its state. A slot outside 1..399 or not active is left
// alone. Called by update_units; tests drive single units with it.
void update_unit(int slot);

// The state handlers, each one frame of its state for the unit in `slot`
// (1..399, active). Called by update_unit.
void stand_state(int slot);    // 0: decides what to do when an enemy is in sight
void walk_state(int slot);     // 1: walks its path to the goal
void attack_state(int slot);   // 2: one swing, the hit test, then a rest
void dead_state(int slot);     // 3: plays the dying roll, then is removed
void think_state(int slot);    // 4: counts its timer down
void wander_state(int slot);   // 5: walks to a random free cell nearby
void pursue_state(int slot);   // 6: walks into reach of its target
void flee_state(int slot);     // 7: walks away from the nearest enemy

// Takes the next cell of the unit's path, claiming it in base_grid and the
// object layer, or ends the walk. True when the walk is over (the goal
// reached, or blocked for good). Called by the walking states.
bool advance_path(int slot);

// One movement tick toward the unit's cell. True when the unit stands on it.
// Called by the walking states while the unit is between cells.
bool move_pixels(int slot);

// The slot of the first unit of another team met in the square rings
// 1..radius around the unit's cell, or 0. Called by the stand and flee
// states.
int find_enemy(int radius, int slot);

// True when (x, y) is free in base_grid, or when a free cell lies in the
// square rings 1..radius around it; the first one found is written into x, y.
// False, x and y unchanged, when none. Called by the wander state and by the
// game loop for the player's move orders.
bool find_free_cell(int32_t& x, int32_t& y, int radius);

// True when the unit in `other` lies within the attack range of the unit in
// `slot` (Chebyshev distance); false for other 0 or any slot outside 1..399.
bool in_range(int slot, int other);

// Moves (px, py) one step of `step` pixels toward (tx, ty), never past it
// and never below 0, and returns the direction code of the move
// (direction_north, code 0, when already there). Used for walking and for facing a swing's target.
int step_toward(int32_t& px, int32_t& py, int32_t tx, int32_t ty, int32_t step);

// About the larger of |dx| and |dy| plus 5/16 of the smaller. The swing's
// hit test uses it.
int32_t approx_distance(int32_t dx, int32_t dy);

// True when the unit's cell lies strictly inside the screen's 25 x 18 cells
// under the camera, where its sounds are heard.
bool unit_in_view(int slot);

// The pan and volume of a sound made by the unit: its screen position less
// half the screen's width, and less the screen's height (so 0 or below).
void unit_sound_position(int slot, int32_t& pan, int32_t& volume);
