#include "game/behaviour.h"

#include <cstdint>

#include "core/random.h"
#include "game/grids.h"
#include "game/path_finding.h"
#include "world/map.h"
#include "world/units.h"

int32_t effect_sword[sword_effect_count] = {-1, -1, -1};
int32_t effect_orc_death = -1;
int32_t effect_human_death = -1;
effect_player_fn effect_player = nullptr;
int32_t sound_screen_width = 800;
int32_t sound_screen_height = 600;

// Slots of the sound layer's effect table.
static constexpr int max_effect_slots = 100;

// The screen shows 25 x 18 cells; a unit is heard when its cell lies
// strictly inside that block under the camera.
static constexpr int view_columns = 25;
static constexpr int view_rows = 18;

// The step delay of a dying unit: a slot of its dying roll every 14 frames.
static constexpr int32_t dying_step_delay = 12;

// Half a cell: a swing misses a target that has moved this far or more.
static constexpr int32_t miss_distance = 16;

// Sets base_grid for a cell that a unit has left, once its object cell is
// cleared: what the rule of grids.h gives the cell without the unit. Units
// only ever walk onto free land, so that is 254 for every cell they leave in
// play; a unit a map placed on water or the band leaves it blocked behind
// it, so that routes never reach the map's edge.
static void regrid_vacated(int x, int y)
{
    base_grid[x][y] = cell_passability(x, y, map_width, map_height);
}

// True when the object cell at the unit's own cell names the unit.
static bool owns_its_cell(int slot)
{
    const unit& u = unit_table[slot];
    if (!inside_layers(u.cell_x, u.cell_y))
        return false;
    const object_cell& cell = object_layer[u.cell_x][u.cell_y];
    return cell.kind == object_unit && cell.index == slot;
}

// Returns the counter's value and raises it by one (wrapping, never
// overflowing).
static int32_t take_and_raise(int32_t& counter)
{
    int32_t taken = counter;
    counter = static_cast<int32_t>(static_cast<uint32_t>(counter) + 1u);
    return taken;
}

// Returns the counter's value and lowers it by one.
static int32_t take_and_lower(int32_t& counter)
{
    int32_t taken = counter;
    counter = static_cast<int32_t>(static_cast<uint32_t>(counter) - 1u);
    return taken;
}

// True when slot `step` of the unit's roll for `action` is empty. Any index
// outside the animation table (a race other than 0 and 1, an action or
// direction outside 0..7, a step past slot 16) counts as empty, so a roll
// always ends at the table's edge.
static bool anim_slot_empty(const unit& u, int32_t action, int32_t step)
{
    if (!valid_anim_index(u.race, action, u.direction, step))
        return true;
    return unit_anims[u.race][action][u.direction][step].height == 0;
}

// Plays an effect at the unit's sound position; a slot never loaded (outside
// 0..99) plays nothing.
static void play_unit_effect(int slot, int32_t effect)
{
    if (effect_player == nullptr || effect < 0 || effect >= max_effect_slots)
        return;
    int32_t pan, volume;
    unit_sound_position(slot, pan, volume);
    effect_player(pan, volume, effect);
}

bool unit_in_view(int slot)
{
    if (!valid_unit_slot(slot))
        return false;
    const unit& u = unit_table[slot];
    return camera_x < u.cell_x && u.cell_x < camera_x + view_columns && camera_y < u.cell_y &&
           u.cell_y < camera_y + view_rows;
}

void unit_sound_position(int slot, int32_t& pan, int32_t& volume)
{
    const unit& u = valid_unit_slot(slot) ? unit_table[slot] : unit_table[0];
    pan = u.pixel_x - cell_size * camera_x - sound_screen_width / 2;
    volume = u.pixel_y - cell_size * camera_y - sound_screen_height;
}

// The target slot names a unit that is still in the table.
static bool target_active(int target)
{
    return valid_unit_slot(target) && unit_table[target].active != 0;
}

// The walk ends where the unit stands: it keeps its cell and stops.
static bool give_up_walk(unit& u)
{
    u.goal_x = u.cell_x;
    u.goal_y = u.cell_y;
    u.phase = phase_on_cell;
    u.action = action_stand;
    u.anim_step = 0;
    return true;
}

bool advance_path(int slot)
{
    if (!valid_unit_slot(slot))
        return true;
    unit& u = unit_table[slot];
    if (u.cell_x == u.goal_x && u.cell_y == u.goal_y) {
        u.phase = phase_on_cell;
        u.action = action_stand;
        u.anim_step = 0;
        return true;
    }
    // A walk with no entries left, or more than a path holds, cannot go on.
    if (u.path_length < 1 || u.path_length > max_path)
        return give_up_walk(u);
    --u.path_length;
    const int32_t nx = u.path[u.path_length].x;
    const int32_t ny = u.path[u.path_length].y;
    if (inside_map(nx, ny) && base_grid[nx][ny] != grid_blocked) {
        // Claim the next cell; the picture follows through move_pixels.
        u.phase = phase_moving;
        if (owns_its_cell(slot)) {
            object_cell& old_cell = object_layer[u.cell_x][u.cell_y];
            old_cell.kind = object_none;
            old_cell.index = 0;
            regrid_vacated(u.cell_x, u.cell_y);
        }
        u.cell_x = nx;
        u.cell_y = ny;
        base_grid[nx][ny] = grid_blocked;
        object_layer[nx][ny].kind = object_unit;
        object_layer[nx][ny].index = slot;
        return false;
    }
    // Blocked: try a new route while the goal itself is still free.
    if (inside_map(u.goal_x, u.goal_y) && base_grid[u.goal_x][u.goal_y] == grid_free) {
        int n = find_path(0, u.goal_x, u.goal_y, u.cell_x, u.cell_y, u.path);
        if (n != -1) {
            u.path_length = n;
            u.phase = phase_moving;
            return false;
        }
    }
    return give_up_walk(u);
}

bool move_pixels(int slot)
{
    if (!valid_unit_slot(slot))
        return true;
    unit& u = unit_table[slot];
    const int32_t tx = cell_size * u.cell_x;
    const int32_t ty = cell_size * u.cell_y;
    if (u.pixel_x == tx && u.pixel_y == ty) {
        u.phase = phase_on_cell;
        return true;
    }
    if (take_and_raise(u.timer) > u.step_delay) {
        ++u.anim_step;
        if (anim_slot_empty(u, u.action, u.anim_step))
            u.anim_step = 0;  // the walk roll loops
        u.timer = 0;
        u.direction = step_toward(u.pixel_x, u.pixel_y, tx, ty, u.speed);
    }
    return false;
}

// Stops in place and stands.
static void stand_still(unit& u)
{
    u.state = state_stand;
    u.action = action_stand;
    u.anim_step = 0;
}

// A pause of random_range(lo, hi) frames after a walk found no route.
static void pause_unit(unit& u, int lo, int hi)
{
    u.state = state_think;
    u.action = action_stand;
    u.anim_step = 0;
    u.timer = random_range(lo, hi);
}

// The walking part of states 5, 6 and 7: moves between cells, or takes the
// next cell; the unit stands once the walk is over.
static void walk_on(int slot)
{
    unit& u = unit_table[slot];
    if (u.phase == phase_moving)
        move_pixels(slot);
    else if (advance_path(slot))
        stand_still(u);
}

void stand_state(int slot)
{
    unit& u = unit_table[slot];
    random_draw();  // not used; it only advances the generator
    const int t = find_enemy(u.sight_range, slot);
    if (t == 0)
        return;
    const int r = random_draw() % 100;
    if (in_range(slot, t)) {
        if (r > 50) {
            // Begin a swing at t, facing it; the attacker does not move.
            const unit& enemy = unit_table[t];
            u.state = state_attack;
            u.phase = phase_entered;
            u.anim_step = 0;
            u.action = action_attack;
            int32_t px = u.pixel_x, py = u.pixel_y;
            u.direction = step_toward(px, py, enemy.pixel_x, enemy.pixel_y, cell_size);
            u.strike_x = cell_size * enemy.cell_x;
            u.strike_y = cell_size * enemy.cell_y;
            u.target = t;
            return;
        }
        if (r > 25) {
            u.state = state_think;
            u.timer = random_range(30, 80);
            return;
        }
    }
    if (r > 10) {
        u.state = state_pursue;
        u.target = t;
        u.phase = phase_entered;
    } else if (r >= 9) {
        u.state = state_wander;
        u.phase = phase_entered;
    } else if (r >= 4) {
        u.state = state_think;
        u.timer = random_range(30, 80);
    } else if (r >= 1) {
        u.state = state_flee;
        u.phase = phase_entered;
    }
}

void walk_state(int slot)
{
    unit& u = unit_table[slot];
    if (u.phase == phase_moving)
        move_pixels(slot);
    else if (advance_path(slot))
        u.state = state_stand;
}

void attack_state(int slot)
{
    unit& u = unit_table[slot];
    if (u.phase == phase_entered && take_and_raise(u.timer) > u.step_delay) {
        ++u.anim_step;
        u.timer = 0;
        if (anim_slot_empty(u, u.action, u.anim_step)) {
            // The swing is complete: rest, and strike where the target stood.
            u.anim_step = 0;
            u.phase = phase_resting;
            u.timer = random_range(10, 60);
            if (!target_active(u.target)) {
                u.target = 0;
                return;
            }
            if (unit_in_view(slot))
                play_unit_effect(slot, effect_sword[random_draw() % sword_effect_count]);
            unit& target = unit_table[u.target];
            int32_t d = approx_distance(u.strike_x - target.pixel_x, u.strike_y - target.pixel_y);
            if (d < miss_distance)
                target.hit_points -= random_range(u.damage_min, u.damage_max);
            u.target = 0;
        }
    }
    if (u.phase == phase_resting && take_and_lower(u.timer) < 0) {
        u.anim_step = 0;
        u.state = state_stand;
        u.phase = phase_on_cell;
        u.timer = 0;
    }
}

void dead_state(int slot)
{
    unit& u = unit_table[slot];
    if (take_and_raise(u.timer) <= u.step_delay)
        return;
    ++u.anim_step;
    u.timer = 0;
    if (!anim_slot_empty(u, action_die, u.anim_step))
        return;
    // The dying roll is over: free the cell and the slot.
    if (owns_its_cell(slot)) {
        object_layer[u.cell_x][u.cell_y] = object_cell {};
        regrid_vacated(u.cell_x, u.cell_y);
    }
    u = unit {};
    --unit_count;
}

void think_state(int slot)
{
    unit& u = unit_table[slot];
    if (take_and_lower(u.timer) < 0)
        u.state = state_stand;
}

void wander_state(int slot)
{
    unit& u = unit_table[slot];
    if (u.phase == phase_entered) {
        const int d = random_draw() % direction_count;
        int32_t gx = u.cell_x + direction_step[d][0];
        int32_t gy = u.cell_y + direction_step[d][1];
        find_free_cell(gx, gy, u.sight_range);  // nothing found: the neighbour stays the goal
        u.goal_x = gx;
        u.goal_y = gy;
        int n = find_path(0, u.goal_x, u.goal_y, u.cell_x, u.cell_y, u.path);
        if (n == -1) {
            pause_unit(u, 10, 30);
            return;
        }
        u.path_length = n;
        u.action = action_walk;
    }
    walk_on(slot);
}

// Plans a route into reach of the target's cell. False (and a pause of
// 30..59 frames) when there is none.
static bool plan_pursuit(int slot)
{
    unit& u = unit_table[slot];
    const unit& target = unit_table[u.target];
    u.goal_x = target.cell_x;
    u.goal_y = target.cell_y;
    int n = find_path(u.attack_range, u.goal_x, u.goal_y, u.cell_x, u.cell_y, u.path);
    if (n == -1) {
        pause_unit(u, 30, 60);
        return false;
    }
    u.path_length = n;
    u.action = action_walk;
    u.phase = phase_on_cell;
    return true;
}

// The unit's picture stands on its cell, not between two.
static bool on_its_cell(const unit& u)
{
    return u.pixel_x == cell_size * u.cell_x && u.pixel_y == cell_size * u.cell_y;
}

// The pursuit is over: the target is in reach or gone.
static void end_pursuit(unit& u)
{
    u.state = state_stand;
    u.target = 0;
    u.action = action_stand;
    u.anim_step = 0;
}

void pursue_state(int slot)
{
    unit& u = unit_table[slot];
    if (u.phase == phase_entered) {
        // An attack order that finds the hero between two cells: it first
        // finishes its step, so that it never stands, and is never struck
        // at, off the cell it owns. A unit that begins a pursuit by itself
        // stands on its cell and goes straight on.
        if (!on_its_cell(u)) {
            move_pixels(slot);
            return;
        }
        if (!target_active(u.target))
            end_pursuit(u);
        else
            plan_pursuit(slot);
        return;
    }
    if (u.phase == phase_on_cell) {
        if (in_range(slot, u.target) || !target_active(u.target)) {
            end_pursuit(u);
            return;
        }
        const unit& target = unit_table[u.target];
        if (target.cell_x != target.goal_x || target.cell_y != target.goal_y) {
            // The target is under way: aim at where it stands now.
            if (!plan_pursuit(slot))
                return;
        }
    }
    walk_on(slot);
}

void flee_state(int slot)
{
    unit& u = unit_table[slot];
    if (u.phase == phase_entered) {
        const int t = find_enemy(u.sight_range, slot);
        if (t == 0) {
            u.state = state_stand;
            return;
        }
        const unit& enemy = unit_table[t];
        const int k = random_draw() % 3;
        // Away from the enemy on each axis; an axis it shares keeps the old goal.
        if (u.cell_x < enemy.cell_x)
            u.goal_x = u.cell_x - k;
        else if (u.cell_x > enemy.cell_x)
            u.goal_x = u.cell_x + k;
        if (u.cell_y < enemy.cell_y)
            u.goal_y = u.cell_y - k;
        else if (u.cell_y > enemy.cell_y)
            u.goal_y = u.cell_y + k;
        int n = find_path(0, u.goal_x, u.goal_y, u.cell_x, u.cell_y, u.path);
        if (n == -1) {
            pause_unit(u, 10, 30);
            return;
        }
        u.path_length = n;
        u.action = action_walk;
    }
    walk_on(slot);
}

void update_unit(int slot)
{
    if (!valid_unit_slot(slot))
        return;
    unit& u = unit_table[slot];
    if (u.active != 1)
        return;
    if (u.hit_points < 1 && u.state != state_dead) {
        // It falls: a swing it had begun is dropped.
        u.state = state_dead;
        u.anim_step = 0;
        u.action = action_die;
        u.step_delay = dying_step_delay;
        u.timer = 0;
        if (unit_in_view(slot)) {
            if (u.race == race_human)
                play_unit_effect(slot, effect_human_death);
            else if (u.race == race_orc)
                play_unit_effect(slot, effect_orc_death);
        }
    }
    switch (u.state) {
    case state_stand: stand_state(slot); break;
    case state_walk: walk_state(slot); break;
    case state_attack: attack_state(slot); break;
    case state_dead: dead_state(slot); break;
    case state_think: think_state(slot); break;
    case state_wander: wander_state(slot); break;
    case state_pursue: pursue_state(slot); break;
    case state_flee: flee_state(slot); break;
    default: break;  // no such state: the unit does nothing
    }
}

void update_units()
{
    for (int slot = 1; slot < max_units; ++slot)
        update_unit(slot);
}
