// World drawing and unit animation: the units' team-coloured sheets and their
// animation table, the tree and rock frames, and the picture of the map under
// the camera (terrain, then trees, rocks and units in screen order).
#pragma once

#include <cstdint>

// tree_table: entry n belongs to frame n of the frame file "tree"; entry 0 is
// never filled, so a file supplies at most 15 frames.
constexpr int tree_table_size = 16;
constexpr int max_tree_frames = tree_table_size - 1;

// The terrain under the camera: 18 rows of 25 cells.
constexpr int terrain_rows = 18;
constexpr int terrain_columns = 25;
// Objects are collected from one more row and column each way.
constexpr int draw_rows = 19;
constexpr int draw_columns = 26;
constexpr int max_draw_entries = draw_rows * draw_columns;

// Trees and rocks are anchored this far below their cell's top edge, so a
// unit standing on the same row sorts (and is drawn) behind them.
constexpr int32_t object_anchor_drop = 6;

// One tree or rock frame, ready to draw.
struct tree_entry {
    int32_t image;     // image slot of data\images\tree.bmp
    int32_t offset_x;  // anchor to the frame's left edge on screen
    int32_t offset_y;  // anchor to the frame's top edge on screen
    int32_t x;         // the frame's rectangle in the image
    int32_t y;
    int32_t width;
    int32_t height;
};
extern tree_entry tree_table[tree_table_size];

// One object to draw this frame.
struct draw_entry {
    int32_t kind;   // object kind of its cell (1 unit, 3 tree, 4 rock)
    int32_t index;  // the unit's slot, or the tree_table entry
    int32_t x;      // anchor point on the screen
    int32_t y;
};
// The objects under the camera, rebuilt every frame by collect_draw_list.
extern draw_entry draw_list[max_draw_entries];
extern int32_t draw_list_count;

// Loads the nine team-coloured unit sheets into automatic image slots and
// records them in unit_images; builds unit_anims of race 0 from the sprite
// file "grant" and of race 1 from "footman"; clears the unit table. False
// when a sheet or a sprite file does not load (unit_images then all -1
// again), after a fatal report naming the file and the loader's reason
// ("загрузке растра" for a sheet, "загрузке спрайтов" for a sprite file).
// Called by the game loop before the map is loaded, and by the map editor's
// start-up.
bool load_unit_sprites();

// Builds the animation table of one race from the sprite data now in
// frame_table, roll_table and sprite_table: every roll slot copies its
// frame's drawing fields; a missing roll, an empty slot, slot 16 and a frame
// the tables do not hold give empty entries. Called by load_unit_sprites.
void build_race_anims(int race);

// Loads the seven tile sheets data\map\tiles\<name>.bmp into tile_slots, by
// terrain kind (tile_sheet_names), then data\images\tree.bmp into
// tree_slot. The first image that does not load ends the start-up: it is
// reported through fatal_error ("загрузке растра") and the result is false.
// Called by the game loop's and the map editor's start-up.
bool load_tile_sheets();

// Loads the frame file "tree" and fills tree_table entries 1.. with its
// frames, each drawn from image_slot (tree_slot); only the first 15 frames of
// a longer file are used, and every other entry is cleared. False, with the
// table cleared, when the file is refused. Called by the game loop and the
// map editor after tree.bmp is loaded.
bool load_tree_frames(int32_t image_slot);

// Draws the world under the camera into draw_surface: draw_terrain,
// collect_draw_list, order_draw_list, draw_objects. Called once per frame by
// the game loop after update_units.
void draw_world();

// The 18 x 25 terrain tiles under the camera; a cell beyond the 128 x 128
// layers (the camera of a map narrower or lower than the screen) is black.
void draw_terrain();

// Draws the terrain tiles of `rows` rows of `columns` cells from the camera's
// cell: cell (camera_x + j, camera_y + i) at (left + 32 j, top + 32 i) of
// draw_surface. A cell outside the top-left width x height cells of the
// layers, or whose tile set is not a terrain kind, is black. draw_terrain
// calls it with the whole layers, the map editor's map view with the map.
void draw_terrain_cells(int32_t left, int32_t top, int columns, int rows, int32_t width,
                        int32_t height);

// Rebuilds draw_list from the 19 x 26 object cells under the camera: trees
// and rocks anchored 6 pixels into their cell, units at their pixel position
// on screen.
void collect_draw_list();

// Orders draw_list by screen y, then x: exactly the order that two full
// exchange passes give (every pair of positions swapped when the first's y
// is less than the second's; then swapped when the first's x is less and
// their y are equal), entries with equal keys included, in n log n: a plain
// sort when no two entries share both y and x, else the passes' own way
// with ties, reproduced step for step.
void order_draw_list();

// Draws draw_list in its order with clipped colour-keyed copies: trees and
// rocks from tree_table, units from unit_anims in their sheet. Entries whose
// values would index outside a table, and units whose image is 0, are
// skipped.
void draw_objects();
