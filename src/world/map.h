// The map: its size and name, the terrain and object layers, the tile sheets
// and the object image set. The map file and new maps are map_file.h's.
#pragma once

#include <cstdint>

// The layers are always this size; only the top-left map_width x map_height
// cells belong to the map.
constexpr int max_map_size = 128;
constexpr int cell_size = 32;

// Terrain kinds; each has a tile sheet of 4 x 5 tiles of 32 x 32 pixels.
enum terrain_kind : int32_t {
    terrain_deep_water = 0,
    terrain_shallow_water = 1,
    terrain_sand = 2,
    terrain_mud = 3,
    terrain_grass = 4,
    terrain_dark_grass = 5,
    terrain_stone = 6,
};
constexpr int terrain_kind_count = 7;
constexpr int tile_sheet_width = 128;
constexpr int tile_sheet_height = 160;

// Object kinds of the object layer (2 is never used).
enum object_kind : int32_t {
    object_none = 0,
    object_unit = 1,
    object_tree = 3,
    object_rock = 4,
};

struct terrain_cell {
    int32_t kind;      // terrain kind of the cell (and of its top-left vertex)
    int32_t tile_set;  // the kind whose sheet supplies the cell's picture
    int32_t tile_x;    // the tile's left edge in its sheet, column * 32
    int32_t tile_y;    // the tile's top edge in its sheet, row * 32
};

struct object_cell {
    int32_t kind;   // object_kind
    int32_t index;  // a unit's slot, or a tree or rock frame (1..5, 11..15)
    int32_t value;  // a tree's or rock's number 140..309; 0 otherwise
};

extern int32_t map_width;   // columns, 1..128
extern int32_t map_height;  // rows, 1..128

// The current map's name without folder or extension; "single" at start.
constexpr int map_name_size = 60;
extern char map_name[map_name_size];

// Both layers, indexed [x][y].
extern terrain_cell terrain_layer[max_map_size][max_map_size];
extern object_cell object_layer[max_map_size][max_map_size];

// The names of the tile sheets by terrain kind ("dwater", "water", ...).
extern const char* const tile_sheet_names[terrain_kind_count];
// Image slots of the loaded tile sheets by kind, -1 until loaded.
extern int32_t tile_slots[terrain_kind_count];
// Image slot of data\images\tree.bmp, -1 until loaded.
extern int32_t tree_slot;

// True when (x, y) is a cell of the 128 x 128 layers, which may be read
// and written whatever the map's size.
constexpr bool inside_layers(int64_t x, int64_t y)
{
    return x >= 0 && y >= 0 && x < max_map_size && y < max_map_size;
}

// True when (x, y) is a cell of the current map: within map_width x
// map_height (and so within the layers).
inline bool inside_map(int64_t x, int64_t y)
{
    return inside_layers(x, y) && x < map_width && y < map_height;
}

// True for the two water kinds, which no unit walks on.
constexpr bool is_water(int32_t kind)
{
    return kind == terrain_deep_water || kind == terrain_shallow_water;
}

// Zeroes both layers (all 128 x 128 cells).
void clear_layers();
