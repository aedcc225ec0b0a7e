// A word-for-word wave search over the full 128 x 128 grids: the yardstick
// that the fast find_path is checked against (path_finding_test) and timed
// against (path_bench). Not part of the game.
#pragma once

#include <cstdint>

#include "world/units.h"

// Same contract as find_path: the route from the start to the goal cell, or
// to a free cell at Chebyshev distance `range` around it; returns the number
// of path entries (1..251) and writes the goal reached, or -1 and touches
// nothing. Works in search_grid and direction_grid, copying all of base_grid
// into search_grid first, with two wave lists of (x, y) cells.
int literal_find_path(int range, int32_t& goal_x, int32_t& goal_y, int start_x,
                      int start_y, path_cell* path);
