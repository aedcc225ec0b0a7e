// The map editor's map view, brush and overview map.
#include "core/random.h"
#include "game/overview_colours.h"
#include "game/world_drawing.h"
#include "input/input_latch.h"
#include "map_editor/map_editor.h"
#include "render/colours.h"
#include "render/display.h"
#include "render/draw.h"
#include "render/editor_controls.h"
#include "world/map.h"
#include "world/terrain_painter.h"
#include "world/units.h"

surface* overview_surface = nullptr;

// --- The map view -----------------------------------------------------------------

// Draws a tree, rock or unit picture anchored at the top-left of a view
// cell, clipped to the map view. The frame's offsets may be any 32-bit
// value from its file.
static void draw_object(const object_cell& o, int32_t sx, int32_t sy)
{
    if (o.kind == object_tree || o.kind == object_rock) {
        if (o.index < 0 || o.index >= tree_table_size)
            return;
        const tree_entry& e = tree_table[o.index];
        blit_keyed_clip_rect(add_clamped(sx, e.offset_x), add_clamped(sy, e.offset_y), e.x, e.y,
                             e.width, e.height, map_panel_width, 0, screen_width, screen_height,
                             e.image);
    } else if (o.kind == object_unit) {
        if (!valid_unit_slot(o.index))
            return;
        const unit& u = unit_table[o.index];
        // Slot 0 means a unit that is not drawn; the sheets are in slots 1..399.
        if (u.image < 1 || u.image >= max_surface_slots)
            return;
        if (!valid_anim_index(u.race, u.action, u.direction, u.anim_step))
            return;
        const anim_entry& a = unit_anims[u.race][u.action][u.direction][u.anim_step];
        blit_keyed_clip_rect(add_clamped(sx, a.offset_x), add_clamped(sy, a.offset_y), a.x, a.y,
                             a.width, a.height, map_panel_width, 0, screen_width, screen_height,
                             u.image);
    }
}

void draw_map_view()
{
    draw_terrain_cells(map_panel_width, 0, view_cells, view_cells, map_width, map_height);
    // Objects of later rows over those of earlier rows.
    for (int32_t row = 0; row < view_cells; ++row)
        for (int32_t column = 0; column < view_cells; ++column) {
            int x = camera_x + column, y = camera_y + row;
            if (inside_map(x, y))
                draw_object(object_layer[x][y], map_panel_width + cell_size * column, cell_size * row);
        }
}

// --- The brush ----------------------------------------------------------------------

// Moves the hero (slot 1) to cell (x, y): its old cell is emptied only when
// the hero stands there, so a first placement never clears whatever lies at
// the hero's unset cell (0, 0).
static void move_hero(int x, int y)
{
    const unit& hero = unit_table[1];
    if (hero.active && inside_map(hero.cell_x, hero.cell_y)) {
        object_cell& old = object_layer[hero.cell_x][hero.cell_y];
        if (old.kind == object_unit && old.index == 1)
            old = object_cell {};
    }
    place_hero(x, y);
    object_layer[x][y] = object_cell {object_unit, 1, 0};
}

void brush()
{
    // Only a pointer over the picture paints: not one that left the window.
    if (!cursor_inside || cursor_x < map_panel_width)
        return;
    int x = (cursor_x - map_panel_width) / cell_size + camera_x;
    int y = cursor_y / cell_size + camera_y;
    // On a map smaller than the view, cells past its edges are not the map's:
    // objects placed there would be saved outside it.
    if (!inside_map(x, y))
        return;
    object_cell& o = object_layer[x][y];
    if (left_down) {
        if (current_tool >= 0 && current_tool < terrain_kind_count) {
            paint_terrain(x, y, current_tool);
        } else if (current_tool == tool_tree && (o.kind == object_none || o.kind == object_tree)) {
            int32_t frame = random_range(1, 6);
            int32_t value = random_range(140, 310);
            o = object_cell {object_tree, frame, value};
        } else if (current_tool == tool_rock && (o.kind == object_none || o.kind == object_rock)) {
            int32_t frame = random_range(11, 16);
            int32_t value = random_range(140, 310);
            o = object_cell {object_rock, frame, value};
        } else if (current_tool == tool_hero && o.kind == object_none) {
            move_hero(x, y);
        } else if ((current_tool == tool_grunt || current_tool == tool_footman) &&
                   o.kind == object_none) {
            int slot = spawn_unit(x, y, current_tool, team_choice);
            if (slot != 0)
                o = object_cell {object_unit, slot, 0};
        }
    }
    if (right_down) {
        if (o.kind == object_unit) {
            // The hero keeps its cell: slot 1 is the player's unit. Any other
            // unit leaves the table with the live units kept in
            // 1..unit_count.
            if (o.index != 1) {
                remove_unit(o.index);
                o = object_cell {};
            }
        } else if (o.kind == object_tree || o.kind == object_rock) {
            o = object_cell {};
        }
    }
}

// --- The overview map -------------------------------------------------------------

void rebuild_overview()
{
    release_surface(overview_surface);
    overview_surface = create_image_surface(max_map_size, max_map_size);
    for (int y = 0; y < map_height && y < max_map_size; ++y)
        for (int x = 0; x < map_width && x < max_map_size; ++x)
            plot_overview(x, y);
}

void plot_overview(int x, int y)
{
    if (overview_surface == nullptr || !inside_layers(x, y))
        return;
    fill_box_on(x, y, 1, 1, overview_colour(terrain_layer[x][y].kind), overview_surface);
}

// value clamped to 0..high; 0 when high is negative (a map narrower than
// the view).
static int32_t clamp_camera(int32_t value, int32_t high)
{
    if (value > high)
        value = high;
    return value < 0 ? 0 : value;
}

void draw_overview(int32_t x, int32_t y)
{
    draw_frame(x, y, overview_frame, overview_frame, colour_yellow);
    int32_t ox = x + overview_frame / 2 - map_width / 2;
    int32_t oy = y + overview_frame / 2 - map_height / 2;
    if (overview_surface != nullptr)
        copy_rect(draw_surface, ox, oy, overview_surface, 0, 0, map_width, map_height, false);
    draw_frame(ox + camera_x, oy + camera_y, view_cells, view_cells, colour_white);
    draw_frame(ox, oy, map_width, map_height, colour_yellow);
    if (cursor_in(ox, oy, map_width, map_height) && left_down) {
        camera_x = clamp_camera(cursor_x - ox - view_cells / 2, map_width - view_cells);
        camera_y = clamp_camera(cursor_y - oy - view_cells / 2, map_height - view_cells);
    }
}
