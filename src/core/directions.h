// Direction codes: the eight compass directions that units face and walk,
// that the path search steps in and that sprite sets have a column for.
// Cells and y grow downward, so north is y - 1.
#pragma once

#include <cstdint>

enum direction_code : int32_t {
    direction_north = 0,
    direction_north_east = 1,
    direction_east = 2,
    direction_south_east = 3,
    direction_south = 4,
    direction_south_west = 5,
    direction_west = 6,
    direction_north_west = 7,
};
constexpr int direction_count = 8;

// direction_step[code] = {dx, dy}: the cell one step away in that direction.
extern const int32_t direction_step[direction_count][2];
