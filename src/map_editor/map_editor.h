// The map editor: its main loop with the control panel and palette, the
// 24 x 24-cell map view, the overview map and the brush that paints terrain
// and places and deletes objects. The file dialogs are map_dialogs.h's.
#pragma once

#include <cstdint>

#include "world/units.h"

struct surface;

// Brush codes: 0..6 the terrain kinds, then the object tools (10 unused).
constexpr int32_t tool_tree = 7;
constexpr int32_t tool_rock = 8;
constexpr int32_t tool_hero = 9;
// The unit tools' brush codes are the kind codes spawn_unit takes.
constexpr int32_t tool_grunt = kind_code_grunt;
constexpr int32_t tool_footman = kind_code_footman;

// The team choices a unit tool cycles through.
constexpr int32_t team_choices = team_choice_count;

// The panel on the left is this wide; the map view fills the rest of the
// 1024 x 768 screen with view_cells x view_cells cells.
constexpr int32_t map_panel_width = 256;
constexpr int32_t view_cells = 24;
// Where the overview map's frame is drawn, and its size.
constexpr int32_t overview_x = 20;
constexpr int32_t overview_y = 24;
constexpr int32_t overview_frame = 130;

// The brush: a terrain kind or an object tool.
extern int32_t current_tool;
// The highlighted palette entry; every palette click sets it and the brush.
extern int32_t palette_choice;
// Which of the four team entries new units get, 0..3, for both unit tools.
extern int32_t team_choice;
// The colour shown beside a highlighted unit tool.
extern int32_t swatch_colour;
// One pixel per map cell in its terrain's colour; nullptr until the editor
// starts.
extern surface* overview_surface;

// The map editor's main loop: loads the tile sheets, the tree image and
// frames and the unit sprites, makes the 128 x 128 grass map "single", then
// runs frames until quit_requested is set (Escape). A wrong screen width or a
// missing image ends through fatal_error; missing unit sprites end it
// silently. The map editor configuration runs it.
void map_editor_loop();

// Draws the 24 x 24 cells under the camera at (256, 0): the terrain tiles,
// then trees, rocks and units row by row. Cells outside the map are black.
// Called once a frame by the loop.
void draw_map_view();

// Applies the brush to the cell under the cursor in the map view: with the
// left button held it paints the terrain vertex or places a tree, rock, the
// hero or a unit; with the right button held it deletes a tree, rock or unit
// other than the hero. Nothing outside the map, nothing while the pointer is
// not over the picture (cursor_inside). Called twice a frame.
void brush();

// Makes overview_surface anew and plots every cell of the map. Called at
// start and after a new or loaded map.
void rebuild_overview();
// Plots cell (x, y) on the overview map; the terrain painter calls it after
// each change of a cell's kind (through its overview hook).
void plot_overview(int x, int y);
// Draws the overview map centred in its frame at (x, y), the camera's part
// outlined; a press or drag inside it moves the camera there. Called once a
// frame with (20, 24).
void draw_overview(int32_t x, int32_t y);
