// The overview map of the game: terrain, units, the camera's frame.
#include "play/game_overview.h"

#include "core/cp1251.h"
#include "game/overview_colours.h"
#include "input/input_latch.h"
#include "play/game_loop.h"
#include "play/overlay.h"
#include "render/button.h"
#include "render/colours.h"
#include "render/display.h"
#include "render/draw.h"
#include "render/font.h"
#include "world/map.h"
#include "world/units.h"

// The panel's margin around the map and the title line above it.
static constexpr int32_t margin = 8;
static constexpr int32_t title_height = 16;

overview_place game_overview_place()
{
    overview_place p {};
    const int32_t side = map_width > map_height ? map_width : map_height;
    p.cell = side > 0 ? overview_largest_side / side : 1;
    if (p.cell < 1)
        p.cell = 1;
    p.w = map_width * p.cell;
    p.h = map_height * p.cell;
    const int32_t panel_w = p.w + 2 * margin;
    const int32_t panel_h = p.h + 2 * margin + title_height;
    p.x = (screen_width - panel_w) / 2 + margin;
    p.y = (screen_height - panel_height - panel_h) / 2 + margin + title_height;
    return p;
}

// The map cells a whole screen of the world shows, across and down.
static int32_t view_columns()
{
    return (screen_width + cell_size - 1) / cell_size;
}

static int32_t view_rows()
{
    return (screen_height - panel_height + cell_size - 1) / cell_size;
}

static void draw_terrain(const overview_place& p)
{
    for (int32_t x = 0; x < map_width && x < max_map_size; ++x)
        for (int32_t y = 0; y < map_height && y < max_map_size; ++y)
            fill_box(p.x + x * p.cell, p.y + y * p.cell, p.cell, p.cell,
                     overview_colour(terrain_layer[x][y].kind));
}

// Every active unit on the map, the hero last, larger and framed so it
// shows among the others.
static void draw_units(const overview_place& p)
{
    for (int32_t slot = max_units - 1; slot >= 1; --slot) {
        const unit& u = unit_table[slot];
        if (u.active != 1 || !inside_map(u.cell_x, u.cell_y))
            continue;
        const int32_t x = p.x + u.cell_x * p.cell, y = p.y + u.cell_y * p.cell;
        if (slot == 1 && p.cell >= 2) {
            fill_box(x - 1, y - 1, p.cell + 2, p.cell + 2, team_overview_colour(u.team));
            draw_frame(x - 2, y - 2, p.cell + 4, p.cell + 4, colour_white);
        } else if (p.cell >= 3) {
            // A dark rim, so that a green unit shows on grass.
            fill_box(x - 1, y - 1, p.cell + 2, p.cell + 2, colour_black);
            fill_box(x, y, p.cell, p.cell, team_overview_colour(u.team));
        } else {
            fill_box(x, y, p.cell, p.cell, team_overview_colour(u.team));
        }
    }
}

// The part of the map the camera shows, cut to the map.
static void draw_camera_frame(const overview_place& p)
{
    int32_t columns = view_columns(), rows = view_rows();
    if (camera_x + columns > map_width)
        columns = map_width - camera_x;
    if (camera_y + rows > map_height)
        rows = map_height - camera_y;
    if (columns < 1 || rows < 1 || camera_x < 0 || camera_y < 0)
        return;
    draw_frame(p.x + camera_x * p.cell, p.y + camera_y * p.cell, columns * p.cell, rows * p.cell, colour_white);
}

void draw_game_overview()
{
    const overview_place p = game_overview_place();
    draw_overlay_panel(p.x - margin, p.y - margin - title_height, p.w + 2 * margin, p.h + 2 * margin + title_height);
    const char* title = "Карта местности - Tab закрывает"_cp;
    draw_text_w(title, p.x + (p.w - text_width(title)) / 2, p.y - title_height - 2);
    draw_terrain(p);
    draw_units(p);
    draw_camera_frame(p);
    // The units' marks may reach a pixel past the map: the frame after them.
    draw_frame(p.x - 1, p.y - 1, p.w + 2, p.h + 2, colour_yellow);
}

void overview_input()
{
    const overview_place p = game_overview_place();
    if (cursor_in(p.x - margin, p.y - margin - title_height, p.w + 2 * margin, p.h + 2 * margin + title_height))
        right_down = 0;
    // cursor_in takes the far edges too: the last pixel column is the last cell.
    if (!left_down || !cursor_in(p.x, p.y, p.w - 1, p.h - 1))
        return;
    hit_left_press(p.x, p.y, p.w - 1, p.h - 1);
    const int32_t cx = (cursor_x - p.x) / p.cell, cy = (cursor_y - p.y) / p.cell;
    camera_x = cx - view_columns() / 2;
    camera_y = cy - view_rows() / 2;
    clamp_camera();
}
