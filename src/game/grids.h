// Passability grids: the grid of free and blocked cells that units plan and
// move over, and the two full-map working grids of the wave search.
#pragma once

#include <cstdint>

#include "world/map.h"

// Values of base_grid (and of search_grid before a search marks it).
constexpr int32_t grid_outside = 0;   // beyond the map's width and height
constexpr int32_t grid_free = 254;    // nothing stands here
constexpr int32_t grid_blocked = 255; // water, an object or the border band

// The grids, indexed [x][y]; only the top-left grid_width x grid_height cells
// belong to the map.
// base_grid: 254 free, 255 blocked, 0 outside the map. Built by setup_grids
// and block_map; the unit behaviour writes it as units enter and leave cells.
extern int32_t base_grid[max_map_size][max_map_size];
// search_grid: a copy of base_grid with the marks of a wave search (253 goal,
// 0 start, 1..251 the wave that reached a cell).
extern int32_t search_grid[max_map_size][max_map_size];
// direction_grid: for each cell a wave search reached, the direction code of
// the step back toward the cell it was reached from.
extern int32_t direction_grid[max_map_size][max_map_size];

// The map size the grids were built for (the map's map_width, map_height).
extern int32_t grid_width;
extern int32_t grid_height;

// Starts fresh grids for a map of width x height cells (each 1..128): zeroes
// all three grids, frees every map cell, walls the border band and seeds
// search_grid with base_grid. Refuses another size and changes nothing.
// The game loop calls it after loading a map, before block_map.
bool setup_grids(int width, int height);

// The rule of what blocks a cell: what base_grid holds for cell (x, y) of a
// width x height map as the layers stand. grid_outside beyond the map (or
// the layers); grid_blocked on water (terrain kinds 0 and 1), on any object
// and on the two-cell border band; grid_free elsewhere. block_map builds
// the grid with it, the behaviour asks it for a cell a unit has left (once
// the unit's object is gone), and the world check compares the grid with it.
int32_t cell_passability(int x, int y, int width, int height);

// Blocks every map cell that cell_passability blocks: water, objects and the
// border band; a cell already blocked stays so. Reads terrain_layer and
// object_layer; the game loop calls it once after setup_grids.
void block_map();

// Blocks the two-cell band along the map's four edges (only cells inside the
// map). Called by setup_grids.
void wall_border();
