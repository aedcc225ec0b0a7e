// The game's overview map (Tab): the whole map's terrain, every unit as a
// mark of its team's colour, the camera's view framed, on a panel over the
// world; a press or a drag on it moves the camera there.
#pragma once

#include <cstdint>

// The largest side of the overview's map in pixels; each cell is drawn as
// a square of the most whole pixels that fit.
constexpr int32_t overview_largest_side = 384;

// Where the overview's map lies on the screen and how large a cell is.
struct overview_place {
    int32_t x, y;  // the map's top-left corner
    int32_t cell;  // pixels a side per cell
    int32_t w, h;  // the map's size in pixels
};

// The overview's place for the current map and screen.
overview_place game_overview_place();

// Draws the overview. Called by draw_comforts while Tab has it shown.
void draw_game_overview();

// While the left button is held on the overview's map, centres the camera
// on the cell under the cursor (clamped as ever); a right press on the
// overview's panel gives the hero no order. Called by take_comfort_input
// while the overview shows.
void overview_input();
