#include "world/units.h"

#include <cstring>

#include "core/cp1251.h"
#include "core/random.h"
#include "world/map.h"

const char* const state_names[state_count] = {
    "стоит"_cp, "идет"_cp, "атакует"_cp, "мертвец"_cp,
    "думает"_cp, "бродит"_cp, "преследует"_cp, "убегает"_cp,
};

unit unit_table[max_units];
int32_t unit_count = 0;
int32_t unit_images[race_count][team_count] = {
    {-1, -1, -1, -1, -1, -1, -1, -1},
    {-1, -1, -1, -1, -1, -1, -1, -1},
};
anim_entry unit_anims[race_count][anim_actions][direction_count][anim_slots];
int32_t camera_x = 0;
int32_t camera_y = 0;

// The team each tool's team choice 0..3 gives, by race.
static const int32_t team_by_choice[race_count][4] = {
    {2, 0, 4, 3},  // orc grunt, kind code 11
    {5, 6, 7, 3},  // human footman, kind code 12
};

int spawn_unit(int x, int y, int kind_code, int team_choice)
{
    if ((kind_code != kind_code_grunt && kind_code != kind_code_footman) ||
        team_choice < 0 || team_choice > 3)
        return 0;
    for (int slot = 2; slot < max_units; ++slot) {
        if (unit_count >= max_live_units)
            return 0;
        unit& u = unit_table[slot];
        if (u.active)
            continue;
        ++unit_count;
        u.active = 1;
        int race = kind_code == kind_code_grunt ? race_orc : race_human;
        u.team = team_by_choice[race][team_choice];
        u.race = race;
        u.image = unit_images[race][u.team];
        u.direction = random_draw() % 8;
        u.cell_x = x;
        u.cell_y = y;
        u.pixel_x = 32 * x;
        u.pixel_y = 32 * y;
        u.max_hit_points = u.hit_points = 80;
        u.damage_min = 7;
        u.damage_max = 9;
        u.attack_range = 1;
        u.speed = 4;
        u.step_delay = 10;
        u.sight_range = 4;
        return slot;
    }
    return 0;
}

void place_hero(int x, int y)
{
    unit& hero = unit_table[1];
    hero.active = 1;
    hero.race = race_orc;
    hero.team = hero_team;
    hero.image = unit_images[race_orc][hero_team];
    hero.max_hit_points = hero.hit_points = 600;
    hero.damage_min = 35;
    hero.damage_max = 60;
    hero.attack_range = 1;
    hero.sight_range = 4;
    hero.speed = 4;
    hero.step_delay = 8;
    hero.direction = random_draw() % 8;  // one draw, rand mod 8, as spawn_unit
    hero.cell_x = x;
    hero.cell_y = y;
    hero.pixel_x = 32 * x;
    hero.pixel_y = 32 * y;
}

// Clears the object cell of a unit if it still names that slot.
static void clear_unit_cell(int slot)
{
    const unit& u = unit_table[slot];
    if (u.cell_x < 0 || u.cell_x >= max_map_size || u.cell_y < 0 || u.cell_y >= max_map_size)
        return;
    object_cell& cell = object_layer[u.cell_x][u.cell_y];
    if (cell.kind == object_unit && cell.index == slot)
        cell = object_cell {};
}

bool remove_unit(int slot)
{
    if (slot < 2 || slot > unit_count || slot >= max_units || !unit_table[slot].active)
        return false;
    clear_unit_cell(slot);
    int last = unit_count;
    if (last != slot) {
        unit_table[slot] = unit_table[last];
        const unit& moved = unit_table[slot];
        if (moved.active && moved.cell_x >= 0 && moved.cell_x < max_map_size &&
            moved.cell_y >= 0 && moved.cell_y < max_map_size) {
            object_cell& cell = object_layer[moved.cell_x][moved.cell_y];
            if (cell.kind == object_unit && cell.index == last)
                cell.index = slot;
        }
    }
    unit_table[last] = unit {};
    if (unit_count > 1)
        --unit_count;
    return true;
}

void clear_units()
{
    std::memset(unit_table, 0, sizeof unit_table);
    unit_count = 0;
}
