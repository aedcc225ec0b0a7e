// Path finding: the shortest 8-connected route from a unit's cell to a goal
// cell, or to a free cell at a given distance around it, over base_grid.
#pragma once

#include <cstdint>

#include "world/units.h"

// The longest route, in steps (and path entries).
constexpr int max_route_steps = 251;

// Finds a shortest route from the start cell to the goal cell (range 0: the
// goal itself, even when blocked) or to one of the free cells at Chebyshev
// distance `range` around it (only cells with 1 < x < map_width - 2 and
// 1 < y < map_height - 2). Among equally short routes the first in the
// breadth-first wave order wins: fronts in the order their cells were
// reached, each cell's neighbours north, east, south, west, north-west,
// north-east, south-east, south-west. Returns the number of steps n
// (1..251), writes path entries 0 (the goal reached) .. n-1 (the cell next to
// the start) and the goal reached into goal_x, goal_y. Returns -1 and changes
// nothing when the goal or start lies outside 1..map_width-1 x
// 1..map_height-1, the range is negative, no goal cell qualifies (a goal
// equal to the start never does) or no goal is within 251 steps.
// Called by the game loop for the player's orders and by the unit behaviour.
int find_path(int range, int32_t& goal_x, int32_t& goal_y, int start_x, int start_y,
              path_cell* path);
