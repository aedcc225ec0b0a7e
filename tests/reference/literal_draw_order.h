// The draw order of the world as two full exchange passes, word for word:
// the yardstick that order_draw_list is checked against (world_drawing_test)
// and timed against (frame_bench). Not part of the game.
#pragma once

#include "game/world_drawing.h"

// Every pair of positions (a, b), a and b each over the whole list: swap
// when a's y is less than b's; then, over every pair again, swap when a's x
// is less than b's and their y are equal.
void literal_order_draw_list(draw_entry* list, int count);
