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

const unit_kind_info unit_kinds[unit_kind_count] = {
    {
        // kind_grunt: the orc grunt of the unit tool with kind code 11
        .race = race_orc,
        .teams = {2, 0, 4, 3},
        .max_hit_points = 80,
        .damage_min = 7,
        .damage_max = 9,
        .attack_range = 1,
        .sight_range = 4,
        .speed = 4,
        .step_delay = 10,
    },
    {
        // kind_footman: the human footman of the unit tool with kind code 12
        .race = race_human,
        .teams = {5, 6, 7, 3},
        .max_hit_points = 80,
        .damage_min = 7,
        .damage_max = 9,
        .attack_range = 1,
        .sight_range = 4,
        .speed = 4,
        .step_delay = 10,
    },
    {
        // kind_hero: Веск, the player's orc, of the hero's team whatever the choice
        .race = race_orc,
        .teams = {hero_team, hero_team, hero_team, hero_team},
        .max_hit_points = 600,
        .damage_min = 35,
        .damage_max = 60,
        .attack_range = 1,
        .sight_range = 4,
        .speed = 4,
        .step_delay = 8,
    },
};

// Fills the record of a new unit of `kind` and `team` standing at cell (x, y)
// from its kind's row. Its facing is one draw of the generator, the only
// draw a new unit takes. Fields the kind does not give keep their values.
static void fill_unit(unit& u, int kind, int32_t team, int x, int y)
{
    const unit_kind_info& k = unit_kinds[kind];
    u.active = 1;
    u.race = k.race;
    u.team = team;
    u.image = unit_images[k.race][team];
    u.max_hit_points = u.hit_points = k.max_hit_points;
    u.damage_min = k.damage_min;
    u.damage_max = k.damage_max;
    u.attack_range = k.attack_range;
    u.sight_range = k.sight_range;
    u.speed = k.speed;
    u.step_delay = k.step_delay;
    u.direction = random_draw() % direction_count;
    u.cell_x = x;
    u.cell_y = y;
    u.pixel_x = cell_size * x;
    u.pixel_y = cell_size * y;
}

int spawn_unit(int x, int y, int kind_code, int team_choice)
{
    if ((kind_code != kind_code_grunt && kind_code != kind_code_footman) ||
        team_choice < 0 || team_choice >= team_choice_count)
        return 0;
    const int kind = kind_code == kind_code_grunt ? kind_grunt : kind_footman;
    for (int slot = 2; slot < max_units; ++slot) {
        if (unit_count >= max_live_units)
            return 0;
        unit& u = unit_table[slot];
        if (u.active)
            continue;
        ++unit_count;
        fill_unit(u, kind, unit_kinds[kind].teams[team_choice], x, y);
        return slot;
    }
    return 0;
}

void place_hero(int x, int y)
{
    fill_unit(unit_table[1], kind_hero, unit_kinds[kind_hero].teams[0], x, y);
}

// Clears the object cell of a unit if it still names that slot.
static void clear_unit_cell(int slot)
{
    const unit& u = unit_table[slot];
    if (!inside_layers(u.cell_x, u.cell_y))
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
        if (moved.active && inside_layers(moved.cell_x, moved.cell_y)) {
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
