// The unit model: the unit record and table, the hero, the per-race
// animation table and the camera.
#pragma once

#include <cstdint>

#include "core/directions.h"

// Slots of the unit table; slot 0 means none, slot 1 is the hero.
constexpr int max_units = 400;
// The most live units: every slot but slot 0.
constexpr int max_live_units = max_units - 1;
// Entries of a unit's path.
constexpr int max_path = 252;

// One entry of a unit's path: a cell.
struct path_cell {
    int32_t x;
    int32_t y;
};

// A unit. Every field is a signed 32-bit integer; a removed unit's record is
// cleared as a whole.
struct unit {
    int32_t active;          // 1: the slot holds a unit (alive or dying)
    int32_t image;           // image slot of its team-coloured sheet; 0: not drawn
    int32_t race;            // 0 orc ("grant"), 1 human ("footman")
    int32_t action;          // sprite row shown: 0 stand, 1 walk, 2 attack, 3 die
    int32_t team;            // team colour 0..7; different teams are enemies
    int32_t attack_range;    // reach of an attack in cells (Chebyshev)
    int32_t sight_range;     // radius in cells for seeing enemies and free cells
    int32_t speed;           // pixels per movement step
    int32_t damage_min;      // lowest damage of a hit
    int32_t damage_max;      // a hit's damage is below this
    int32_t max_hit_points;  // full health
    int32_t hit_points;      // current health; below 1 the unit starts dying
    int32_t target;          // slot of the unit attacked or pursued; 0 none
    int32_t strike_x;        // 32 * the target's cell_x when the swing began
    int32_t strike_y;        // 32 * the target's cell_y when the swing began
    int32_t state;           // behaviour state 0..7 (unit_state)
    int32_t phase;           // unit_phase: where the unit is within its state
    int32_t step_delay;      // frames between two animation or movement steps
    int32_t timer;           // frame counter, or a pause's countdown
    int32_t cell_x;          // the cell the unit occupies
    int32_t cell_y;
    int32_t pixel_x;         // drawn position in map pixels
    int32_t pixel_y;
    int32_t goal_x;          // the cell it walks to
    int32_t goal_y;
    int32_t anim_step;       // slot 0..16 of the roll shown
    int32_t direction;       // facing, a direction code
    int32_t path_length;     // path entries still to walk
    path_cell path[max_path];  // entry 0 the goal, entry path_length-1 the next cell
};

// Behaviour states; state_names gives the word the panel shows.
enum unit_state : int32_t {
    state_stand = 0,
    state_walk = 1,
    state_attack = 2,
    state_dead = 3,
    state_think = 4,
    state_wander = 5,
    state_pursue = 6,
    state_flee = 7,
};
constexpr int state_count = 8;
extern const char* const state_names[state_count];

// Phases: where a unit is within its state.
enum unit_phase : int32_t {
    phase_on_cell = 0,  // standing on its cell: the walk takes the next one
    phase_moving = 1,   // moving between cells toward the cell it claimed
    phase_resting = 4,  // resting after a swing
    phase_entered = 8,  // just entered its state: it plans, or it swings
};

// Sprite rows of the animation table.
enum unit_action : int32_t {
    action_stand = 0,
    action_walk = 1,
    action_attack = 2,
    action_die = 3,
};

// Races and the kind codes of the map editor's unit tools.
constexpr int race_orc = 0;
constexpr int race_human = 1;
constexpr int race_count = 2;
constexpr int team_count = 8;
constexpr int kind_code_grunt = 11;
constexpr int kind_code_footman = 12;

// The hero's team; no other unit is given it.
constexpr int hero_team = 1;

// The team choices of the map editor's unit tools.
constexpr int team_choice_count = 4;

// Unit kinds: the rows of unit_kinds.
enum unit_kind : int32_t {
    kind_grunt = 0,
    kind_footman = 1,
    kind_hero = 2,
};
constexpr int unit_kind_count = 3;

// What a kind of unit starts with; spawn_unit and place_hero copy it into a
// new record.
struct unit_kind_info {
    int32_t race;                       // race_orc or race_human: its sheets and rolls
    int32_t teams[team_choice_count];   // its team for each team choice of the tool
    int32_t max_hit_points;             // full health, and the health it starts with
    int32_t damage_min;                 // lowest damage of a hit
    int32_t damage_max;                 // a hit's damage is below this
    int32_t attack_range;               // reach of an attack in cells
    int32_t sight_range;                // radius in cells for seeing enemies and free cells
    int32_t speed;                      // pixels per movement step
    int32_t step_delay;                 // frames between two animation or movement steps
};
extern const unit_kind_info unit_kinds[unit_kind_count];

extern unit unit_table[max_units];

// Live units, the hero included; also the slots 1..unit_count a map stores.
extern int32_t unit_count;

// True when slot is one a unit can hold, 1..399 (slot 0 means none), and so
// may index unit_table for a unit.
constexpr bool valid_unit_slot(int64_t slot)
{
    return slot >= 1 && slot < max_units;
}

// Image slots of the team-coloured sheets, [race][team]; -1 until loaded.
extern int32_t unit_images[race_count][team_count];

// One slot of a roll in the animation table: a copy of a frame's drawing
// fields. height 0 marks an empty slot.
struct anim_entry {
    int32_t unused;
    int32_t offset_x;
    int32_t offset_y;
    int32_t x;
    int32_t y;
    int32_t width;
    int32_t height;
};
constexpr int anim_actions = 8;
constexpr int anim_slots = 17;
// [race][action][direction][slot]; slot 16 is always empty.
extern anim_entry unit_anims[race_count][anim_actions][direction_count][anim_slots];

// True when [race][action][direction][step] indexes an entry of unit_anims.
constexpr bool valid_anim_index(int64_t race, int64_t action, int64_t direction, int64_t step)
{
    return race >= 0 && race < race_count && action >= 0 && action < anim_actions &&
           direction >= 0 && direction < direction_count && step >= 0 && step < anim_slots;
}

// The map cell at the screen's top-left corner.
extern int32_t camera_x;
extern int32_t camera_y;

// Creates an ordinary unit at cell (x, y): kind code 11 (grunt) or 12
// (footman), team choice 0..3, its values from its row of unit_kinds and a
// random direction. Returns its slot, or 0 when the table is full (or the
// kind or choice is not one of the tools'). Touches neither the object layer
// nor the grids. Called by the map editor's unit tools.
int spawn_unit(int x, int y, int kind_code, int team_choice);

// Places the hero in slot 1 at cell (x, y) with the values of its row of
// unit_kinds and a random direction. Does not touch the object layer. Called
// by the map editor's hero tool.
void place_hero(int x, int y);

// Removes the unit in slot (2..unit_count) for the map editor: clears its
// object cell, moves the last live slot into the gap (renumbering its object
// cell) and lowers unit_count, so the live units stay in slots
// 1..unit_count and a saved map keeps them all. False for the hero or a
// slot that holds no unit.
bool remove_unit(int slot);

// Clears the whole unit table and sets unit_count to 0.
void clear_units();
