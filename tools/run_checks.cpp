// The checks the headless runner makes after every pass of a monkey run or
// a --check run, one per configuration.
#include "run_checks.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "game/world_check.h"
#include "map_editor/map_editor.h"
#include "platform/headless/headless.h"
#include "render/display.h"
#include "sprite_editor/sprite_editor.h"
#include "world/map.h"
#include "world/units.h"

// Writes the description of a breach and returns false.
__attribute__((format(printf, 3, 4))) static bool breach(char* why, int why_size, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    std::vsnprintf(why, static_cast<size_t>(why_size), format, args);
    va_end(args);
    return false;
}

static bool within(int32_t value, int32_t lo, int32_t hi)
{
    return value >= lo && value <= hi;
}

// A named value and the range it must lie in.
struct ranged {
    const char* name;
    int32_t value;
    int32_t lo;
    int32_t hi;
};

// The first value of the list outside its range, described in why.
template <size_t n>
static bool all_within(const ranged (&values)[n], const char* owner, char* why, int why_size)
{
    for (const ranged& v : values)
        if (!within(v.value, v.lo, v.hi))
            return breach(why, why_size, "%s%s is %d, outside %d..%d", owner, v.name, v.value, v.lo, v.hi);
    return true;
}

bool check_game_pass(char* why, int why_size)
{
    return check_world(why, why_size);
}

bool check_no_message_box(char* why, int why_size)
{
    if (headless_box_count() == 0) return true;
    return breach(why, why_size, "a message box was shown: [%s] %s", headless_box_caption(0), headless_box_text(0));
}

// --- The map editor ---------------------------------------------------------------

static bool is_tool(int32_t tool)
{
    return within(tool, 0, terrain_kind_count - 1) || within(tool, tool_tree, tool_hero) || tool == tool_grunt ||
           tool == tool_footman;
}

static bool all_zero(const unit& u)
{
    static const unit zero {};
    return std::memcmp(&u, &zero, sizeof u) == 0;
}

// A live unit: its fields within their tables, standing on a cell that
// names it.
static bool check_live_unit(int slot, char* why, int why_size)
{
    const unit& u = unit_table[slot];
    char owner[32];
    std::snprintf(owner, sizeof owner, "unit %d's ", slot);
    const ranged fields[] = {
        {"active", u.active, 1, 1},
        {"race", u.race, 0, race_count - 1},
        {"team", u.team, 0, team_count - 1},
        {"action", u.action, 0, anim_actions - 1},
        {"direction", u.direction, 0, direction_count - 1},
        {"anim_step", u.anim_step, 0, anim_slots - 1},
        {"image", u.image, 0, max_surface_slots - 1},
        {"cell_x", u.cell_x, 0, map_width - 1},
        {"cell_y", u.cell_y, 0, map_height - 1},
    };
    if (!all_within(fields, owner, why, why_size)) return false;
    const object_cell& cell = object_layer[u.cell_x][u.cell_y];
    if (cell.kind != object_unit || cell.index != slot)
        return breach(why, why_size, "unit %d stands at (%d, %d), whose object cell holds kind %d index %d", slot,
                      u.cell_x, u.cell_y, cell.kind, cell.index);
    return true;
}

static bool check_object_cell(int x, int y, char* why, int why_size)
{
    const object_cell& o = object_layer[x][y];
    switch (o.kind) {
    case object_none: return true;
    case object_tree:
    case object_rock:
        if (within(o.index, 1, 15)) return true;
        return breach(why, why_size, "object cell (%d, %d) holds kind %d frame %d", x, y, o.kind, o.index);
    case object_unit:
        if (!valid_unit_slot(o.index) || unit_table[o.index].active != 1)
            return breach(why, why_size, "object cell (%d, %d) names unit %d, which is not live", x, y, o.index);
        if (unit_table[o.index].cell_x != x || unit_table[o.index].cell_y != y)
            return breach(why, why_size, "object cell (%d, %d) names unit %d, which stands at (%d, %d)", x, y,
                          o.index, unit_table[o.index].cell_x, unit_table[o.index].cell_y);
        return true;
    }
    return breach(why, why_size, "object cell (%d, %d) holds kind %d", x, y, o.kind);
}

static bool check_terrain_cell(int x, int y, char* why, int why_size)
{
    const terrain_cell& t = terrain_layer[x][y];
    if (within(t.kind, 0, terrain_kind_count - 1) && within(t.tile_set, 0, terrain_kind_count - 1) &&
        within(t.tile_x, 0, tile_sheet_width - cell_size) && t.tile_x % cell_size == 0 &&
        within(t.tile_y, 0, tile_sheet_height - cell_size) && t.tile_y % cell_size == 0)
        return true;
    return breach(why, why_size, "terrain cell (%d, %d) is kind %d, tile set %d, tile (%d, %d)", x, y, t.kind,
                  t.tile_set, t.tile_x, t.tile_y);
}

bool check_map_editor_pass(char* why, int why_size)
{
    const ranged editor[] = {
        {"map_width", map_width, 1, max_map_size},
        {"map_height", map_height, 1, max_map_size},
        {"camera_x", camera_x, 0, map_width > view_cells ? map_width - view_cells : 0},
        {"camera_y", camera_y, 0, map_height > view_cells ? map_height - view_cells : 0},
        {"team_choice", team_choice, 0, team_choices - 1},
        {"unit_count", unit_count, 0, max_live_units},
    };
    if (!all_within(editor, "", why, why_size)) return false;
    if (!is_tool(current_tool) || !is_tool(palette_choice))
        return breach(why, why_size, "the brush is %d and the palette shows %d", current_tool, palette_choice);
    if (!all_zero(unit_table[0])) return breach(why, why_size, "slot 0 is in use");

    int live = 0;
    for (int slot = 1; slot < max_units; ++slot) {
        const unit& u = unit_table[slot];
        if (u.active != 0) {
            if (slot > unit_count)
                return breach(why, why_size, "unit %d is live above unit_count %d", slot, unit_count);
            if (!check_live_unit(slot, why, why_size)) return false;
            ++live;
        } else if (slot >= 2 && slot <= unit_count) {
            return breach(why, why_size, "slot %d holds no unit, below unit_count %d", slot, unit_count);
        } else if (slot > unit_count && !all_zero(u)) {
            return breach(why, why_size, "free slot %d above unit_count %d is not cleared", slot, unit_count);
        }
    }
    int reserved = unit_table[1].active == 0 && unit_count >= 1 ? 1 : 0;
    if (unit_count != live + reserved)
        return breach(why, why_size, "unit_count is %d with %d live units%s", unit_count, live,
                      reserved ? " and the hero's slot reserved" : "");

    for (int x = 0; x < map_width; ++x)
        for (int y = 0; y < map_height; ++y)
            if (!check_object_cell(x, y, why, why_size) || !check_terrain_cell(x, y, why, why_size)) return false;
    return true;
}

// --- The sprite editor ---------------------------------------------------------------

bool check_sprite_editor_pass(char* why, int why_size)
{
    const ranged selections[] = {
        {"frame_count", frame_count, 0, max_frame_count},
        {"current_frame", current_frame, 0, editor_mode == mode_frames ? frame_count : max_frame_count},
        {"current_roll", current_roll, 0, roll_count - 1},
        {"current_slot", current_slot, 0, roll_frame_slots - 1},
        {"current_action", current_action, 0, sprite_action_count - 1},
        {"current_direction", current_direction, 0, sprite_direction_count - 1},
        {"total_delay", total_delay, 0, max_total_delay},
        {"editor_mode", editor_mode, mode_frames, mode_sprites},
        {"active_group", active_group, group_current_frame, group_delay},
        {"preset_slot_1", preset_slot_1, 0, roll_frame_slots - 1},
        {"preset_slot_2", preset_slot_2, 0, roll_frame_slots - 1},
        {"image_slot", image_slot, -1, max_surface_slots - 1},
        {"selection_width", selection_width, 0, editor_screen_width},
        {"selection_height", selection_height, 0, editor_layout_height},
    };
    if (!all_within(selections, "", why, why_size)) return false;
    for (int roll = 0; roll < roll_count; ++roll) {
        for (int slot = 0; slot < roll_frame_slots; ++slot)
            if (!within(roll_table[roll][slot], 0, frame_table_size - 1))
                return breach(why, why_size, "roll %d slot %d names frame %d", roll, slot, roll_table[roll][slot]);
        if (roll_table[roll][roll_frame_slots] != 0)
            return breach(why, why_size, "roll %d's end slot names frame %d", roll, roll_table[roll][roll_frame_slots]);
        if (!within(roll_preview_slot[roll], 0, roll_frame_slots - 1))
            return breach(why, why_size, "roll %d's preview is at slot %d", roll, roll_preview_slot[roll]);
    }
    for (int action = 0; action < sprite_action_count; ++action)
        for (int direction = 0; direction < sprite_direction_count; ++direction)
            if (!within(sprite_table[action][direction], no_roll, roll_count - 1))
                return breach(why, why_size, "sprite entry [%d][%d] is %d", action, direction,
                              sprite_table[action][direction]);
    if (image_loaded()) {
        const surface* s = surface_table[image_slot];
        if (image_width != s->width || image_height != s->height)
            return breach(why, why_size, "the image is %dx%d but its size shows %dx%d", s->width, s->height,
                          image_width, image_height);
    } else if (image_width != 0 || image_height != 0) {
        return breach(why, why_size, "no image is loaded but its size shows %dx%d", image_width, image_height);
    }
    if (!within(scroll_x, 0, image_width) || !within(scroll_y, 0, image_height))
        return breach(why, why_size, "the view is scrolled to (%d, %d) over a %dx%d image", scroll_x, scroll_y,
                      image_width, image_height);
    return true;
}
